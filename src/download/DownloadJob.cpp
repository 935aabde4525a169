#include "download/DownloadJob.h"

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/RequestUrl.h"
#include "download/DownloadNames.h"
#include "download/LinkFolder.h"

namespace
{

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

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

// One link from the moment it starts until it has ended and its message (if any) has
// been seen.
struct DownloadJob::Run {
    int index = 0; // 1-based position in the batch
    int number = 0; // 1-based position among the links started
    QString link;
    QString file; // the name chosen
    QString baseName; // the name from the link, before any renaming
    QString folder; // where the file goes: the destination or a folder the mask names in it
    QString maskFolder; // that folder relative to the destination ("" or ending with "/")
    QString contentType; // of the final response
    QString serverName; // the name the server gave (Content-Disposition), as given
    QString host;
    QByteArray requestUrl; // the link as sent, percent-encoded
    bool named = false; // the name is chosen and reserved
    bool replace = false; // the chosen name is to be overwritten
    LinkFolder dir; // the folder, once entered; outlives the partial file named in it
    PartialFile partial;
    QString validator;
    bool recordPending = false; // the partial file's record is not written yet
    QString savingText;
    QString statusText; // what Label3 shows while this is the current link
    quint64 transferId = 0;
    int attempt = 0;
    qint64 size = -1;
    qint64 savedSize = 0; // the size of the file waiting for its final name
    qint64 bytes = 0;
    QElapsedTimer clock; // since the transfer started, for its speed
    qint64 clockBytes = 0;
    Waiting waiting = Waiting::Nothing;
    QString asked; // the taken name asked about, or the message to show
    QTimer retryTimer;
};

namespace
{

bool pausesHost(const TransferEnd& end)
{
    return !end.localError
        && (end.retryAfterSeconds >= 0 || end.errorCode == 429 || end.errorCode == 503);
}

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
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
    m_options.atOnce = std::max(1, m_options.atOnce);
    m_options.perHost = std::max(1, m_options.perHost);
    // A mask that does not parse was refused before the job; the links keep their names.
    if (QString problem; !m_options.nameMask.isEmpty())
        m_mask = NameMask::parse(m_options.nameMask, &problem);
    m_started.assign(m_links.size(), false);
    m_progressTimer.setInterval(m_options.progressIntervalMs);
    connect(&m_progressTimer, &QTimer::timeout, this, &DownloadJob::readProgress);
    m_pauseTimer.setSingleShot(true);
    connect(&m_pauseTimer, &QTimer::timeout, this, &DownloadJob::fill);
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
    QTimer::singleShot(0, this, &DownloadJob::fill);
}

void DownloadJob::cancel()
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (m_phase != Phase::Running)
        return;
    m_label3 = QStringLiteral("Aborting...");
    m_cancl = true;
    m_progressTimer.stop();
    m_pauseTimer.stop();
    for (const auto& run : m_runs) {
        run->retryTimer.stop();
        if (run->transferId != 0)
            m_service.cancel(run->transferId);
        run->transferId = 0;
        // The partial file and its record stay for a later run to resume from.
        if (run->recordPending)
            run->partial.record(run->validator, run->size);
        run->recordPending = false;
        run->partial.release();
    }
    m_phase = Phase::Cancelled;
    emit changed();
    emit ended();
}

bool DownloadJob::fileExists(const QString& name) const
{
    return nameReserved(*m_deciding, name) || m_deciding->dir.holdsFile(name);
}

// Another running link of the folder holds name.
bool DownloadJob::nameReserved(const Run& run, const QString& name) const
{
    return std::any_of(m_runs.begin(), m_runs.end(), [&](const auto& other) {
        return other.get() != &run && other->named && other->folder == run.folder
            && other->file == name;
    });
}

QString DownloadJob::unreservedName(const Run& run, const QString& name) const
{
    QString free = name;
    for (int n = 1; nameReserved(run, free); ++n)
        free = NumberedName(name, n);
    return free;
}

