#include "download/FileExistsResolution.h"

#include "core/IUserPrompt.h"
#include "download/DownloadNames.h"

FileExistsResolution::FileExistsResolution(
    int owaction, IUserPrompt& prompt, std::function<bool(const QString&)> exists)
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
    case 2:
        return std::nullopt;
    case 3:
        return uniqueName(curfile);
    case 0:
        break;
    default:
        return curfile;
    }

    if (!m_allfiles) {
        if (dialogOpening)
            dialogOpening();
        const std::optional<FileExistsAnswer> answer = m_prompt.askFileExists(curfile);
        if (dialogClosed)
            dialogClosed();
        if (answer) {
            m_answer = answer->owaction;
            m_allfiles = answer->allfiles;
            m_typedName = SafeFileName(answer->filnm);
            m_typedNameUsed = false;
        } else if (m_answer == 2) {
            // Closed without "OK": the last answer holds, with the name proposed now.
            m_typedName = curfile;
            m_typedNameUsed = false;
        }
        if (m_answer == 2) {
            m_typedNameUsed = true;
            return m_typedName;
        }
    } else if (m_answer == 2) {
        // One typed name for every later file: number them from it so that none
        // replaces another.
        if (!m_typedNameUsed) {
            m_typedNameUsed = true;
            return m_typedName;
        }
        return uniqueName(m_typedName);
    }
    if (m_answer == 1)
        return std::nullopt;
    return curfile;
}
