#include "download/DownloadJob.h"

#include <QDateTime>
#include <QPointer>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/RequestUrl.h"
#include "download/DownloadNames.h"
#include "download/DownloadRun.h"
#include "download/FilePlacement.h"
#include "download/RetryPause.h"

using Status = DownloadLinkState::Status;
using Kind = PendingQuestions::Kind;
using Question = PendingQuestions::Question;

namespace
{

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

DownloadJob::DownloadJob(
    DownloadItems items, DownloadJobOptions options, ITransferService& service, QObject* parent)
    : IDownloadJob(parent)
    , m_items(std::move(items))
    , m_options(std::move(options))
    , m_service(service)
    , m_naming(m_items, m_options.nameMask, m_options.numbersCount, m_options.portableNames)
    , m_queue(DownloadQueue::hostsOf(m_items), m_options.perHost)
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
        run->writeRecord();
        run->partial().release();
    }
    m_phase = Phase::Cancelled;
    emit changed();
    emit ended();
}

bool DownloadJob::fileExists(const QString& name) const
{
    return m_runs.reserved(*m_deciding, name) || m_deciding->place->holdsFile(name);
}

// The file the link would write, folders included, against the names the running links
// started from and hold now.
bool DownloadJob::nameHeld(int index) const
{
    const LinkNaming::Target& target = m_naming.target(index);
    return m_runs.held(m_options.folder + target.folder, target.name);
}

