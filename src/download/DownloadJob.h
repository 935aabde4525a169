#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <memory>
#include <vector>

#include "core/OverwriteAction.h"
#include "core/Result.h"
#include "core/SettingsTable.h"
#include "download/FileExistsResolution.h"
#include "download/ITransferService.h"
#include "download/NameMask.h"
#include "download/PartialFile.h"
#include "listops/EntryContext.h"

struct DownloadJobOptions {
    QString folder; // the destination, ending with "/"
    OverwriteAction owaction
        = storedOverwriteAction(SettingsTable::OverwriteActionSetting.defaultInt());
    int retries = SettingsTable::Retries.defaultInt(); // further tries after a transient failure
    int retryBaseMs = 1000; // pauses between tries: base, twice that, four times...
    int maxRetryAfterSeconds = 300; // a longer "Retry-After" is cut to this
    int progressIntervalMs = 33; // how often the byte count is read while a file runs
    bool reportErrors = true; // one "Error" message per failed link through the prompt
    // Timeouts, redirects, the rate limit, headers, cookies, referer and user agent for
    // every request.
    TransferRequest limits;
    // Per link, in the order of the links (missing ones empty): an entry's page is the
    // Referer of its request, and its text and title fill a mask's *text* and *title*.
    QList<EntryContext> contexts;
    QString nameMask; // a NameMask; empty for the link's own name
    // Per link, its *num* (missing ones: its position, from 1), and the count of the job
    // the numbers were given in, which sets their width (0: this job's). A retry of some
    // links keeps the numbers they had.
    QList<int> numbers;
    int numbersCount = 0;
    // The name the server gives (Content-Disposition) replaces the chosen one.
    bool useServerNames = false;
    int atOnce = SettingsTable::DownloadsAtOnce.defaultInt(); // links fetched at a time
    int perHost = SettingsTable::PerHost.defaultInt(); // of those, at most this many per host
};

// A link's outcome: where its target was saved and how big it is, or skipped.
struct SavedFile {
    QString path;
    qint64 size = 0;
    bool skipped = false;
};

// What became of a job's links so far.
struct DownloadSummary {
    struct Failure {
        QString link;
        QString error;
        EntryContext context {};
        int number = 0; // its *num*
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
// in order, resolving existing names by the overwrite-action policy. With atOnce 1 it
// takes one link after the other. Each body is written to the link's hidden partial file
// in the folder and renamed to its final name only when complete, so a cancelled, failed
// or interrupted link leaves no file under a final name and an overwritten file keeps its
// content until then. The rename never replaces a file that appeared after the name was
// chosen: the policy decides again. A name is reserved by its link while it runs, so two
// links of the job never race for one name; a link whose name another running link holds
// waits for it; so does a link whose name a server gave to a running link, which takes
// that name numbered. A cancelled or interrupted link keeps its partial file for the next run to
// resume; a saved or failed one leaves none. A server that answers "Too Many Requests" or
// "Service Unavailable", or names a time to come back, pauses every link of its host.
// The state the window shows (labels, bars, the main window's caption) is kept here.
// The job never opens a dialog: it asks through fileExistsAsked() and errorToShow(), one
// at a time, and waits, without blocking, until its owner calls answerFileExists() or
// errorShown(); the links that need no answer go on meanwhile.
class DownloadJob final : public QObject
{
    Q_OBJECT
public:
    enum class Phase { Idle, Running, Done, Error, Cancelled };

    // The links are copied: a later batch never changes a running job.
    DownloadJob(QStringList links, DownloadJobOptions options, ITransferService& service,
        QObject* parent = nullptr);
    // Cancels what is still running, keeping its partial files.
    ~DownloadJob() override;

    void start();
    // Ends the job at once: "Aborting...", every running transfer is cancelled, no
    // further link is requested and the job ends as Cancelled.
    void cancel();

    Phase phase() const { return m_phase; }
    bool isRunning() const { return m_phase == Phase::Running; }
    const QString& folder() const { return m_options.folder; }
    int count() const { return static_cast<int>(m_links.size()); }
    int currentIndex() const { return m_i; } // links started, 0 before the first
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

