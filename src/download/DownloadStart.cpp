#include "download/DownloadStart.h"

#include "core/IUserPrompt.h"
#include "core/SettingsTable.h"
#include "settings/TypedSettings.h"

std::optional<DownloadBatch> prepareDownload(
    const ListEntries& selectedInListOrder, IUserPrompt& prompt, const QString& initialFolder)
{
    if (selectedInListOrder.isEmpty() || selectedInListOrder.first().url.isEmpty())
        return std::nullopt;
    const QString chosen
        = prompt.chooseFolder(QStringLiteral("Save Link Target(s) in..."), initialFolder);
    if (chosen.isEmpty())
        return std::nullopt;
    DownloadBatch batch { selectedInListOrder, chosen, chosen };
    if (!batch.folder.endsWith(QLatin1Char('/')))
        batch.folder += QLatin1Char('/');
    return batch;
}

int downloadRetries(const CRegSettings& settings)
{
    return TypedSettings::readInt(settings, SettingsTable::Retries);
}
