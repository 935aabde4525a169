#include "download/PartialFile.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr int kCandidates = 9;
// ".", "~9", ".part" and ".rec" around the name must fit a file system's 255 bytes.
constexpr int kMaxNameBytes = 255 - 12;

QByteArray recordName(const QByteArray& name)
{
    return name + ".rec";
}

QByteArray candidate(QString name, int n)
{
    while (name.toUtf8().size() > kMaxNameBytes)
        name.chop(1);
    const QString suffix = n == 1 ? QString() : QStringLiteral("~") + QString::number(n);
    return QFile::encodeName(QLatin1Char('.') + name + suffix + QStringLiteral(".part"));
}

} // namespace

bool PartialFile::open(int folderFd, const QString& name, const QByteArray& url, QString* error)
{
    release();
    m_dirFd = folderFd;
    m_url = url;
    // One left behind by an earlier run of this URL is resumed. Runs take the names in
    // order, so the search for it ends at the first name that is free.
    for (int n = 1; n <= kCandidates; ++n) {
        struct stat info;
        const QByteArray path = candidate(name, n);
        if (::fstatat(m_dirFd, path.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            break;
        if (tryCandidate(path, false))
            return true;
    }
    for (int n = 1; n <= kCandidates; ++n) {
        if (tryCandidate(candidate(name, n), true))
            return true;
    }
    const int saved = errno;
    *error = saved != 0 && saved != EWOULDBLOCK
        ? QString::fromLocal8Bit(std::strerror(saved))
        : QStringLiteral("its partial files are all in use");
    return false;
}

QString PartialFile::path() const
{
    return m_fd < 0 ? QString() : QStringLiteral("/proc/self/fd/") + QString::number(m_fd);
}

bool PartialFile::tryCandidate(const QByteArray& path, bool takeAny)
{
    const int fd = ::openat(
        m_dirFd, path.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | (takeAny ? O_CREAT : 0), 0666);
    if (fd < 0)
        return false;
    struct stat opened;
    struct stat named;
    // Locked by another run, or removed by it between the open and the lock.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &opened) != 0
        || ::fstatat(m_dirFd, path.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0
        || named.st_ino != opened.st_ino || named.st_dev != opened.st_dev
        || !S_ISREG(opened.st_mode)) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return false;
    }

    const QByteArray rec = path + ".rec";
    QList<QByteArray> lines;
    if (opened.st_size > 0) {
        const int in = ::openat(m_dirFd, rec.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (in >= 0) {
            char buffer[16 * 1024];
            const ssize_t n = ::read(in, buffer, sizeof buffer);
            ::close(in);
            if (n > 0)
                lines = QByteArray(buffer, n).split('\n');
        }
    }
    bool ok = false;
    // A record is whole when its last line has its line end.
    const qint64 total = lines.size() >= 4 ? lines.at(2).toLongLong(&ok) : -1;
    // Without a validator the bytes cannot be told to belong to the file served now.
    const bool resumable = ok && lines.at(0) == m_url && !lines.at(1).isEmpty()
        && (total < 0 || opened.st_size < total);
    if (!takeAny && !resumable) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_name = path;
    m_validator.clear();
    m_total = -1;
    m_kept = 0;
    if (resumable) {
        m_validator = QString::fromLatin1(lines.at(1));
        m_total = total;
        m_kept = opened.st_size;
        m_hasRecord = true;
    } else {
        // A record of other bytes must not outlive them; a new one is written once the
        // server has named its validator.
        ::unlinkat(m_dirFd, rec.constData(), 0);
        m_hasRecord = false;
    }
    return true;
}

void PartialFile::record(const QString& validator, qint64 total)
{
    if (m_fd < 0 || (validator == m_validator && total == m_total))
        return;
    m_validator = validator;
    m_total = total;
    const QByteArray rec = recordName(m_name);
    // Without a validator the bytes cannot be resumed: no record is kept.
    if (validator.isEmpty()) {
        if (m_hasRecord)
            ::unlinkat(m_dirFd, rec.constData(), 0);
        m_hasRecord = false;
        return;
    }
    const QByteArray text
        = m_url + '\n' + m_validator.toLatin1() + '\n' + QByteArray::number(m_total) + '\n';
    const int out = ::openat(
        m_dirFd, rec.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (out < 0)
        return; // no record: the next run starts afresh
    [[maybe_unused]] const ssize_t n
        = ::write(out, text.constData(), static_cast<size_t>(text.size()));
    ::close(out);
    m_hasRecord = true;
}

void PartialFile::setModified(qint64 seconds)
{
    if (m_fd < 0 || seconds < 0)
        return;
    const struct timespec times[2] = { { 0, UTIME_NOW }, { static_cast<time_t>(seconds), 0 } };
    ::futimens(m_fd, times);
}

void PartialFile::dropRecord()
{
    if (m_fd >= 0 && m_hasRecord)
        ::unlinkat(m_dirFd, recordName(m_name).constData(), 0);
    m_hasRecord = false;
}

void PartialFile::release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_name.clear();
    m_kept = 0;
}

void PartialFile::remove()
{
    if (m_fd >= 0) {
        dropRecord();
        ::unlinkat(m_dirFd, m_name.constData(), 0);
    }
    release();
}
