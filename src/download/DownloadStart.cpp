#include "download/DownloadStart.h"

#include "app/PreferencesStore.h"
#include "core/IUserPrompt.h"
#include "settings/CRegSettings.h"
#include "settings/TextConversions.h"

std::optional<DownloadBatch> PrepareDownload(
    const QStringList& selectedInListOrder, IUserPrompt& prompt, CRegSettings& settings)
{
    if (selectedInListOrder.isEmpty() || selectedInListOrder.first().isEmpty())
        return std::nullopt;
    const QString chosen = prompt.chooseFolder(
        QStringLiteral("Save Link Target(s) in..."), LastUsedSaveFolder(settings));
    if (chosen.isEmpty())
        return std::nullopt;
    SetLastUsedSaveFolder(settings, chosen);
    DownloadBatch batch { selectedInListOrder, chosen };
    if (!batch.folder.endsWith(QLatin1Char('/')))
        batch.folder += QLatin1Char('/');
    return batch;
}

int DownloadRetries(const CRegSettings& settings)
{
    const int retries = TextToIntOr(settings.GetSetting(QStringLiteral("Options"),
                                        QStringLiteral("Retries"), QStringLiteral("3")),
        3);
    return retries >= 0 && retries <= 10 ? retries : 3;
}
