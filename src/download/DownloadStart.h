#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class CRegSettings;
class IUserPrompt;

// A batch to download: the links in list order and the destination folder ending
// with "/".
struct DownloadBatch {
    QStringList links;
    QString folder;
};

// The start of "Save selected link target(s) to disk": nothing when no entry is
// selected or the first selected one is empty; otherwise asks for the folder
// ("Save Link Target(s) in...", preselecting "Last Used Save Folder") and stores the
// chosen folder as the picker returned it. Cancelling the picker stores nothing.
std::optional<DownloadBatch> PrepareDownload(
    const QStringList& selectedInListOrder, IUserPrompt& prompt, CRegSettings& settings);

// "Options"/"Retries": further tries of a link after a transient failure, 0 to 10,
// 3 when not set or unreadable.
int DownloadRetries(const CRegSettings& settings);
