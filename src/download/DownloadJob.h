#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "core/Result.h"
#include "download/DownloadItem.h"
#include "download/DownloadJobOptions.h"
#include "download/DownloadLinkState.h"
#include "download/DownloadQueue.h"
#include "download/FileExistsResolution.h"
#include "download/ITransferService.h"
#include "download/LinkNaming.h"

// A link's outcome: where its target was saved and how big it is, or skipped.
struct SavedFile {
    QString path;
    qint64 size = 0;
    bool skipped = false;
};

// What became of a job's links so far.
struct DownloadSummary {
    struct Failure {
        DownloadItem item; // with its context and number, for "Retry failed"
        QString error;
        const QString& link() const { return item.entry.url; }
    };
    int saved = 0;
    int skipped = 0;
    int failed = 0;
    QList<Failure> failures; // in the order they failed
};

// A transfer running now, as the details area shows it.
struct RunningTransfer {
    QString name;
    qint64 bytes = 0;
    qint64 size = -1; // -1 unknown
    qint64 bytesPerSecond = 0;
};

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
class DownloadJob final : public QObject
{
    Q_OBJECT
public:
    enum class Phase { Idle, Running, Done, Error, Cancelled };

    // The items are copied: a later batch never changes a running job.
    DownloadJob(DownloadItems items, DownloadJobOptions options, ITransferService& service,
        QObject* parent = nullptr);
    // Cancels what is still running, keeping its partial files.
    ~DownloadJob() override;

    void start();
    // Ends the job at once: every running transfer is cancelled, no further link is
    // requested and the job ends as Cancelled.
    void cancel();

    Phase phase() const { return m_phase; }
    bool isRunning() const { return m_phase == Phase::Running; }
    const QString& folder() const { return m_options.folder; }
    int count() const { return static_cast<int>(m_items.size()); }
    int currentIndex() const { return m_queue.started(); } // links started, 0 before the first
    int endedCount() const { return m_ended; }
    // Every link, in the job's order.
    const QList<DownloadLinkState>& links() const { return m_states; }
    // The link the window follows: the most recently started one whose name is decided,
    // still running if any runs (the last one once none runs); -1 before the first.
    int current() const { return m_shown; }
    // The most recently started link still running (the last one once none runs).
    const QString& curlink() const { return m_curlink; }
    const QString& curfile() const { return m_curfile; }
    bool xfererror() const { return m_xfererror; }
    bool owdialog() const { return m_owdialog; }
    // The job waits for the answer to its question or for its message to be seen.
    bool waiting() const { return m_waiting != nullptr; }

    // The answer to fileExistsAsked (nullopt: the dialog was closed without "OK").
    void answerFileExists(const std::optional<FileExistsAnswer>& answer);
    // The message of errorToShow has been seen.
    void errorShown();
    const FileExistsResolution& resolution() const { return m_resolution; }

    // The transfers running now, in the order started; the job's speed (bytes a second)
    // and the seconds left (-1 when unknown).
    QList<RunningTransfer> running() const;
    qint64 bytesPerSecond() const;
    qint64 secondsLeft() const;
    const DownloadSummary& summary() const { return m_summary; }
    // The links that failed, in their order in the batch.
    QStringList failedLinks() const;
    // The failed links with their context and number, for a job that tries them again.
    DownloadItems failedItems() const;

signals:
    // Something shown changed; the window repaints at its own pace.
    void changed();
    void fileExistsDialogOpening();
    void fileExistsDialogClosed();
    // A link's name is taken and the "File Exists" question is to be asked for name
    // (fileExistsDialogOpening came just before).
    void fileExistsAsked(const QString& name);
    // A link failed and its "Error" message is to be shown.
    void errorToShow(const QString& message);
    // One per link as it ends (index from 1); a failure's message is the text of its
    // "Error" message.
    void linkFinished(int index, const QString& link, const Result<SavedFile>& result);
    void ended();
    // A transient failure of the link at index (from 1) is tried again after a pause;
    // its state says when and which try.
    void retrying(int index);

private:
    struct Run;
    enum class Waiting { Nothing, NameBeforeTransfer, NameAtRename, ErrorSeen };

    void fill();
    bool nameHeld(int index) const;
    void beginRun(int index);
    void beginLink(Run& run);
    // Applies a decision about a taken name; false when the link is skipped.
    bool useName(Run& run, const std::optional<QString>& name);
    // Takes name for the link's file: numbered when another running link holds it.
    void takeName(Run& run, const QString& name);
    void ask(Run& run, Waiting waiting, const QString& text);
    void askNext();
    // Goes on with a link whose question about a taken name is decided.
    void settle(Run& run, Waiting waited, const std::optional<QString>& name);
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
    void linkFailed(Run& run, const QString& message);
    void endRun(Run& run);
    void finish();
    bool fileExists(const QString& name) const;
    bool nameReserved(const Run& run, const QString& name) const;
    QString unreservedName(const Run& run, const QString& name) const;
    void useServerName(Run& run);
    QString localError(const Run& run, const QString& reason) const;
    Run* runOf(quint64 transferId) const;
    void markHostPauses();

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

    Phase m_phase = Phase::Idle;
    bool m_cancl = false;
    bool m_xfererror = false;
    bool m_owdialog = false;
    std::vector<std::unique_ptr<Run>> m_runs; // in the order started
    std::deque<Run*> m_askQueue; // links waiting for a question or a message
    Run* m_waiting = nullptr; // the link whose question or message is open
    Run* m_current = nullptr; // the most recently started link still running
    int m_shown = -1;
    DownloadSummary m_summary;
    qint64 m_savedBytes = 0;
    int m_ended = 0;
    QString m_curlink;
    QString m_curfile;
    const Run* m_deciding = nullptr; // the link whose taken name the policy decides on
};