void DownloadJob::fill()
{
    if (m_cancl || m_phase != Phase::Running)
        return;
    while (m_runs.size() < m_options.atOnce) {
        const int index = m_queue.next(
            m_runs.hosts(), [this](int i) { return nameHeld(i); }, nowMs());
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

// The links not started yet show whether their host holds them back. Only the links of
// a host whose pause began or ended are touched, so a link's start or end costs the same
// however long the list is.
void DownloadJob::markHostPauses()
{
    const QStringList paused = m_queue.pausedHosts(nowMs());
    for (const QString& host : std::as_const(m_pausedShown)) {
        if (!paused.contains(host))
            markHost(host, Status::Waiting);
    }
    for (const QString& host : paused) {
        if (!m_pausedShown.contains(host))
            markHost(host, Status::HostPaused);
    }
    m_pausedShown = paused;
}

void DownloadJob::markHost(const QString& host, Status status)
{
    for (const int index : m_queue.unstarted(host))
        m_states[index].status = status;
}

void DownloadJob::beginRun(int index)
{
    m_queue.markStarted(index);
    Run& run = m_runs.add();
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
        linkFailed(run, run.localError(error), FailureKind::FileSystem);
        return;
    }
    m_deciding = &run;
    if (fileExists(run.file()) && !(m_options.timestamping && run.keepNewerOnly())) {
        const FileExistsResolution::Decision decision = m_resolution.decide(run.file());
        if (decision.ask) {
            ask(run, Kind::NameBeforeTransfer, run.file());
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
    const QString free = m_runs.unreserved(run, safe);
    // Overwriting is what was chosen for the taken name, never for a numbered one.
    run.replace = name == run.file() && free == safe;
    run.state->file = free;
    if (m_current == &run)
        m_curfile = run.file();
}

void DownloadJob::ask(Run& run, Kind kind, const QString& text)
{
    run.state->asking = true;
    m_questions.add({ run.index, kind, text });
    askNext();
}

void DownloadJob::askNext()
{
    if (m_questions.open() || m_cancl || m_phase != Phase::Running)
        return;
    const Question* question = m_questions.openNext();
    if (!question)
        return;
    // Copied: an answer given at once closes the question while it is emitted.
    const QString text = question->text;
    if (question->kind == Kind::ErrorSeen) {
        emit errorToShow(text);
        return;
    }
    m_owdialog = true;
    emit fileExistsDialogOpening();
    emit fileExistsAsked(text);
}

void DownloadJob::answerFileExists(const std::optional<FileExistsAnswer>& answer)
{
    const std::optional<Question> question = m_questions.close(true);
    if (!question)
        return;
    m_states[question->link].asking = false;
    m_owdialog = false;
    emit fileExistsDialogClosed();
    // A job cancelled meanwhile has kept its partial file for the next run.
    Run* run = m_runs.at(question->link);
    if (m_cancl || m_phase != Phase::Running || !run)
        return;
    m_deciding = run;
    const std::optional<QString> name = m_resolution.answered(question->text, answer);
    run->userNamed
        = run->userNamed || (answer && answer->action == FileExistsAction::SaveWithNewName);
    const QPointer<DownloadJob> self(this);
    settle(*run, question->kind, name);
    if (self && m_resolution.allfiles())
        settleWaiting();
    if (self)
        askNext();
}

void DownloadJob::settle(Run& run, Kind waited, const std::optional<QString>& name)
{
    if (waited == Kind::NameBeforeTransfer) {
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
    for (;;) {
        std::optional<QString> name;
        const std::optional<Question> question
            = m_questions.takeDecided([&](const Question& waiting) {
                  m_deciding = m_runs.at(waiting.link);
                  const FileExistsResolution::Decision decision = m_resolution.decide(waiting.text);
                  name = decision.name;
                  return !decision.ask;
              });
        if (!question)
            return;
        m_states[question->link].asking = false;
        if (Run* run = m_runs.at(question->link)) {
            run->userNamed = run->userNamed || m_resolution.namesTyped();
            settle(*run, question->kind, name);
        }
        if (!self || m_cancl || m_phase != Phase::Running)
            return;
    }
}

void DownloadJob::errorShown()
{
    const std::optional<Question> question = m_questions.close(false);
    if (!question)
        return;
    m_states[question->link].asking = false;
    Run* run = m_runs.at(question->link);
    if (m_cancl || m_phase != Phase::Running || !run)
        return;
    endRun(*run);
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
        linkFailed(run, run.localError(error), FailureKind::FileSystem);
        return;
    }
    run.validator = run.partial().validator();
    run.state->size = run.partial().keptBytes() > 0 ? run.partial().total() : -1;
    emit changed();
    startTransfer(run, run.partial().keptBytes());
}

void DownloadJob::startTransfer(Run& run, qint64 resumeFrom)
{
    run.transferId = m_service.start(
        run.beginTransfer(m_options.limits, m_items.at(run.index).entry.context.page, resumeFrom));
    if (!m_serviceReports)
        m_progressTimer.start();
}

void DownloadJob::onHeaders(quint64 id, const TransferHeaders& headers)
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (Run* run = m_runs.withTransfer(id)) {
        run->takeHeaders(headers, m_service.bytesInFile(id));
        useTypedName(*run);
        emit changed();
    }
}

// The service reports the bytes itself: polling them is no longer needed.
void DownloadJob::onProgress(quint64 id, qint64 bytesInFile)
{
    m_serviceReports = true;
    m_progressTimer.stop();
    Run* run = m_runs.withTransfer(id);
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
    for (const auto& run : m_runs)
        run->writeRecord();
}

// The link followed became another: the most recently started one still running whose
// name is decided.
void DownloadJob::showCurrent()
{
    m_current = m_runs.latestNamed();
    if (!m_current)
        return;
    m_curlink = m_current->link;
    m_curfile = m_current->file();
    m_shown = m_current->index;
}

void DownloadJob::onFinished(quint64 id, const TransferEnd& end)
{
    Q_ASSERT(QThread::currentThread() == thread());
    Run* found = m_runs.withTransfer(id);
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
    if (end.notModified) {
        run.partial().remove();
        linkSkipped(run);
        return;
    }
    if (end.kind == TransferEnd::Kind::Complete) {
        run.state->bytes = end.bytesInFile;
        run.partial().setModified(run.lastModified);
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
        linkFailed(run, run.localError(end.errorText), FailureKind::FileSystem);
    else
        linkFailed(run,
            QStringLiteral("ErrorCode: %1 : %2").arg(QString::number(end.errorCode), end.errorText),
            end.failure);
}

// Tries a transiently failed link again after a pause; the server may hold its whole
// host back meanwhile.
void DownloadJob::retryLater(Run& run, const TransferEnd& end)
{
    const RetryPause retry = RetryPause::after(
        end, run.state->attempt++, m_options.retryBaseMs, m_options.maxRetryAfterSeconds);
    const qint64 pause = retry.ms;
    if (retry.pausesHost) {
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
    const QString safe = m_naming.serverName(run.serverName, run.file());
    if (safe.isEmpty())
        return;
    run.baseName = safe;
    run.state->file = m_runs.unreserved(run, safe);
    run.replace = false;
    if (m_current == &run)
        m_curfile = run.file();
}

// A link without a named file ("/image?id=5", "/") is named for the type the server
// gives: the partial file keeps its name, the final one takes the type's extension, and
// the rename decides on it as on any name. A name the user typed stays.
void DownloadJob::useTypedName(Run& run)
{
    if (run.userNamed)
        return;
    const QString typed = m_naming.typedName(run.index, run.contentType);
    if (typed.isEmpty() || typed == run.baseName)
        return;
    run.baseName = typed;
    run.state->file = m_runs.unreserved(run, typed);
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
            linkFailed(run, run.localError(QString::fromLocal8Bit(std::strerror(error))),
                FailureKind::FileSystem);
            return;
        }
        // Numbering goes on from the link's own name; the other answers concern the
        // name that is taken now.
        const QString taken
            = m_options.owaction == OverwriteAction::Unique ? run.baseName : run.file();
        m_deciding = &run;
        const FileExistsResolution::Decision decision = m_resolution.decide(taken);
        if (decision.ask) {
            ask(run, Kind::NameAtRename, taken);
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
    m_summary.savedBytes += size;
    run.state->status = Status::Saved;
    const QPointer<DownloadJob> self(this);
    emit linkFinished(
        run.index + 1, run.link, Result<SavedFile>::ok({ run.folder() + run.file(), size, false }));
    if (self)
        endRun(run);
}

void DownloadJob::linkFailed(Run& run, const QString& message, FailureKind kind)
{
    m_xfererror = true;
    ++m_summary.failed;
    run.state->status = Status::Failed;
    run.state->reason = message;
    DownloadItem item = m_items.at(run.index);
    if (item.number <= 0)
        item.number = run.index + 1;
    m_summary.failures.append({ item, message, kind });
    const QPointer<DownloadJob> self(this);
    emit linkFinished(run.index + 1, run.link, Result<SavedFile>::failed(message, kind));
    if (!self || m_cancl)
        return;
    if (m_options.reportErrors) {
        ask(run, Kind::ErrorSeen, message);
        return;
    }
    endRun(run);
}

void DownloadJob::endRun(Run& run)
{
    ++m_ended;
    const bool wasCurrent = m_current == &run;
    const std::unique_ptr<Run> done = m_runs.remove(run);
    if (wasCurrent)
        showCurrent();
    emit changed();
    QTimer::singleShot(0, this, &DownloadJob::fill);
}

void DownloadJob::finish()
{
    m_progressTimer.stop();
    m_phase = m_xfererror ? Phase::Error : Phase::Done;
    emit changed();
    emit ended();
}
