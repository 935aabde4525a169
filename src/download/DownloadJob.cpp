#include "download/DownloadJob.h"

#include <QDate>
#include <QFile>
#include <QThread>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/RequestUrl.h"
#include "download/DownloadNames.h"
#include "download/NameMask.h"

namespace
{

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Renames from to to unless to exists (EEXIST then). Where the file system cannot do
// that in one step, a hard link and the removal of the old name do the same.
int renameNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::link(from.constData(), to.constData()) != 0)
        return errno;
    ::unlink(from.constData());
    return 0;
}

} // namespace

DownloadJob::DownloadJob(
    QStringList links, DownloadJobOptions options, ITransferService& service, QObject* parent)
    : QObject(parent)
    , m_links(std::move(links))
    , m_options(std::move(options))
    , m_service(service)
    , m_resolution(m_options.owaction, [this](const QString& name) { return fileExists(name); })
{
    // The service's signals reach the job directly: both live on the same thread.
    Q_ASSERT(service.thread() == thread());
    if (!m_options.folder.endsWith(QLatin1Char('/')))
        m_options.folder += QLatin1Char('/');
    m_progressTimer.setInterval(m_options.progressIntervalMs);
    connect(&m_progressTimer, &QTimer::timeout, this, &DownloadJob::readProgress);
    m_retryTimer.setSingleShot(true);
    connect(&service, &ITransferService::headersReceived, this, &DownloadJob::onHeaders);
    connect(&service, &ITransferService::finished, this, &DownloadJob::onFinished);
}

DownloadJob::~DownloadJob()
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (m_phase == Phase::Running)
        cancel();
}

void DownloadJob::start()
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (m_phase != Phase::Idle)
        return;
    m_phase = Phase::Running;
    m_bar1 = 0;
    m_bar2 = 0;
    m_bar2Max = count();
    m_cancl = false;
    m_xfererror = false;
    m_curfile.clear();
    QTimer::singleShot(0, this, &DownloadJob::nextLink);
}

void DownloadJob::cancel()
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (m_phase != Phase::Running)
        return;
    m_label3 = QStringLiteral("Aborting...");
    m_cancl = true;
    m_progressTimer.stop();
    m_retryTimer.stop();
    if (m_transferId != 0)
        m_service.cancel(m_transferId);
    m_transferId = 0;
    // The partial file and its record stay for a later run to resume from.
    writeRecord();
    m_partial.release();
    m_phase = Phase::Cancelled;
    emit changed();
    emit ended();
}

bool DownloadJob::fileExists(const QString& name) const
{
    struct stat info;
    if (::lstat(QFile::encodeName(m_linkFolder + name).constData(), &info) != 0)
        return false;
    return !S_ISDIR(info.st_mode);
}

QString DownloadJob::localError(const QString& reason) const
{
    return QStringLiteral("Could not save %1 in %2: %3.").arg(m_curfile, m_linkFolder, reason);
}

// The link's name by the mask, its folders (inside the destination) in m_linkFolder.
QString DownloadJob::chooseName()
{
    m_linkFolder = m_options.folder;
    if (m_options.nameMask.isEmpty())
        return SafeFileName(FileNameFromUrl(m_curlink));
    QString problem;
    const std::optional<NameMask> mask = NameMask::parse(m_options.nameMask, &problem);
    if (!mask)
        return SafeFileName(FileNameFromUrl(m_curlink));
    const QString path = mask->expand(
        { m_curlink, m_i, count(), m_options.contexts.value(m_i - 1), QDate::currentDate() });
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    m_linkFolder += path.left(slash + 1);
    return path.mid(slash + 1);
}

// Creates the link's folders inside the destination, never through a symbolic link.
bool DownloadJob::makeLinkFolder(QString* error)
{
    QString folder = m_options.folder;
    const QStringList parts
        = m_linkFolder.mid(folder.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        folder += part + QLatin1Char('/');
        const QByteArray path = QFile::encodeName(folder);
        struct stat info;
        if (::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode))
            continue;
        if (::mkdir(path.constData(), 0777) != 0) {
            *error = errno == EEXIST ? QStringLiteral("%1 is not a folder").arg(folder)
                                     : errnoText(errno);
            return false;
        }
    }
    return true;
}