DownloadJob::Target DownloadJob::targetOf(int index) const
{
    const QString& link = m_links.at(index);
    if (!m_mask)
        return { QString(), SafeFileName(FileNameFromUrl(link)) };
    const int number = m_options.numbers.value(index, index + 1);
    const int of = m_options.numbersCount > 0 ? m_options.numbersCount : count();
    const QString path = m_mask->expand(
        { link, number, of, m_options.contexts.value(index), QDate::currentDate() });
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return { path.left(slash + 1), path.mid(slash + 1) };
}

// Enters the link's folder from the destination down, never through a symbolic link;
// without create, a folder not made yet leaves it closed.
bool DownloadJob::openFolder(Run& run, bool create, QString* error) const
{
    return run.dir.open(m_options.folder,
        run.maskFolder.split(QLatin1Char('/'), Qt::SkipEmptyParts), create, error);
}

QString DownloadJob::localError(const Run& run, const QString& reason) const
{
    return QStringLiteral("Could not save %1 in %2: %3.").arg(run.file, run.folder, reason);
}

DownloadJob::Run* DownloadJob::runOf(quint64 transferId) const
{
    if (transferId == 0)
        return nullptr;
    for (const auto& run : m_runs) {
        if (run->transferId == transferId)
            return run.get();
    }
    return nullptr;
}

// The first link not started whose host has room and is not paused, and whose name no
// running link holds; -1 when none may start now.
int DownloadJob::nextStartable() const
{
    const qint64 now = nowMs();
    for (int i = m_firstUnstarted; i < count(); ++i) {
        if (m_started[static_cast<size_t>(i)])
            continue;
        const QString host = QUrl(m_links.at(i)).host().toLower();
        if (m_hostPausedUntil.value(host, 0) > now)
            continue;
        const auto onHost = std::count_if(
            m_runs.begin(), m_runs.end(), [&](const auto& run) { return run->host == host; });
        if (onHost >= m_options.perHost)
            continue;
        // The file it would write, folders included, against the names the running
        // links started from and hold now.
        const Target target = targetOf(i);
        const QString folder = m_options.folder + target.folder;
        const bool nameHeld = std::any_of(m_runs.begin(), m_runs.end(), [&](const auto& run) {
            return run->folder == folder
                && (run->baseName == target.name || run->file == target.name);
        });
        if (!nameHeld)
            return i;
    }
    return -1;
}

void DownloadJob::fill()
{
    if (m_cancl || m_phase != Phase::Running)
        return;
    while (static_cast<int>(m_runs.size()) < m_options.atOnce) {
        const int index = nextStartable();
        if (index < 0)
            break;
        beginRun(index);
        if (m_cancl || m_phase != Phase::Running)
            return;
    }
    if (m_runs.empty() && m_i == count()) {
        finish();
        return;
    }
    // A link held back by a paused host starts when the pause ends.
    qint64 wake = 0;
    const qint64 now = nowMs();
    for (const qint64 until : std::as_const(m_hostPausedUntil)) {
        if (until > now && (wake == 0 || until < wake))
            wake = until;
    }
    if (wake != 0 && m_i < count())
        m_pauseTimer.start(static_cast<int>(wake - now));
}

void DownloadJob::pauseHost(const QString& host, qint64 ms)
{
    qint64& until = m_hostPausedUntil[host];
    until = std::max(until, nowMs() + ms);
}

void DownloadJob::beginRun(int index)
{
    m_started[static_cast<size_t>(index)] = true;
    while (m_firstUnstarted < count() && m_started[static_cast<size_t>(m_firstUnstarted)])
        ++m_firstUnstarted;
    ++m_i;
    auto owned = std::make_unique<Run>();
    Run& run = *owned;
    m_runs.push_back(std::move(owned));
    run.index = index + 1;
    run.number = m_i;
    run.link = m_links.at(index);
    run.host = QUrl(run.link).host().toLower();
    const Target target = targetOf(index);
    run.maskFolder = target.folder;
    run.folder = m_options.folder + target.folder;
    run.file = target.name;
    run.baseName = run.file;
    run.retryTimer.setSingleShot(true);
    m_current = &run;
    m_curlink = run.link;
    m_curfile = run.file;

    QString error;
    if (!openFolder(run, false, &error)) {
        linkFailed(run, localError(run, error));
        return;
    }
    m_deciding = &run;
    if (fileExists(run.file)) {
        const FileExistsResolution::Decision decision = m_resolution.decide(run.file);
        if (decision.ask) {
            ask(run, Waiting::NameBeforeTransfer, run.file);
            return;
        }
        if (!useName(run, decision.name))
            return;
    }
    beginLink(run);
}

