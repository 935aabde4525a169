#include "download/FileExistsResolution.h"

#include "download/DownloadNames.h"

FileExistsResolution::FileExistsResolution(
    OverwriteAction owaction, std::function<bool(const QString&)> exists)
    : m_owaction(owaction)
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

FileExistsResolution::Decision FileExistsResolution::decide(const QString& curfile)
{
    switch (m_owaction) {
    case OverwriteAction::Skip:
        return { false, std::nullopt };
    case OverwriteAction::Unique:
        return { false, uniqueName(curfile) };
    case OverwriteAction::Overwrite:
        return { false, curfile };
    case OverwriteAction::Prompt:
        break;
    }

    if (m_allfiles) {
        switch (m_answer) {
        case FileExistsAction::Overwrite:
            return { false, curfile };
        case FileExistsAction::Skip:
            return { false, std::nullopt };
        case FileExistsAction::SaveWithNewName:
            // One typed name for every later file: number them from it so that none
            // replaces another.
            return { false, uniqueName(m_typedName) };
        }
    }
    return { true, std::nullopt };
}

std::optional<QString> FileExistsResolution::answered(
    const QString& curfile, const std::optional<FileExistsAnswer>& answer)
{
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
