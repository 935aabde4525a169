#include "download/DownloadJob.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QPointer>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/RequestUrl.h"
#include "download/DownloadNames.h"
#include "download/FilePlacement.h"

using Status = DownloadLinkState::Status;

// One link from the moment it starts until it has ended and its message (if any) has
// been seen.
struct DownloadJob::Run {
    int index = 0; // in the batch, from 0
    DownloadLinkState* state = nullptr; // the link in the model
    QString link;
    QString baseName; // the name from the link, before any renaming
    QString contentType; // of the final response
    QString serverName; // the name the server gave (Content-Disposition), as given
    QString host;
    QByteArray requestUrl; // the link as sent, percent-encoded
    bool replace = false; // the chosen name is to be overwritten
    std::unique_ptr<FilePlacement> place;
    QString validator;
    bool recordPending = false; // the partial file's record is not written yet
    quint64 transferId = 0;
    qint64 savedSize = 0; // the size of the file waiting for its final name
    QElapsedTimer clock; // since the transfer started, for its speed
    qint64 clockBytes = 0;
    Waiting waiting = Waiting::Nothing;
    QString asked; // the taken name asked about, or the message to show
    QTimer retryTimer;

    const QString& file() const { return state->file; }
    const QString& folder() const { return state->folder; }
    PartialFile& partial() { return place->partial(); }
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

QStringList hostsOf(const DownloadItems& items)
{
    QStringList hosts;
    hosts.reserve(items.size());
    for (const DownloadItem& item : items)
        hosts.append(QUrl(item.url()).host().toLower());
    return hosts;
}

} // namespace

DownloadJob::DownloadJob(
    DownloadItems items, DownloadJobOptions options, ITransferService& service, QObject* parent)
    : QObject(parent)
    , m_items(std::move(items))
    , m_options(std::move(options))
    , m_service(service)
    , m_naming(m_items, m_options.nameMask, m_options.numbersCount)
    , m_queue(hostsOf(m_items), m_options.perHost)
    , m_resolution(m_options.owaction, [this](const QString& name) { return fileExists(name); })
{
    // The service's signals reach the job directly: both live on the same thread.
    Q_ASSERT(service.thread() == thread());
    if (!m_options.folder.endsWith(QLatin1Char('/')))
        m_options.folder += QLatin1Char('/');
    m_options.atOnce = std::max(1, m_options.atOnce);
    m_states.resize(m_items.size());
    for (DownloadLinkState& state : m_states)
        state.attempts = std::max(0, m_options.retries) + 1;
    m_progressTimer.setInterval(m_options.progressIntervalMs);
    connect(&m_progressTimer, &QTimer::timeout, this, &DownloadJob::readProgress);
    m_pauseTimer.setSingleShot(true);
    connect(&m_pauseTimer, &QTimer::timeout, this, &DownloadJob::fill);
    connect(&service, &ITransferService::headersReceived, this, &DownloadJob::onHeaders);
    connect(&service, &ITransferService::progressed, this, &DownloadJob::onProgress);
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
            run->partial().record(run->validator, run->state->size);
        run->recordPending = false;
        run->partial().release();
    }
    m_phase = Phase::Cancelled;
    emit changed();
    emit ended();
}

bool DownloadJob::fileExists(const QString& name) const
{
    return nameReserved(*m_deciding, name) || m_deciding->place->holdsFile(name);
}

// Another running link of the folder holds name.
bool DownloadJob::nameReserved(const Run& run, const QString& name) const
{
    return std::any_of(m_runs.begin(), m_runs.end(), [&](const auto& other) {
        return other.get() != &run && other->state->named && other->folder() == run.folder()
            && other->file() == name;
    });
}

QString DownloadJob::unreservedName(const Run& run, const QString& name) const
{
    return LinkNaming::unreserved(
        name, [&](const QString& candidate) { return nameReserved(run, candidate); });
}

