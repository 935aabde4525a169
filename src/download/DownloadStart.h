#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "listops/EntryContext.h"

class CRegSettings;
class IUserPrompt;

// A batch to download: the entries in list order, the folder exactly as the picker
// returned it (what is remembered as the last used save folder), and the destination
// folder ending with "/".
struct DownloadBatch {
    ListEntries entries;
    QString chosen;
    QString folder;
};

// The start of "Save selected link target(s) to disk": nothing when no entry is
// selected or the first selected one is empty; otherwise asks for the folder
// ("Save Link Target(s) in...", with initialFolder preselected). Nothing when the
// picker is cancelled.
std::optional<DownloadBatch> prepareDownload(
    const ListEntries& selectedInListOrder, IUserPrompt& prompt, const QString& initialFolder);

// The stored number of further tries of a link after a transient failure, 0 to 10;
// the default when not set, unreadable or out of range.
int downloadRetries(const CRegSettings& settings);
