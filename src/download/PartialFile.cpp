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
    // First one left behind by an earlier run of this URL, then any that is free.
    for (const bool takeAny : { false, true }) {
        for (int n = 1; n <= kCandidates; ++n) {
            if (tryCandidate(candidate(folder, name, n), takeAny))
                return true;
        }
    }
    const int saved = errno;
    *error = saved != 0 && saved != EWOULDBLOCK
        ? QString::fromLocal8Bit(std::strerror(saved))
        : QStringLiteral("its partial files are all in use");
    return false;
}

bool PartialFile::tryCandidate(const QString& path, bool takeAny)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat named;
    const bool existed = ::lstat(native.constData(), &named) == 0;
    if (!takeAny && !existed)
        return false;
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0)
        return false;
    struct stat opened;
    // Locked by another run, or removed by it between the open and the lock.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &opened) != 0
        || ::lstat(native.constData(), &named) != 0 || named.st_ino != opened.st_ino
        || named.st_dev != opened.st_dev || !S_ISREG(opened.st_mode)) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return false;
    }

    QFile rec(recordPath(path));
    QList<QByteArray> lines;
    if (rec.open(QIODevice::ReadOnly))
        lines = rec.read(64 * 1024).split('\n');
    const bool sameUrl = lines.size() >= 3 && lines.at(0) == m_url;
    if (!takeAny && !sameUrl) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_path = path;
    m_kept = 0;
    m_validator.clear();
    m_total = -1;
    if (sameUrl) {
        bool ok = false;
        const qint64 total = lines.at(2).toLongLong(&ok);
        // Without a validator the bytes cannot be told to belong to the file served now.
        if (!lines.at(1).isEmpty() && ok && opened.st_size > 0
            && (total < 0 || opened.st_size < total)) {
            m_validator = QString::fromLatin1(lines.at(1));
            m_total = total;
            m_kept = opened.st_size;
        }
    }
    // A record of other bytes must not outlive them; a new one is written once the
    // server has named its validator.
    if (m_kept == 0 && !lines.isEmpty())
        ::unlink(QFile::encodeName(recordPath(path)).constData());
    return true;
}

void PartialFile::record(const QString& validator, qint64 total)
{
    if (m_fd < 0 || (validator == m_validator && total == m_total))
        return;
    m_validator = validator;
    m_total = total;
    // Without a validator the bytes cannot be resumed: no record is kept.
    if (validator.isEmpty())
        ::unlink(QFile::encodeName(recordPath(m_path)).constData());
    else
        writeRecord();
}

void PartialFile::writeRecord()
{
    QFile rec(recordPath(m_path));
    if (!rec.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return; // no record: the next run starts afresh
    rec.write(m_url + '\n' + m_validator.toLatin1() + '\n' + QByteArray::number(m_total) + '\n');
}

void PartialFile::dropRecord()
{
    if (m_fd >= 0)
        ::unlink(QFile::encodeName(recordPath(m_path)).constData());
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
        ::unlink(QFile::encodeName(recordPath(m_path)).constData());
        ::unlink(QFile::encodeName(m_path).constData());
    }
    release();
}
