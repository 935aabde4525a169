#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <optional>

#include "core/Result.h"
#include "download/DownloadItem.h"
#include "download/DownloadJobOptions.h"
#include "download/DownloadLinkState.h"
#include "download/DownloadQueue.h"
#include "download/DownloadSummary.h"
#include "download/FileExistsResolution.h"
#include "download/IDownloadJob.h"
#include "download/ITransferService.h"
#include "download/LinkNaming.h"
#include "download/PendingQuestions.h"
#include "download/RunningLinks.h"
#include "download/SavedFile.h"

struct DownloadRun;

// The download job of "Saving Files": fetches the links of its batch into the destination
// folder, up to atOnce at a time and at most perHost of them from one host, starting them
// in order (DownloadQueue), resolving existing names by the overwrite-action policy. With
// atOnce 1 it takes one link after the other. Each body is written to the link's hidden
// partial file in the folder and renamed to its final name only when complete
// (FilePlacement), so a cancelled, failed or interrupted link leaves no file under a final
// name and an overwritten file keeps its content until then. The rename never replaces a
// file that appeared after the name was chosen: the policy decides again. A name is
// reserved by its link while it runs, so two links of the job never race for one name; a
// link whose name another running link holds waits for it; so does a link whose name a
// server gave to a running link, which takes that name numbered. A cancelled or
// interrupted link keeps its partial file for the next run to resume; a saved or failed
// one leaves none. A server that answers "Too Many Requests" or "Service Unavailable", or
// names a time to come back, pauses every link of its host.
// The job keeps a model of every link (links()); its views word it. It never opens a
// dialog: it asks through fileExistsAsked() and errorToShow(), one at a time, and waits,
// without blocking, until its owner calls answerFileExists() or errorShown(); the links
// that need no answer go on meanwhile.
class DownloadJob final : public IDownloadJob
{
    Q_OBJECT
public:
    // The items are copied: a later batch never changes a running job.
    DownloadJob(DownloadItems items, DownloadJobOptions options, ITransferService& service,
        QObject* parent = nullptr);
    // Cancels what is still running, keeping its partial files.
    ~DownloadJob() override;

    void start() override;
    // Ends the job at once: every running transfer is cancelled, no further link is
    // requested and the job ends as Cancelled.
    void cancel() override;

    Phase phase() const override { return m_phase; }
    const QString& folder() const override { return m_options.folder; }
    int count() const override { return static_cast<int>(m_items.size()); }
    int currentIndex() const { return m_queue.started(); } // links started, 0 before the first
    int endedCount() const { return m_ended; }
    // Every link, in the job's order.
    const QList<DownloadLinkState>& links() const override { return m_states; }
    // The link the window follows: the most recently started one whose name is decided,
    // still running if any runs (the last one once none runs); -1 before the first.
    int current() const { return m_shown; }
    // The most recently started link still running (the last one once none runs).
    const QString& curlink() const { return m_curlink; }
    const QString& curfile() const { return m_curfile; }
    bool xfererror() const { return m_xfererror; }
    bool owdialog() const { return m_owdialog; }
    // The job waits for the answer to its question or for its message to be seen.
    bool waiting() const { return m_questions.open() != nullptr; }

    // The answer to fileExistsAsked (nullopt: the dialog was closed without "OK").
    void answerFileExists(const std::optional<FileExistsAnswer>& answer);
    // The message of errorToShow has been seen.
    void errorShown();
    const FileExistsResolution& resolution() const { return m_resolution; }

    // The links that failed so far, with their context (DownloadFigures reads the
    // figures shown from it and links()).
    const DownloadSummary& summary() const override { return m_summary; }

signals:
    // changed(): the window repaints at its own pace. linkFinished(): a failure's message
    // is the text of its "Error" message.
    void fileExistsDialogOpening();
    void fileExistsDialogClosed();
    // A link's name is taken and the "File Exists" question is to be asked for name
    // (fileExistsDialogOpening came just before).
    void fileExistsAsked(const QString& name);
    // A link failed and its "Error" message is to be shown.
    void errorToShow(const QString& message);
    // A transient failure of the link at index (from 1) is tried again after a pause;
    // its state says when and which try.
    void retrying(int index);

private:
    using Run = DownloadRun;

    void fill();
    bool nameHeld(int index) const;
    void beginRun(int index);
    void beginLink(Run& run);
    // Applies a decision about a taken name; false when the link is skipped.
    bool useName(Run& run, const std::optional<QString>& name);
    // Takes name for the link's file: numbered when another running link holds it.
    void takeName(Run& run, const QString& name);
    void ask(Run& run, PendingQuestions::Kind kind, const QString& text);
    void askNext();
    // Goes on with a link whose question about a taken name is decided.
    void settle(Run& run, PendingQuestions::Kind waited, const std::optional<QString>& name);
    // Decides the questions waiting to be asked by the answer given "for all".
    void settleWaiting();
    void placeFile(Run& run);
    void startTransfer(Run& run, qint64 resumeFrom);
    void retryLater(Run& run, const TransferEnd& end);
    void onHeaders(quint64 id, const TransferHeaders& headers);
    void onProgress(quint64 id, qint64 bytesInFile);
    void onFinished(quint64 id, const TransferEnd& end);
    void readProgress();
    void writeRecords();
    void showCurrent();
    void linkSkipped(Run& run);
    void linkSaved(Run& run, qint64 size);
    void linkFailed(Run& run, const QString& message, FailureKind kind = FailureKind::Other);
    void endRun(Run& run);
    void finish();
    bool fileExists(const QString& name) const;
    void useServerName(Run& run);
    void useTypedName(Run& run);
    void markHostPauses();
    void markHost(const QString& host, DownloadLinkState::Status status);

    DownloadItems m_items;
    DownloadJobOptions m_options;
    ITransferService& m_service;
    LinkNaming m_naming;
    DownloadQueue m_queue;
    FileExistsResolution m_resolution;
    QList<DownloadLinkState> m_states; // per item
    QTimer m_progressTimer; // reads the byte counts of a service that does not report them
    bool m_serviceReports = false; // the service reports progress itself
    QTimer m_pauseTimer; // wakes the job when a paused host may go on
    QStringList m_pausedShown; // the hosts whose waiting links show HostPaused

    Phase m_phase = Phase::Idle;
    bool m_cancl = false;
    bool m_xfererror = false;
    bool m_owdialog = false;
    RunningLinks m_runs;
    PendingQuestions m_questions; // about links waiting for an answer or a message
    Run* m_current = nullptr; // the most recently started link still running
    int m_shown = -1;
    DownloadSummary m_summary;
    int m_ended = 0;
    QString m_curlink;
    QString m_curfile;
    const Run* m_deciding = nullptr; // the link whose taken name the policy decides on
};
