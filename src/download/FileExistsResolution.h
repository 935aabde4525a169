#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "core/DialogRequests.h"
#include "core/OverwriteAction.h"

class IUserPrompt;

// Decides what happens to a link whose file name already exists in the destination
// folder, by the "Overwrite Action" preference. Lives as long as one job: the
// "use this action for all" choice, the last answer and the numbering counter hold
// for every file of the job. A "File Exists" dialog closed without "OK" skips its file.
class FileExistsResolution final
{
public:
    // exists(name): whether a file (not a folder) of that name is in the folder.
    FileExistsResolution(
        OverwriteAction owaction, IUserPrompt& prompt, std::function<bool(const QString&)> exists);

    // The name to write to (curfile itself means overwrite), or nullopt to skip the link.
    std::optional<QString> resolve(const QString& curfile);

    // Called around the "File Exists" dialog so the windows can keep it in front.
    std::function<void()> dialogOpening;
    std::function<void()> dialogClosed;

    bool allfiles() const { return m_allfiles; }
    int uniquecount() const { return m_uniquecount; }

private:
    QString uniqueName(const QString& base);

    OverwriteAction m_owaction;
    IUserPrompt& m_prompt;
    std::function<bool(const QString&)> m_exists;
    bool m_allfiles = false;
    FileExistsAction m_answer = FileExistsAction::Skip; // the answer that holds "for all"
    QString m_typedName; // the name typed with that answer; later files are numbered from it
    int m_uniquecount = 0;
};
