#include "download/FilePlacement.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace
{

// Renames from to to in the folder open as dir unless to exists (EEXIST then). Where the
// file system cannot do that in one step, a hard link and the removal of the old name do
// the same.
int renameNoReplace(int dir, const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(dir, from.constData(), dir, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::linkat(dir, from.constData(), dir, to.constData(), 0) != 0)
        return errno;
    ::unlinkat(dir, from.constData(), 0);
    return 0;
}

} // namespace

FilePlacement::FilePlacement(const QString& destination, const QString& maskFolder)
    : m_destination(destination)
    , m_parts(maskFolder.split(QLatin1Char('/'), Qt::SkipEmptyParts))
    , m_folder(destination + maskFolder)
{
}

bool FilePlacement::enter(bool create, QString* error)
{
    return m_dir.open(m_destination, m_parts, create, error);
}

bool FilePlacement::openPartial(const QString& name, const QByteArray& url, QString* error)
{
    return (m_dir.isOpen() || enter(true, error)) && m_partial.open(m_dir.fd(), name, url, error);
}

int FilePlacement::place(const QString& name, bool replace)
{
    const QByteArray from = m_partial.fileName();
    const QByteArray to = QFile::encodeName(name);
    const int dir = m_dir.fd();
    // A plain rename replaces whatever has the name, a symbolic link included (the link
    // itself, never its target).
    const int error = replace
        ? (::renameat(dir, from.constData(), dir, to.constData()) == 0 ? 0 : errno)
        : renameNoReplace(dir, from, to);
    if (error == 0)
        m_partial.release();
    return error;
}
