#include "download/DownloadStart.h"

#include "core/IUserPrompt.h"
#include "settings/CRegSettings.h"
#include "settings/TextConversions.h"

std::optional<DownloadBatch> prepareDownload(
    const QStringList& selectedInListOrder, IUserPrompt& prompt, const QString& initialFolder)
{
    if (selectedInListOrder.isEmpty() || selectedInListOrder.first().isEmpty())
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
    const QString stored = settings.GetSetting(
        QStringLiteral("Options"), QStringLiteral("Retries"), QStringLiteral("3"));
    const int retries = textToIntOr(stored, 3);
    return retries >= 0 && retries <= 10 ? retries : 3;
}
