#include "download/DownloadJob.h"

#include <QFile>
#include <QRandomGenerator>
#include <QThread>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "core/IUserPrompt.h"
#include "download/DownloadNames.h"

namespace
{

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A fresh hidden name in folder for the file being received.
QString tempName(const QString& folder)
{
    return folder
        + QStringLiteral(".quillmarch-%1.part")
              .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
}

} // namespace

DownloadJob::DownloadJob(QStringList links, DownloadJobOptions options, ITransferService& service,
    IUserPrompt& prompt, QObject* parent)
    : QObject(parent)
    , m_links(std::move(links))
    , m_options(std::move(options))
    , m_service(service)
    , m_prompt(prompt)
    , m_resolution(
          m_options.owaction, prompt, [this](const QString& name) { return fileExists(name); })
{
    // The service's signals reach the job directly: both live on the same thread.
    Q_ASSERT(service.thread() == thread());
    if (!m_options.folder.endsWith(QLatin1Char('/')))
        m_options.folder += QLatin1Char('/');
    m_resolution.dialogOpening = [this] {
        m_owdialog = true;
        emit fileExistsDialogOpening();
    };
    m_resolution.dialogClosed = [this] {
        m_owdialog = false;
        emit fileExistsDialogClosed();
    };
    m_progressTimer.setInterval(m_options.progressIntervalMs);
    connect(&m_progressTimer, &QTimer::timeout, this, &DownloadJob::readProgress);
    m_retryTimer.setSingleShot(true);
    connect(&service, &ITransferService::headersReceived, this, &DownloadJob::onHeaders);
    connect(&service, &ITransferService::finished, this, &DownloadJob::onFinished);
}

// The owner must not destroy the job while asking() holds: it waits for
// askingFinished() (the window hides and closes itself then).
DownloadJob::~DownloadJob()
{
    Q_ASSERT(QThread::currentThread() == thread());
    Q_ASSERT(m_asking == 0);
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
    // The worker may still hold the file open; removing the name is safe all the same.
    removeTemp();
    m_phase = Phase::Cancelled;
    emit changed();
    emit ended();
}

bool DownloadJob::fileExists(const QString& name) const
{
    struct stat info;
    if (::lstat(QFile::encodeName(m_options.folder + name).constData(), &info) != 0)
        return false;
    return !S_ISDIR(info.st_mode);
}

QString DownloadJob::localError(const QString& reason) const
{
    return QStringLiteral("Could not save %1 in %2: %3.").arg(m_curfile, m_options.folder, reason);
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
    m_curfile = SafeFileName(FileNameFromUrl(m_curlink));

    if (fileExists(m_curfile)) {
        ++m_asking;
        const std::optional<QString> name = m_resolution.resolve(m_curfile);
        --m_asking;
        emit askingFinished();
        if (m_cancl)
            return;
        if (!name) {
            emit linkFinished(
                m_i, m_curlink, Result<SavedFile>::ok({ m_options.folder + m_curfile, 0, true }));
            afterLink();
            return;
        }
        m_curfile = SafeFileName(*name);
    }

    m_label3 = QStringLiteral("Saving %1%2 (%3 of %4)")
                   .arg(m_options.folder, m_curfile)
                   .arg(m_i)
                   .arg(count());
    m_caption = QStringLiteral("Quillmarch - Saving Files  (%1 of %2)").arg(m_i).arg(count());
    m_attempt = 0;
    m_size = -1;
    m_resumeFrom = 0;

    m_tempPath = tempName(m_options.folder);
    emit changed();
    startTransfer(0);
}

void DownloadJob::startTransfer(qint64 resumeFrom)
{
    TransferRequest request = m_options.limits;
    request.url = m_curlink;
    request.tempPath = m_tempPath;
    request.resumeFrom = resumeFrom;
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
    if (m_size > 0)
        m_bar1Max = 100;
    showBytes(m_service.bytesInFile(id));
}

void DownloadJob::readProgress()
{
    if (m_transferId != 0)
        showBytes(m_service.bytesInFile(m_transferId));
}

void DownloadJob::showBytes(qint64 bytes)
{
    const QString sizeText = m_size > 0 ? QString::number(m_size) : QStringLiteral("Unknown");
    const QString label1 = QStringLiteral("%1 of %2 bytes").arg(bytes).arg(sizeText);
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

    if (end.kind == TransferEnd::Kind::Complete) {
        showBytes(end.bytesInFile);
        const QString target = m_options.folder + m_curfile;
        // rename replaces whatever has the final name, a symbolic link included (the
        // link itself, never its target).
        if (::rename(
                QFile::encodeName(m_tempPath).constData(), QFile::encodeName(target).constData())
            != 0) {
            const int error = errno;
            removeTemp();
            linkFailed(localError(errnoText(error)));
            return;
        }
        m_tempPath.clear();
        linkSaved(end.bytesInFile);
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
            if (!m_cancl)
                startTransfer(keep);
        });
        m_retryTimer.start(static_cast<int>(pause));
        return;
    }

    removeTemp();
    if (end.kind == TransferEnd::Kind::Cancelled)
        linkFailed(QStringLiteral("The transfer of %1 was stopped.").arg(m_curlink));
    else if (end.localError)
        linkFailed(localError(end.errorText));
    else
        linkFailed(QStringLiteral("ErrorCode: %1 : %2").arg(end.errorCode).arg(end.errorText));
}

void DownloadJob::linkSaved(qint64 size)
{
    emit linkFinished(
        m_i, m_curlink, Result<SavedFile>::ok({ m_options.folder + m_curfile, size, false }));
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
        ++m_asking;
        m_prompt.message(PromptIcon::Critical, QStringLiteral("Error"), message);
        --m_asking;
        emit askingFinished();
        if (m_cancl)
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

void DownloadJob::removeTemp()
{
    if (!m_tempPath.isEmpty())
        ::unlink(QFile::encodeName(m_tempPath).constData());
    m_tempPath.clear();
}