void DownloadJob::nextLink()
{
    if (m_cancl || m_phase != Phase::Running)
        return;
    if (m_i >= count()) {
        finish();
        return;
    }
    ++m_i;
    m_curlink = m_links.at(m_i - 1);
    m_curfile = chooseName();
    m_baseName = m_curfile;
    m_replace = false;

    if (fileExists(m_curfile)) {
        const FileExistsResolution::Decision decision = m_resolution.decide(m_curfile);
        if (decision.ask) {
            askFileExists(Waiting::NameBeforeTransfer, m_curfile);
            return;
        }
        if (!useName(decision.name))
            return;
    }
    beginLink();
}

bool DownloadJob::useName(const std::optional<QString>& name)
{
    if (!name) {
        emit linkFinished(
            m_i, m_curlink, Result<SavedFile>::ok({ m_linkFolder + m_curfile, 0, true }));
        afterLink();
        return false;
    }
    m_replace = *name == m_curfile;
    m_curfile = SafeFileName(*name);
    return true;
}

void DownloadJob::askFileExists(Waiting waiting, const QString& name)
{
    m_waiting = waiting;
    m_askedName = name;
    m_owdialog = true;
    emit fileExistsDialogOpening();
    emit fileExistsAsked(name);
}

void DownloadJob::answerFileExists(const std::optional<FileExistsAnswer>& answer)
{
    if (m_waiting != Waiting::NameBeforeTransfer && m_waiting != Waiting::NameAtRename)
        return;
    const Waiting waited = std::exchange(m_waiting, Waiting::Nothing);
    m_owdialog = false;
    emit fileExistsDialogClosed();
    // A job cancelled meanwhile has kept its partial file for the next run.
    if (m_cancl || m_phase != Phase::Running)
        return;
    const std::optional<QString> name = m_resolution.answered(m_askedName, answer);
    if (waited == Waiting::NameBeforeTransfer) {
        if (useName(name))
            beginLink();
        return;
    }
    if (!name) {
        m_partial.remove();
        emit linkFinished(
            m_i, m_curlink, Result<SavedFile>::ok({ m_linkFolder + m_curfile, 0, true }));
        afterLink();
        return;
    }
    m_replace = *name == m_curfile;
    m_curfile = SafeFileName(*name);
    placeFile();
}

void DownloadJob::errorShown()
{
    if (m_waiting != Waiting::ErrorSeen)
        return;
    m_waiting = Waiting::Nothing;
    if (!m_cancl && m_phase == Phase::Running)
        afterLink();
}

void DownloadJob::beginLink()
{
    m_savingText
        = QStringLiteral("Saving %1%2 (%3 of %4)")
              .arg(m_linkFolder, m_curfile, QString::number(m_i), QString::number(count()));
    m_label3 = m_savingText;
    m_caption = QStringLiteral("Quillmarch - Saving Files  (%1 of %2)")
                    .arg(QString::number(m_i), QString::number(count()));
    m_attempt = 0;
    m_recordPending = false;
    m_size = -1;
    m_resumeFrom = 0;

    QString error;
    m_requestUrl = RequestUrl(m_curlink);
    if (!makeLinkFolder(&error)
        || !m_partial.open(m_linkFolder, m_baseName, m_requestUrl, &error)) {
        linkFailed(localError(error));
        return;
    }
    m_validator = m_partial.validator();
    m_size = m_partial.keptBytes() > 0 ? m_partial.total() : -1;
    emit changed();
    startTransfer(m_partial.keptBytes());
}

void DownloadJob::startTransfer(qint64 resumeFrom)
{
    TransferRequest request = m_options.limits;
    request.url = QString::fromLatin1(m_requestUrl);
    request.tempPath = m_partial.path();
    request.resumeFrom = resumeFrom;
    request.validator = resumeFrom > 0 ? m_validator : QString();
    request.expectedTotal = resumeFrom > 0 ? m_size : -1;
    const QString page = m_options.contexts.value(m_i - 1).page;
    if (!page.isEmpty())
        request.referer = page;
    m_contentType.clear();
    m_serverName.clear();
    m_resumeFrom = resumeFrom;
    m_transferId = m_service.start(request);
    m_progressTimer.start();
}