QString DownloadJob::localError(const Run& run, const QString& reason) const
{
    return QStringLiteral("Could not save %1 in %2: %3.").arg(run.file(), run.folder(), reason);
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

// The file the link would write, folders included, against the names the running links
// started from and hold now.
bool DownloadJob::nameHeld(int index) const
{
    const LinkNaming::Target& target = m_naming.target(index);
    const QString folder = m_options.folder + target.folder;
    return std::any_of(m_runs.begin(), m_runs.end(), [&](const auto& run) {
        return run->folder() == folder
            && (run->baseName == target.name || run->file() == target.name);
    });
}

void DownloadJob::fill()
{
    if (m_cancl || m_phase != Phase::Running)
        return;
    while (static_cast<int>(m_runs.size()) < m_options.atOnce) {
        QStringList hosts;
        for (const auto& run : m_runs)
            hosts.append(run->host);
        const int index = m_queue.next(
            hosts, [this](int i) { return nameHeld(i); }, nowMs());
        if (index < 0)
            break;
        beginRun(index);
        if (m_cancl || m_phase != Phase::Running)
            return;
    }
    if (m_runs.empty() && m_queue.started() == count()) {
        finish();
        return;
    }
    // A link held back by a paused host starts when the pause ends.
    const qint64 now = nowMs();
    const qint64 wake = m_queue.nextWake(now);
    markHostPauses();
    if (wake != 0 && m_queue.started() < count())
        m_pauseTimer.start(static_cast<int>(wake - now));
}

// The links not started yet show whether their host holds them back.
void DownloadJob::markHostPauses()
{
    const qint64 now = nowMs();
    if (m_queue.nextWake(now) == 0 && m_queue.started() == 0)
        return;
    for (int i = 0; i < count(); ++i) {
        Status& status = m_states[i].status;
        if (status == Status::Waiting || status == Status::HostPaused)
            status = m_queue.paused(m_queue.host(i), now) ? Status::HostPaused : Status::Waiting;
    }
}

void DownloadJob::beginRun(int index)
{
    m_queue.markStarted(index);
    auto owned = std::make_unique<Run>();
    Run& run = *owned;
    m_runs.push_back(std::move(owned));
    run.index = index;
    run.state = &m_states[index];
    run.state->status = Status::Running;
    run.state->order = m_queue.started();
    run.link = m_items.at(index).url();
    run.host = m_queue.host(index);
    const LinkNaming::Target& target = m_naming.target(index);
    run.place = std::make_unique<FilePlacement>(m_options.folder, target.folder);
    run.state->folder = run.place->folder();
    run.state->file = target.name;
    run.baseName = target.name;
    run.retryTimer.setSingleShot(true);
    m_current = &run;
    m_curlink = run.link;
    m_curfile = run.file();

    QString error;
    if (!run.place->enter(false, &error)) {
        linkFailed(run, localError(run, error));
        return;
    }
    m_deciding = &run;
    if (fileExists(run.file())) {
        const FileExistsResolution::Decision decision = m_resolution.decide(run.file());
        if (decision.ask) {
            ask(run, Waiting::NameBeforeTransfer, run.file());
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
    run.replace = name == run.file() && free == safe;
    run.state->file = free;
    if (m_current == &run)
        m_curfile = run.file();
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
        run.partial().remove();
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
    run.state->named = true;
    if (m_current == &run) {
        m_curfile = run.file();
        m_shown = run.index;
    }

    QString error;
    run.requestUrl = RequestUrl(run.link);
    if (!run.place->openPartial(run.baseName, run.requestUrl, &error)) {
        linkFailed(run, localError(run, error));
        return;
    }
    run.validator = run.partial().validator();
    run.state->size = run.partial().keptBytes() > 0 ? run.partial().total() : -1;
    emit changed();
    startTransfer(run, run.partial().keptBytes());
}

void DownloadJob::startTransfer(Run& run, qint64 resumeFrom)
{
    TransferRequest request = m_options.limits;
    request.url = QString::fromLatin1(run.requestUrl);
    request.tempPath = run.partial().path();
    request.resumeFrom = resumeFrom;
    request.validator = resumeFrom > 0 ? run.validator : QString();
    request.expectedTotal = resumeFrom > 0 ? run.state->size : -1;
    // A referer given for the job wins; else the page the entry was found on, as a
    // browser following the link would send it.
    if (request.referer.isEmpty())
        request.referer = m_items.at(run.index).entry.context.page;
    run.contentType.clear();
    run.serverName.clear();
    run.state->bytes = resumeFrom;
    run.clockBytes = resumeFrom;
    run.clock.start();
    run.transferId = m_service.start(request);
    if (!m_serviceReports)
        m_progressTimer.start();
}

void DownloadJob::onHeaders(quint64 id, const TransferHeaders& headers)
{
    Q_ASSERT(QThread::currentThread() == thread());
    Run* run = runOf(id);
    if (!run)
        return;
    run->state->size = headers.size > 0 ? headers.size : -1;
    run->contentType = headers.contentType;
    run->serverName = headers.serverName;
    // A range answer may leave the validator out; the kept one still holds then.
    if (headers.status != 206 || !headers.validator.isEmpty())
        run->validator = headers.validator;
    // Written with the next progress: a file done before then needs no record.
    run->recordPending = true;
    run->state->bytes = m_service.bytesInFile(id);
    emit changed();
}

// The service reports the bytes itself: polling them is no longer needed.
void DownloadJob::onProgress(quint64 id, qint64 bytesInFile)
{
    m_serviceReports = true;
    m_progressTimer.stop();
    Run* run = runOf(id);
    if (!run)
        return;
    writeRecords();
    if (run->state->bytes == bytesInFile)
        return;
    run->state->bytes = bytesInFile;
    emit changed();
}

void DownloadJob::readProgress()
{
    writeRecords();
    bool any = false;
    bool moved = false;
    for (const auto& run : m_runs) {
        if (run->transferId == 0)
            continue;
        any = true;
        const qint64 bytes = m_service.bytesInFile(run->transferId);
        moved = moved || bytes != run->state->bytes;
        run->state->bytes = bytes;
    }
    if (!any)
        m_progressTimer.stop();
    if (moved)
        emit changed();
}

void DownloadJob::writeRecords()
{
    for (const auto& run : m_runs) {
        if (run->recordPending)
            run->partial().record(run->validator, run->state->size);
        run->recordPending = false;
    }
}

// The link followed became another: the most recently started one still running whose
// name is decided.
void DownloadJob::showCurrent()
{
    m_current = nullptr;
    for (auto it = m_runs.rbegin(); it != m_runs.rend(); ++it) {
        if ((*it)->state->named) {
            m_current = it->get();
            break;
        }
    }
    if (!m_current)
        return;
    m_curlink = m_current->link;
    m_curfile = m_current->file();
    m_shown = m_current->index;
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
        run.partial().remove();
        linkFailed(run,
            QStringLiteral("%1 gave a web page instead of the file; the site may "
                           "need you to sign in first.")
                .arg(run.link));
        return;
    }
    if (end.kind == TransferEnd::Kind::Complete) {
        run.state->bytes = end.bytesInFile;
        run.partial().dropRecord();
        run.savedSize = end.bytesInFile;
        useServerName(run);
        placeFile(run);
        return;
    }
    if (end.kind == TransferEnd::Kind::Failed && end.transient
        && run.state->attempt < run.state->attempts) {
        retryLater(run, end);
        return;
    }

    run.partial().remove();
    if (end.kind == TransferEnd::Kind::Cancelled)
        linkFailed(run, QStringLiteral("The transfer of %1 was stopped.").arg(run.link));
    else if (end.localError)
        linkFailed(run, localError(run, end.errorText));
    else
        linkFailed(run,
            QStringLiteral("ErrorCode: %1 : %2")
                .arg(QString::number(end.errorCode), end.errorText));
}

// Tries a transiently failed link again after a pause: the server's Retry-After (cut to
// the longest allowed), else a pause doubling with each try.
void DownloadJob::retryLater(Run& run, const TransferEnd& end)
{
    const int retry = run.state->attempt++;
    const qint64 pause = end.retryAfterSeconds >= 0
        ? qint64(std::min(end.retryAfterSeconds, m_options.maxRetryAfterSeconds)) * 1000
        : qint64(m_options.retryBaseMs) << (retry - 1);
    // The server asked for a pause: no other link of its host starts meanwhile.
    if (pausesHost(end)) {
        m_queue.pauseHost(run.host, nowMs() + pause);
        markHostPauses();
    }
    const qint64 keep = end.resumable ? end.bytesInFile : 0;
    run.retryTimer.disconnect();
    connect(&run.retryTimer, &QTimer::timeout, this, [this, &run, keep] {
        if (m_cancl)
            return;
        run.state->status = Status::Running;
        run.state->retryInMs = 0;
        emit changed();
        startTransfer(run, keep);
    });
    run.retryTimer.start(static_cast<int>(pause));
    run.state->status = Status::Retrying;
    run.state->retryInMs = pause;
    emit changed();
    emit retrying(run.index + 1);
}

// With "use the name the server gives": only the last part of that name, made safe, so
// the file stays in the link's folder; numbered when another running link holds it.
void DownloadJob::useServerName(Run& run)
{
    if (!m_options.useServerNames)
        return;
    const QString safe = LinkNaming::serverName(run.serverName, run.file());
    if (safe.isEmpty())
        return;
    run.baseName = safe;
    run.state->file = unreservedName(run, safe);
    run.replace = false;
    if (m_current == &run)
        m_curfile = run.file();
}

// The final rename. A file that took the name after it was chosen (another run, another
// program) is never replaced unless the policy says to overwrite it: the policy decides
// again, as for a name found taken before the transfer.
void DownloadJob::placeFile(Run& run)
{
    for (;;) {
        const int error = run.place->place(run.file(), run.replace);
        if (error == 0) {
            linkSaved(run, run.savedSize);
            return;
        }
        if (error != EEXIST) {
            run.partial().remove();
            linkFailed(run, localError(run, QString::fromLocal8Bit(std::strerror(error))));
            return;
        }
        // Numbering goes on from the link's own name; the other answers concern the
        // name that is taken now.
        const QString taken
            = m_options.owaction == OverwriteAction::Unique ? run.baseName : run.file();
        m_deciding = &run;
        const FileExistsResolution::Decision decision = m_resolution.decide(taken);
        if (decision.ask) {
            ask(run, Waiting::NameAtRename, taken);
            return;
        }
        if (!decision.name) {
            run.partial().remove();
            linkSkipped(run);
            return;
        }
        takeName(run, *decision.name);
    }
}

void DownloadJob::linkSkipped(Run& run)
{
    ++m_summary.skipped;
    run.state->status = Status::Skipped;
    const QPointer<DownloadJob> self(this);
    emit linkFinished(
        run.index + 1, run.link, Result<SavedFile>::ok({ run.folder() + run.file(), 0, true }));
    if (self)
        endRun(run);
}

void DownloadJob::linkSaved(Run& run, qint64 size)
{
    ++m_summary.saved;
    m_savedBytes += size;
    run.state->status = Status::Saved;
    const QPointer<DownloadJob> self(this);
    emit linkFinished(
        run.index + 1, run.link, Result<SavedFile>::ok({ run.folder() + run.file(), size, false }));
    if (self)
        endRun(run);
}

void DownloadJob::linkFailed(Run& run, const QString& message)
{
    m_xfererror = true;
    ++m_summary.failed;
    run.state->status = Status::Failed;
    run.state->reason = message;
    DownloadItem item = m_items.at(run.index);
    if (item.number <= 0)
        item.number = run.index + 1;
    m_summary.failures.append({ item, message });
    const QPointer<DownloadJob> self(this);
    emit linkFinished(run.index + 1, run.link, Result<SavedFile>::failed(message));
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
    const bool wasCurrent = m_current == &run;
    const auto it = std::find_if(
        m_runs.begin(), m_runs.end(), [&](const auto& owned) { return owned.get() == &run; });
    std::unique_ptr<Run> done = std::move(*it);
    m_runs.erase(it);
    if (wasCurrent)
        showCurrent();
    emit changed();
    QTimer::singleShot(0, this, &DownloadJob::fill);
}

QList<RunningTransfer> DownloadJob::running() const
{
    QList<RunningTransfer> list;
    for (const auto& run : m_runs) {
        if (!run->state->named || run->waiting != Waiting::Nothing)
            continue;
        const qint64 ms = run->clock.isValid() ? run->clock.elapsed() : 0;
        const qint64 speed = ms > 0 ? (run->state->bytes - run->clockBytes) * 1000 / ms : 0;
        run->state->bytesPerSecond = std::max<qint64>(0, speed);
        list.append(
            { run->file(), run->state->bytes, run->state->size, run->state->bytesPerSecond });
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
    const int notStarted = count() - m_queue.started();
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
        links.append(failure.link());
    return links;
}

DownloadItems DownloadJob::failedItems() const
{
    DownloadItems items;
    for (const DownloadSummary::Failure& failure : m_summary.failures)
        items.append(failure.item);
    return items;
}

void DownloadJob::finish()
{
    m_progressTimer.stop();
    m_phase = m_xfererror ? Phase::Error : Phase::Done;
    emit changed();
    emit ended();
}
