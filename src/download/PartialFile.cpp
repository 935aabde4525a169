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

QString recordPath(const QString& path)
{
    return path + QStringLiteral(".rec");
}

QString candidate(const QString& folder, QString name, int n)
{
    while (name.toUtf8().size() > kMaxNameBytes)
        name.chop(1);
    const QString suffix = n == 1 ? QString() : QStringLiteral("~") + QString::number(n);
    return folder + QLatin1Char('.') + name + suffix + QStringLiteral(".part");
}

} // namespace

bool PartialFile::open(
    const QString& folder, const QString& name, const QByteArray& url, QString* error)
{
    release();
    m_url = url;
    // One left behind by an earlier run of this URL is resumed. Runs take the names in
    // order, so the search for it ends at the first name that is free.
    for (int n = 1; n <= kCandidates; ++n) {
        struct stat info;
        const QByteArray path = QFile::encodeName(candidate(folder, name, n));
        if (::lstat(path.constData(), &info) != 0)
            break;
        if (tryCandidate(path, false))
            return true;
    }
    for (int n = 1; n <= kCandidates; ++n) {
        if (tryCandidate(QFile::encodeName(candidate(folder, name, n)), true))
            return true;
    }
    const int saved = errno;
    *error = saved != 0 && saved != EWOULDBLOCK
        ? QString::fromLocal8Bit(std::strerror(saved))
        : QStringLiteral("its partial files are all in use");
    return false;
}

bool PartialFile::tryCandidate(const QByteArray& path, bool takeAny)
{
    const int fd
        = ::open(path.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | (takeAny ? O_CREAT : 0), 0666);
    if (fd < 0)
        return false;
    struct stat opened;
    struct stat named;
    // Locked by another run, or removed by it between the open and the lock.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &opened) != 0
        || ::lstat(path.constData(), &named) != 0 || named.st_ino != opened.st_ino
        || named.st_dev != opened.st_dev || !S_ISREG(opened.st_mode)) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return false;
    }

    const QByteArray rec = path + ".rec";
    QList<QByteArray> lines;
    if (opened.st_size > 0) {
        const int in = ::open(rec.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
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
    m_path = QFile::decodeName(path);
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
        ::unlink(rec.constData());
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
    const QByteArray rec = QFile::encodeName(recordPath(m_path));
    // Without a validator the bytes cannot be resumed: no record is kept.
    if (validator.isEmpty()) {
        if (m_hasRecord)
            ::unlink(rec.constData());
        m_hasRecord = false;
        return;
    }
    const QByteArray text
        = m_url + '\n' + m_validator.toLatin1() + '\n' + QByteArray::number(m_total) + '\n';
    const int out
        = ::open(rec.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (out < 0)
        return; // no record: the next run starts afresh
    [[maybe_unused]] const ssize_t n
        = ::write(out, text.constData(), static_cast<size_t>(text.size()));
    ::close(out);
    m_hasRecord = true;
}

void PartialFile::dropRecord()
{
    if (m_fd >= 0 && m_hasRecord)
        ::unlink(QFile::encodeName(recordPath(m_path)).constData());
    m_hasRecord = false;
}

void PartialFile::release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_path.clear();
    m_kept = 0;
}

void PartialFile::remove()
{
    if (m_fd >= 0) {
        dropRecord();
        ::unlink(QFile::encodeName(m_path).constData());
    }
    release();
}
