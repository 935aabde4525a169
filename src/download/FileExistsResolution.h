#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "core/DialogRequests.h"
#include "core/OverwriteAction.h"

// Decides what happens to a link whose file name already exists in the destination
// folder, by the "Overwrite Action" preference. Lives as long as one job: the
// "use this action for all" choice, the last answer and the numbering counter hold
// for every file of the job. A "File Exists" dialog closed without "OK" skips its file.
// It never asks itself: it says when the question is due and takes its answer.
class FileExistsResolution final
{
public:
    // What happens to a taken name: ask the "File Exists" question, or name: the name to
    // write to (curfile itself means overwrite), nullopt to skip the link.
    struct Decision {
        bool ask = false;
        std::optional<QString> name;
    };

    // exists(name): whether a file (not a folder) of that name is in the folder.
    FileExistsResolution(OverwriteAction owaction, std::function<bool(const QString&)> exists);

    Decision decide(const QString& curfile);
    // The answer to the question asked for curfile (nullopt: closed without "OK").
    std::optional<QString> answered(
        const QString& curfile, const std::optional<FileExistsAnswer>& answer);

    bool allfiles() const { return m_allfiles; }
    // The answer for all is a typed name: the names it gives are the user's.
    bool namesTyped() const { return m_allfiles && m_answer == FileExistsAction::SaveWithNewName; }
    int uniquecount() const { return m_uniquecount; }

private:
    QString uniqueName(const QString& base);

    OverwriteAction m_owaction;
    std::function<bool(const QString&)> m_exists;
    bool m_allfiles = false;
    FileExistsAction m_answer = FileExistsAction::Skip; // the answer that holds "for all"
    QString m_typedName; // the name typed with that answer; later files are numbered from it
    int m_uniquecount = 0;
};