void DownloadJob::onHeaders(quint64 id, const TransferHeaders& headers)
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (id != m_transferId || m_transferId == 0)
        return;
    m_size = headers.size > 0 ? headers.size : -1;
    m_contentType = headers.contentType;
    m_serverName = headers.serverName;
    // A range answer may leave the validator out; the kept one still holds then.
    if (headers.status != 206 || !headers.validator.isEmpty())
        m_validator = headers.validator;
    // Written on the next progress tick: a file done before then needs no record.
    m_recordPending = true;
    if (m_size > 0)
        m_bar1Max = 100;
    showBytes(m_service.bytesInFile(id));
}

void DownloadJob::readProgress()
{
    writeRecord();
    if (m_transferId != 0)
        showBytes(m_service.bytesInFile(m_transferId));
}

void DownloadJob::writeRecord()
{
    if (m_recordPending)
        m_partial.record(m_validator, m_size);
    m_recordPending = false;
}

void DownloadJob::showBytes(qint64 bytes)
{
    const QString sizeText = m_size > 0 ? QString::number(m_size) : QStringLiteral("Unknown");
    const QString label1 = QStringLiteral("%1 of %2 bytes").arg(QString::number(bytes), sizeText);
    if (label1 == m_label1)
        return;
    m_label1 = label1;
    if (m_size > 0) {
        const double percent = static_cast<double>(bytes) / static_cast<double>(m_size) * 100.0;
        // Whole percent, ties to even.
        m_label2 = QStringLiteral("%1%").arg(static_cast<qint64>(std::nearbyint(percent)));
        m_bar1 = static_cast<int>(std::min(100.0, std::floor(percent)));
        if (count() == 1) {
            m_bar2Max = m_bar1Max;
            m_bar2 = m_bar1;
        }
    }
    emit changed();
}

void DownloadJob::onFinished(quint64 id, const TransferEnd& end)
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (id != m_transferId || m_transferId == 0)
        return;
    m_transferId = 0;
    m_progressTimer.stop();
    if (m_cancl)
        return;

    if (end.kind == TransferEnd::Kind::Complete && m_contentType == QLatin1String("text/html")
        && LinkNamesFile(m_curlink)) {
        // A sign-in or error page in place of the file is not saved under its name.
        m_partial.remove();
        linkFailed(QStringLiteral("%1 gave a web page instead of the file; the site may "
                                  "need you to sign in first.")
                       .arg(m_curlink));
        return;
    }
    if (end.kind == TransferEnd::Kind::Complete) {
        showBytes(end.bytesInFile);
        moveIntoPlace(end.bytesInFile);
        return;
    }

    if (end.kind == TransferEnd::Kind::Failed && end.transient && m_attempt < m_options.retries) {
        ++m_attempt;
        const qint64 pause = end.retryAfterSeconds >= 0
            ? qint64(std::min(end.retryAfterSeconds, m_options.maxRetryAfterSeconds)) * 1000
            : qint64(m_options.retryBaseMs) << (m_attempt - 1);
        const qint64 keep = end.resumable ? end.bytesInFile : 0;
        m_retryTimer.disconnect();
        connect(&m_retryTimer, &QTimer::timeout, this, [this, keep] {
            if (m_cancl)
                return;
            m_label3 = m_savingText;
            emit changed();
            startTransfer(keep);
        });
        m_retryTimer.start(static_cast<int>(pause));
        m_label3 = QStringLiteral("Retrying in %1 s (attempt %2 of %3)")
                       .arg(QString::number((pause + 999) / 1000), QString::number(m_attempt + 1),
                           QString::number(m_options.retries + 1));
        emit changed();
        emit retrying(m_label3);
        return;
    }

    m_partial.remove();
    if (end.kind == TransferEnd::Kind::Cancelled)
        linkFailed(QStringLiteral("The transfer of %1 was stopped.").arg(m_curlink));
    else if (end.localError)
        linkFailed(localError(end.errorText));
    else
        linkFailed(QStringLiteral("ErrorCode: %1 : %2")
                       .arg(QString::number(end.errorCode), end.errorText));
}