bool DownloadJob::useName(Run& run, const std::optional<QString>& name)
{
    if (!name) {
        linkSkipped(run);
        return false;
    }
    takeName(run, *name);
    return true;
}

void DownloadJob::takeName(Run& run, const QString& name)
{
    const QString safe = SafeFileName(name);
    const QString free = unreservedName(run, safe);
    // Overwriting is what was chosen for the taken name, never for a numbered one.
    run.replace = name == run.file && free == safe;
    run.file = free;
    if (m_current == &run)
        m_curfile = run.file;
}

void DownloadJob::ask(Run& run, Waiting waiting, const QString& text)
{
    run.waiting = waiting;
    run.asked = text;
    m_askQueue.push_back(&run);
    askNext();
}

void DownloadJob::askNext()
{
    if (m_waiting || m_askQueue.empty() || m_cancl || m_phase != Phase::Running)
        return;
    m_waiting = m_askQueue.front();
    m_askQueue.pop_front();
    if (m_waiting->waiting == Waiting::ErrorSeen) {
        emit errorToShow(m_waiting->asked);
        return;
    }
    m_owdialog = true;
    emit fileExistsDialogOpening();
    emit fileExistsAsked(m_waiting->asked);
}

void DownloadJob::answerFileExists(const std::optional<FileExistsAnswer>& answer)
{
    if (!m_waiting
        || (m_waiting->waiting != Waiting::NameBeforeTransfer
            && m_waiting->waiting != Waiting::NameAtRename))
        return;
    Run& run = *std::exchange(m_waiting, nullptr);
    const Waiting waited = std::exchange(run.waiting, Waiting::Nothing);
    m_owdialog = false;
    emit fileExistsDialogClosed();
    // A job cancelled meanwhile has kept its partial file for the next run.
    if (m_cancl || m_phase != Phase::Running)
        return;
    m_deciding = &run;
    const std::optional<QString> name = m_resolution.answered(run.asked, answer);
    const QPointer<DownloadJob> self(this);
    settle(run, waited, name);
    if (self && m_resolution.allfiles())
        settleWaiting();
    if (self)
        askNext();
}

void DownloadJob::settle(Run& run, Waiting waited, const std::optional<QString>& name)
{
    if (waited == Waiting::NameBeforeTransfer) {
        if (useName(run, name))
            beginLink(run);
    } else if (!name) {
        run.partial.remove();
        linkSkipped(run);
    } else {
        takeName(run, *name);
        placeFile(run);
    }
}

void DownloadJob::settleWaiting()
{
    const QPointer<DownloadJob> self(this);
    for (auto it = m_askQueue.begin(); it != m_askQueue.end();) {
        Run& run = **it;
        if (run.waiting == Waiting::ErrorSeen) {
            ++it;
            continue;
        }
        m_deciding = &run;
        const FileExistsResolution::Decision decision = m_resolution.decide(run.asked);
        if (decision.ask) {
            ++it;
            continue;
        }
        m_askQueue.erase(it);
        settle(run, std::exchange(run.waiting, Waiting::Nothing), decision.name);
        if (!self || m_cancl || m_phase != Phase::Running)
            return;
        // Settling may end links and queue messages: the queue is read again.
        it = m_askQueue.begin();
    }
}

void DownloadJob::errorShown()
{
    if (!m_waiting || m_waiting->waiting != Waiting::ErrorSeen)
        return;
    Run& run = *std::exchange(m_waiting, nullptr);
    run.waiting = Waiting::Nothing;
    if (m_cancl || m_phase != Phase::Running)
        return;
    endRun(run);
    askNext();
}

