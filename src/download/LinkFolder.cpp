#include "download/LinkFolder.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Enters part of the folder at fd without following a symbolic link; -1 with errno set.
int enter(int fd, const QByteArray& part)
{
    return ::openat(fd, part.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

} // namespace

bool LinkFolder::open(const QString& base, const QStringList& parts, bool create, QString* error)
{
    close();
    int fd = ::open(QFile::encodeName(base).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT && !create)
        return true;
    if (fd < 0) {
        *error = QStringLiteral("%1: %2").arg(base, errnoText(errno));
        return false;
    }
    QString path = base;
    for (const QString& part : parts) {
        path += part;
        // The mask never gives these; a folder name from elsewhere must not climb out.
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..")
            || part.contains(QLatin1Char('/'))) {
            ::close(fd);
            *error = QStringLiteral("\"%1\" is not a folder name").arg(part);
            return false;
        }
        const QByteArray name = QFile::encodeName(part);
        int next = enter(fd, name);
        if (next < 0 && errno == ENOENT && !create) {
            ::close(fd);
            return true;
        }
        // Another run may make it between the two calls: entering it again settles that.
        if (next < 0 && errno == ENOENT
            && (::mkdirat(fd, name.constData(), 0777) == 0 || errno == EEXIST))
            next = enter(fd, name);
        if (next < 0) {
            const int saved = errno;
            struct stat info;
            const bool link = ::fstatat(fd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0
                && S_ISLNK(info.st_mode);
            ::close(fd);
            if (link)
                *error = QStringLiteral("%1 is a symbolic link; folders are never made or "
                                        "entered through one")
                             .arg(path);
            else if (saved == ENOTDIR)
                *error = QStringLiteral("%1 is not a folder").arg(path);
            else
                *error = QStringLiteral("%1: %2").arg(path, errnoText(saved));
            return false;
        }
        ::close(fd);
        fd = next;
        path += QLatin1Char('/');
    }
    m_fd = fd;
    return true;
}

void LinkFolder::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

qint64 LinkFolder::modifiedTime(const QString& name) const
{
    struct stat info;
    if (m_fd < 0
        || ::fstatat(m_fd, QFile::encodeName(name).constData(), &info, AT_SYMLINK_NOFOLLOW) != 0
        || !S_ISREG(info.st_mode))
        return -1;
    return static_cast<qint64>(info.st_mtime);
}

bool LinkFolder::holdsFile(const QString& name) const
{
    struct stat info;
    if (m_fd < 0
        || ::fstatat(m_fd, QFile::encodeName(name).constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    return !S_ISDIR(info.st_mode);
}