// The final rename. A file that took the name after it was chosen (another run, another
// program) is never replaced unless the policy says to overwrite it: the policy decides
// again, as for a name found taken before the transfer.
void DownloadJob::moveIntoPlace(qint64 size)
{
    m_partial.dropRecord();
    m_savedSize = size;
    if (m_options.useServerNames && !m_serverName.isEmpty()) {
        // Only the name's last part, made safe: the file stays in the link's folder.
        const QString name = m_serverName.mid(m_serverName.lastIndexOf(QLatin1Char('/')) + 1);
        const QString safe = SafeFileName(name.mid(name.lastIndexOf(QLatin1Char('\\')) + 1));
        if (safe != m_curfile) {
            m_curfile = safe;
            m_baseName = safe;
            m_replace = false;
        }
    }
    placeFile();
}

void DownloadJob::placeFile()
{
    const QByteArray from = QFile::encodeName(m_partial.path());
    for (;;) {
        const QByteArray to = QFile::encodeName(m_linkFolder + m_curfile);
        // A plain rename replaces whatever has the name, a symbolic link included (the
        // link itself, never its target).
        const int error = m_replace ? (::rename(from.constData(), to.constData()) == 0 ? 0 : errno)
                                    : renameNoReplace(from, to);
        if (error == 0) {
            m_partial.release();
            linkSaved(m_savedSize);
            return;
        }
        if (error != EEXIST) {
            m_partial.remove();
            linkFailed(localError(errnoText(error)));
            return;
        }
        // Numbering goes on from the link's own name; the other answers concern the
        // name that is taken now.
        const QString taken
            = m_options.owaction == OverwriteAction::Unique ? m_baseName : m_curfile;
        const FileExistsResolution::Decision decision = m_resolution.decide(taken);
        if (decision.ask) {
            askFileExists(Waiting::NameAtRename, taken);
            return;
        }
        if (!decision.name) {
            m_partial.remove();
            emit linkFinished(
                m_i, m_curlink, Result<SavedFile>::ok({ m_linkFolder + m_curfile, 0, true }));
            afterLink();
            return;
        }
        m_replace = *decision.name == m_curfile;
        m_curfile = SafeFileName(*decision.name);
    }
}

void DownloadJob::linkSaved(qint64 size)
{
    emit linkFinished(
        m_i, m_curlink, Result<SavedFile>::ok({ m_linkFolder + m_curfile, size, false }));
    afterLink();
}

void DownloadJob::linkFailed(const QString& message)
{
    m_xfererror = true;
    const QPointer<DownloadJob> self(this);
    emit linkFinished(m_i, m_curlink, Result<SavedFile>::failed(message));
    if (!self || m_cancl)
        return;
    if (m_options.reportErrors) {
        m_waiting = Waiting::ErrorSeen;
        emit errorToShow(message);
        return;
    }
    afterLink();
}

void DownloadJob::afterLink()
{
    const bool lastfile = m_i == count();
    if (!lastfile)
        m_bar1 = 0;
    if (count() == 1)
        m_bar2 = m_bar2Max;
    else
        m_bar2 = m_i;
    emit changed();
    QTimer::singleShot(0, this, &DownloadJob::nextLink);
}

void DownloadJob::finish()
{
    m_label1.clear();
    m_label2.clear();
    if (m_xfererror) {
        m_phase = Phase::Error;
        m_label3 = QStringLiteral("Error");
        m_caption = QStringLiteral("Quillmarch - Saving Files (Error)");
    } else {
        m_phase = Phase::Done;
        m_bar1 = m_bar1Max;
        m_label3 = QStringLiteral("Done");
        m_caption = QStringLiteral("Quillmarch - Saving Files (Complete)");
    }
    emit changed();
    emit ended();
}