void DownloadJob::beginLink(Run& run)
{
    run.named = true;
    run.savingText
        = QStringLiteral("Saving %1%2 (%3 of %4)")
              .arg(run.folder, run.file, QString::number(run.number), QString::number(count()));
    run.statusText = run.savingText;
    if (m_current == &run) {
        m_curfile = run.file;
        m_label3 = run.statusText;
    }
    m_caption = QStringLiteral("Quillmarch - Saving Files  (%1 of %2)")
                    .arg(QString::number(m_i), QString::number(count()));

    QString error;
    run.requestUrl = RequestUrl(run.link);
    if ((!run.dir.isOpen() && !openFolder(run, true, &error))
        || !run.partial.open(run.dir.fd(), run.baseName, run.requestUrl, &error)) {
        linkFailed(run, localError(run, error));
        return;
    }
    run.validator = run.partial.validator();
    run.size = run.partial.keptBytes() > 0 ? run.partial.total() : -1;
    emit changed();
    startTransfer(run, run.partial.keptBytes());
}

void DownloadJob::startTransfer(Run& run, qint64 resumeFrom)
{
    TransferRequest request = m_options.limits;
    request.url = QString::fromLatin1(run.requestUrl);
    request.tempPath = run.partial.path();
    request.resumeFrom = resumeFrom;
    request.validator = resumeFrom > 0 ? run.validator : QString();
    request.expectedTotal = resumeFrom > 0 ? run.size : -1;
    // A referer given for the job wins; else the page the entry was found on, as a
    // browser following the link would send it.
    if (request.referer.isEmpty())
        request.referer = m_options.contexts.value(run.index - 1).page;
    run.contentType.clear();
    run.serverName.clear();
    run.bytes = resumeFrom;
    run.clockBytes = resumeFrom;
    run.clock.start();
    run.transferId = m_service.start(request);
    m_progressTimer.start();
}

void DownloadJob::onHeaders(quint64 id, const TransferHeaders& headers)
{
    Q_ASSERT(QThread::currentThread() == thread());
    Run* run = runOf(id);
    if (!run)
        return;
    run->size = headers.size > 0 ? headers.size : -1;
    run->contentType = headers.contentType;
    run->serverName = headers.serverName;
    // A range answer may leave the validator out; the kept one still holds then.
    if (headers.status != 206 || !headers.validator.isEmpty())
        run->validator = headers.validator;
    // Written on the next progress tick: a file done before then needs no record.
    run->recordPending = true;
    if (run->size > 0 && run == m_current)
        m_bar1Max = 100;
    showBytes(*run, m_service.bytesInFile(id));
}

void DownloadJob::readProgress()
{
    bool any = false;
    for (const auto& run : m_runs) {
        if (run->recordPending)
            run->partial.record(run->validator, run->size);
        run->recordPending = false;
        if (run->transferId != 0) {
            any = true;
            showBytes(*run, m_service.bytesInFile(run->transferId));
        }
    }
    if (!any)
        m_progressTimer.stop();
    else if (m_runs.size() > 1)
        emit changed(); // the details of the others
}

