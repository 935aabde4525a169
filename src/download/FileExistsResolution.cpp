#include "download/FileExistsResolution.h"

#include "core/IUserPrompt.h"
#include "download/DownloadNames.h"

FileExistsResolution::FileExistsResolution(
    OverwriteAction owaction, IUserPrompt& prompt, std::function<bool(const QString&)> exists)
    : m_owaction(owaction)
    , m_prompt(prompt)
    , m_exists(std::move(exists))
{
}

QString FileExistsResolution::uniqueName(const QString& base)
{
    QString candidate;
    do {
        ++m_uniquecount;
        candidate = NumberedName(base, m_uniquecount);
    } while (m_exists(candidate));
    return candidate;
}

std::optional<QString> FileExistsResolution::resolve(const QString& curfile)
{
    switch (m_owaction) {
    case OverwriteAction::Skip:
        return std::nullopt;
    case OverwriteAction::Unique:
        return uniqueName(curfile);
    case OverwriteAction::Overwrite:
        return curfile;
    case OverwriteAction::Prompt:
        break;
    }

    if (m_allfiles) {
        switch (m_answer) {
        case FileExistsAction::Overwrite:
            return curfile;
        case FileExistsAction::Skip:
            return std::nullopt;
        case FileExistsAction::SaveWithNewName:
            // One typed name for every later file: number them from it so that none
            // replaces another.
            return uniqueName(m_typedName);
        }
    }

    if (dialogOpening)
        dialogOpening();
    const std::optional<FileExistsAnswer> answer = m_prompt.askFileExists(curfile);
    if (dialogClosed)
        dialogClosed();
    // Closed without "OK": nothing was chosen, so the existing file is left alone.
    if (!answer)
        return std::nullopt;
    m_answer = answer->action;
    m_allfiles = answer->allfiles;
    switch (m_answer) {
    case FileExistsAction::Overwrite:
        return curfile;
    case FileExistsAction::Skip:
        return std::nullopt;
    case FileExistsAction::SaveWithNewName:
        break;
    }
    m_typedName = SafeFileName(answer->filnm);
    return m_typedName;
}