    // What "Saving Files" shows.
    const QString& Label1() const { return m_label1; } // "1024 of 2049 bytes"
    const QString& Label2() const { return m_label2; } // "50%"
    const QString& Label3() const { return m_label3; } // "Saving ...", "Done", "Error"
    int ProgressBar1() const { return m_bar1; }
    int ProgressBar1Max() const { return m_bar1Max; }
    int ProgressBar2() const { return m_bar2; }
    int ProgressBar2Max() const { return m_bar2Max; }
    // The main window's caption while the job runs and when it has ended.
    const QString& mainCaption() const { return m_caption; }
    // The transfers running now, in the order started; the job's speed (bytes a second)
    // and the seconds left (-1 when unknown).
    QList<RunningTransfer> running() const;
    qint64 bytesPerSecond() const;
    qint64 secondsLeft() const;
    const DownloadSummary& summary() const { return m_summary; }
    // The links that failed, in their order in the batch.
    QStringList failedLinks() const;

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
    // One per link as it ends; a failure's message is the text of its "Error" message.
    void linkFinished(int index, const QString& link, const Result<SavedFile>& result);
    void ended();
    // A transient failure of link is tried again after a pause; text is "Retrying in N s
    // (attempt k of n)", k counting the first try, also shown in Label3 until the try
    // starts.
    void retrying(const QString& link, const QString& text);

private:
    struct Run;
    enum class Waiting { Nothing, NameBeforeTransfer, NameAtRename, ErrorSeen };

    // Where a link's file goes: the folders a mask names inside the destination (relative,
    // ending with "/", or empty) and the file name.
    struct Target {
        QString folder;
        QString name;
    };

    void fill();
    Target targetOf(int index) const;
    int nextStartable() const;
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
    void onHeaders(quint64 id, const TransferHeaders& headers);
    void onFinished(quint64 id, const TransferEnd& end);
    void readProgress();
    void showCurrent();
    void showBytes(Run& run, qint64 bytes);
    void linkSkipped(Run& run);
    void linkSaved(Run& run, qint64 size);
    void linkFailed(Run& run, const QString& message);
    void endRun(Run& run);
    void finish();
    bool fileExists(const QString& name) const;
    bool nameReserved(const Run& run, const QString& name) const;
    QString unreservedName(const Run& run, const QString& name) const;
    bool openFolder(Run& run, bool create, QString* error) const;
    void useServerName(Run& run);
    QString localError(const Run& run, const QString& reason) const;
    Run* runOf(quint64 transferId) const;
    void pauseHost(const QString& host, qint64 ms);

    QStringList m_links;
    DownloadJobOptions m_options;
    std::optional<NameMask> m_mask;
    ITransferService& m_service;
    FileExistsResolution m_resolution;
    QTimer m_progressTimer;
    QTimer m_pauseTimer; // wakes the job when a paused host may go on

    Phase m_phase = Phase::Idle;
    bool m_cancl = false;
    bool m_xfererror = false;
    bool m_owdialog = false;
    std::vector<std::unique_ptr<Run>> m_runs; // in the order started
    std::vector<bool> m_started; // per link
    int m_firstUnstarted = 0;
    std::deque<Run*> m_askQueue; // links waiting for a question or a message
    Run* m_waiting = nullptr; // the link whose question or message is open
    Run* m_current = nullptr; // the most recently started link still running
    QHash<QString, qint64> m_hostPausedUntil; // ms since the epoch
    DownloadSummary m_summary;
    qint64 m_savedBytes = 0;
    int m_ended = 0;
    int m_i = 0;
    QString m_curlink;
    QString m_curfile;
    const Run* m_deciding = nullptr; // the link whose taken name the policy decides on

    QString m_label1;
    QString m_label2;
    QString m_label3;
    int m_bar1 = 0;
    int m_bar1Max = 100;
    int m_bar2 = 0;
    int m_bar2Max = 100;
    QString m_caption;
};