void DownloadJob::showBytes(Run& run, qint64 bytes)
{
    run.bytes = bytes;
    if (&run != m_current)
        return;
    const QString sizeText = run.size > 0 ? QString::number(run.size) : QStringLiteral("Unknown");
    const QString label1 = QStringLiteral("%1 of %2 bytes").arg(QString::number(bytes), sizeText);
    if (label1 == m_label1)
        return;
    m_label1 = label1;
    if (run.size > 0) {
        const double percent = static_cast<double>(bytes) / static_cast<double>(run.size) * 100.0;
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

// The current link became another: the most recently started one still running.
void DownloadJob::showCurrent()
{
    m_current = nullptr;
    for (auto it = m_runs.rbegin(); it != m_runs.rend(); ++it) {
        if ((*it)->named) {
            m_current = it->get();
            break;
        }
    }
    if (!m_current)
        return;
    m_curlink = m_current->link;
    m_curfile = m_current->file;
    m_label3 = m_current->statusText;
    m_label1.clear();
    showBytes(*m_current, m_current->bytes);
}

void DownloadJob::onFinished(quint64 id, const TransferEnd& end)
{
    Q_ASSERT(QThread::currentThread() == thread());
    Run* found = runOf(id);
    if (!found)
        return;
    Run& run = *found;
    run.transferId = 0;
    if (m_cancl)
        return;

    if (end.kind == TransferEnd::Kind::Complete && run.contentType == QLatin1String("text/html")
        && LinkNamesFile(run.link)) {
        // A sign-in or error page in place of the file is not saved under its name.
        run.partial.remove();
        linkFailed(run,
            QStringLiteral("%1 gave a web page instead of the file; the site may "
                           "need you to sign in first.")
                .arg(run.link));
        return;
    }
    if (end.kind == TransferEnd::Kind::Complete) {
        showBytes(run, end.bytesInFile);
        run.partial.dropRecord();
        run.savedSize = end.bytesInFile;
        useServerName(run);
        placeFile(run);
        return;
    }

    if (end.kind == TransferEnd::Kind::Failed && end.transient && run.attempt < m_options.retries) {
        ++run.attempt;
        const qint64 pause = end.retryAfterSeconds >= 0
            ? qint64(std::min(end.retryAfterSeconds, m_options.maxRetryAfterSeconds)) * 1000
            : qint64(m_options.retryBaseMs) << (run.attempt - 1);
        // The server asked for a pause: no other link of its host starts meanwhile.
        if (pausesHost(end))
            pauseHost(run.host, pause);
        const qint64 keep = end.resumable ? end.bytesInFile : 0;
        run.retryTimer.disconnect();
        connect(&run.retryTimer, &QTimer::timeout, this, [this, &run, keep] {
            if (m_cancl)
                return;
            run.statusText = run.savingText;
            if (&run == m_current)
                m_label3 = run.statusText;
            emit changed();
            startTransfer(run, keep);
        });
        run.retryTimer.start(static_cast<int>(pause));
        run.statusText
            = QStringLiteral("Retrying in %1 s (attempt %2 of %3)")
                  .arg(QString::number((pause + 999) / 1000), QString::number(run.attempt + 1),
                      QString::number(m_options.retries + 1));
        if (&run == m_current)
            m_label3 = run.statusText;
        emit changed();
        emit retrying(run.link, run.statusText);
        return;
    }

    run.partial.remove();
    if (end.kind == TransferEnd::Kind::Cancelled)
        linkFailed(run, QStringLiteral("The transfer of %1 was stopped.").arg(run.link));
    else if (end.localError)
        linkFailed(run, localError(run, end.errorText));
    else
        linkFailed(run,
            QStringLiteral("ErrorCode: %1 : %2")
                .arg(QString::number(end.errorCode), end.errorText));
}

// With "use the name the server gives": only the last part of that name, made safe, so
// the file stays in the link's folder; numbered when another running link holds it.
void DownloadJob::useServerName(Run& run)
{
    if (!m_options.useServerNames || run.serverName.isEmpty())
        return;
    const QString safe = ServerFileName(run.serverName);
    if (safe.isEmpty() || safe == run.file)
        return;
    run.baseName = safe;
    run.file = unreservedName(run, safe);
    run.replace = false;
    if (m_current == &run)
        m_curfile = run.file;
}

// The final rename. A file that took the name after it was chosen (another run, another
// program) is never replaced unless the policy says to overwrite it: the policy decides
// again, as for a name found taken before the transfer.
void DownloadJob::placeFile(Run& run)
{
    const QByteArray from = run.partial.fileName();
    const int dir = run.dir.fd();
    for (;;) {
        const QByteArray to = QFile::encodeName(run.file);
        // A plain rename replaces whatever has the name, a symbolic link included (the
        // link itself, never its target).
        const int error = run.replace
            ? (::renameat(dir, from.constData(), dir, to.constData()) == 0 ? 0 : errno)
            : renameNoReplace(dir, from, to);
        if (error == 0) {
            run.partial.release();
            linkSaved(run, run.savedSize);
            return;
        }
        if (error != EEXIST) {
            run.partial.remove();
            linkFailed(run, localError(run, errnoText(error)));
            return;
        }
        // Numbering goes on from the link's own name; the other answers concern the
        // name that is taken now.
        const QString taken
            = m_options.owaction == OverwriteAction::Unique ? run.baseName : run.file;
        m_deciding = &run;
        const FileExistsResolution::Decision decision = m_resolution.decide(taken);
        if (decision.ask) {
            ask(run, Waiting::NameAtRename, taken);
            return;
        }
        if (!decision.name) {
            run.partial.remove();
            linkSkipped(run);
            return;
        }
        takeName(run, *decision.name);
    }
}

void DownloadJob::linkSkipped(Run& run)
{
    ++m_summary.skipped;
    const QPointer<DownloadJob> self(this);
    emit linkFinished(
        run.index, run.link, Result<SavedFile>::ok({ run.folder + run.file, 0, true }));
    if (self)
        endRun(run);
}

void DownloadJob::linkSaved(Run& run, qint64 size)
{
    ++m_summary.saved;
    m_savedBytes += size;
    const QPointer<DownloadJob> self(this);
    emit linkFinished(
        run.index, run.link, Result<SavedFile>::ok({ run.folder + run.file, size, false }));
    if (self)
        endRun(run);
}

void DownloadJob::linkFailed(Run& run, const QString& message)
{
    m_xfererror = true;
    ++m_summary.failed;
    m_summary.failures.append({ run.link, message, m_options.contexts.value(run.index - 1),
        m_options.numbers.value(run.index - 1, run.index) });
    const QPointer<DownloadJob> self(this);
    emit linkFinished(run.index, run.link, Result<SavedFile>::failed(message));
    if (!self || m_cancl)
        return;
    if (m_options.reportErrors) {
        ask(run, Waiting::ErrorSeen, message);
        return;
    }
    endRun(run);
}

void DownloadJob::endRun(Run& run)
{
    ++m_ended;
    m_bar2 = count() == 1 ? m_bar2Max : m_ended;
    const bool wasCurrent = m_current == &run;
    const auto it = std::find_if(
        m_runs.begin(), m_runs.end(), [&](const auto& owned) { return owned.get() == &run; });
    std::unique_ptr<Run> done = std::move(*it);
    m_runs.erase(it);
    if (m_i < count())
        m_bar1 = 0;
    if (wasCurrent)
        showCurrent();
    emit changed();
    QTimer::singleShot(0, this, &DownloadJob::fill);
}

QList<RunningTransfer> DownloadJob::running() const
{
    QList<RunningTransfer> list;
    for (const auto& run : m_runs) {
        if (!run->named || run->waiting != Waiting::Nothing)
            continue;
        const qint64 ms = run->clock.isValid() ? run->clock.elapsed() : 0;
        const qint64 speed = ms > 0 ? (run->bytes - run->clockBytes) * 1000 / ms : 0;
        list.append({ run->file, run->bytes, run->size, std::max<qint64>(0, speed) });
    }
    return list;
}

qint64 DownloadJob::bytesPerSecond() const
{
    qint64 total = 0;
    for (const RunningTransfer& transfer : running())
        total += transfer.bytesPerSecond;
    return total;
}

qint64 DownloadJob::secondsLeft() const
{
    const qint64 speed = bytesPerSecond();
    if (speed <= 0)
        return -1;
    qint64 left = 0;
    for (const RunningTransfer& transfer : running()) {
        if (transfer.size < 0)
            return -1;
        left += std::max<qint64>(0, transfer.size - transfer.bytes);
    }
    // Links not started yet are taken to be as big as the saved ones on average.
    const int notStarted = count() - m_i;
    if (notStarted > 0) {
        if (m_summary.saved == 0)
            return -1;
        left += m_savedBytes / m_summary.saved * notStarted;
    }
    return (left + speed - 1) / speed;
}

QStringList DownloadJob::failedLinks() const
{
    QStringList links;
    for (const DownloadSummary::Failure& failure : m_summary.failures)
        links.append(failure.link);
    return links;
}

void DownloadJob::finish()
{
    m_progressTimer.stop();
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
