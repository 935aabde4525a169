#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "core/OverwriteAction.h"
#include "core/Result.h"
#include "core/SettingsTable.h"
#include "download/FileExistsResolution.h"
#include "download/ITransferService.h"
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
    // Timeouts, redirects, headers, cookies, referer and user agent for every request.
    TransferRequest limits;
    // Per link, in the order of the links (missing ones empty): an entry's page is the
    // Referer of its request, and its text and title fill a mask's *text* and *title*.
    QList<EntryContext> contexts;
    QString nameMask; // a NameMask; empty for the link's own name
    // The name the server gives (Content-Disposition) replaces the chosen one.
    bool useServerNames = false;
};

// A link's outcome: where its target was saved and how big it is, or skipped.
struct SavedFile {
    QString path;
    qint64 size = 0;
    bool skipped = false;
};

// The download job of "Saving Files": fetches each link of its batch in order into the
// destination folder, one at a time, resolving existing names by the overwrite-action
// policy. Each body is written to the link's hidden partial file in the folder and
// renamed to its final name only when complete, so a cancelled, failed or interrupted
// link leaves no file under a final name and an overwritten file keeps its content until
// then. The rename never replaces a file that appeared after the name was chosen: the
// policy decides again. A cancelled or interrupted link keeps its partial file for the
// next run to resume; a saved or failed one leaves none.
// The state the window shows (labels, bars, the main window's caption) is kept here.
// The job never opens a dialog: it asks through fileExistsAsked() and errorToShow() and
// waits, without blocking, until its owner calls answerFileExists() or errorShown().
class DownloadJob final : public QObject
{
    Q_OBJECT
public:
    enum class Phase { Idle, Running, Done, Error, Cancelled };

    // The links are copied: a later batch never changes a running job.
    DownloadJob(QStringList links, DownloadJobOptions options, ITransferService& service,
        QObject* parent = nullptr);
    // Cancels what is still running, keeping its partial file.
    ~DownloadJob() override;

    void start();
    // Ends the job at once: "Aborting...", the running transfer is cancelled, no
    // further link is requested and the job ends as Cancelled.
    void cancel();

    Phase phase() const { return m_phase; }
    bool isRunning() const { return m_phase == Phase::Running; }
    const QString& folder() const { return m_options.folder; }
    int count() const { return static_cast<int>(m_links.size()); }
    int currentIndex() const { return m_i; } // 1-based, 0 before the first link
    const QString& curlink() const { return m_curlink; }
    const QString& curfile() const { return m_curfile; }
    bool xfererror() const { return m_xfererror; }
    bool owdialog() const { return m_owdialog; }
    // The job waits for the answer to its question or for its message to be seen.
    bool waiting() const { return m_waiting != Waiting::Nothing; }

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

signals:
    // Something shown changed; the window repaints at its own pace.
    void changed();
    void fileExistsDialogOpening();
    void fileExistsDialogClosed();
    // The name of the current link is taken and the "File Exists" question is to be
    // asked for name (fileExistsDialogOpening came just before).
    void fileExistsAsked(const QString& name);
    // A link failed and its "Error" message is to be shown.
    void errorToShow(const QString& message);
    // One per link, in order; a failure's message is the text of its "Error" message.
    void linkFinished(int index, const QString& link, const Result<SavedFile>& result);
    void ended();
    // A transient failure is tried again after a pause; text is "Retrying in N s
    // (attempt k of n)", k counting the first try, also shown in Label3 until the try
    // starts.
    void retrying(const QString& text);

private:
    enum class Waiting { Nothing, NameBeforeTransfer, NameAtRename, ErrorSeen };

    void nextLink();
    void beginLink();
    // Applies a decision about a taken name; false when the link is skipped.
    bool useName(const std::optional<QString>& name);
    void askFileExists(Waiting waiting, const QString& name);
    void placeFile();
    void startTransfer(qint64 resumeFrom);
    void onHeaders(quint64 id, const TransferHeaders& headers);
    void onFinished(quint64 id, const TransferEnd& end);
    void readProgress();
    void showBytes(qint64 bytes);
    void writeRecord();
    void linkSaved(qint64 size);
    void linkFailed(const QString& message);
    void afterLink();
    void finish();
    void moveIntoPlace(qint64 size);
    bool fileExists(const QString& name) const;
    QString chooseName();
    bool makeLinkFolder(QString* error);
    QString localError(const QString& reason) const;

    QStringList m_links;
    DownloadJobOptions m_options;
    ITransferService& m_service;
    FileExistsResolution m_resolution;
    QTimer m_progressTimer;
    QTimer m_retryTimer;

    Phase m_phase = Phase::Idle;
    bool m_cancl = false;
    bool m_xfererror = false;
    bool m_owdialog = false;
    Waiting m_waiting = Waiting::Nothing;
    QString m_askedName; // the taken name the question is about
    qint64 m_savedSize = 0; // the size of the file waiting for its final name
    int m_i = 0;
    QString m_curlink;
    QString m_curfile;
    QString m_linkFolder; // the folder of the current link's file, ending with "/"
    QString m_contentType;
    QString m_serverName;
    QByteArray m_requestUrl; // the link as sent, percent-encoded
    QString m_baseName; // the name from the link, before any renaming
    bool m_replace = false; // the chosen name is to be overwritten
    PartialFile m_partial;
    QString m_validator;
    bool m_recordPending = false; // the partial file's record is not written yet
    QString m_savingText;
    quint64 m_transferId = 0;
    int m_attempt = 0;
    qint64 m_size = -1;
    qint64 m_resumeFrom = 0;

    QString m_label1;
    QString m_label2;
    QString m_label3;
    int m_bar1 = 0;
    int m_bar1Max = 100;
    int m_bar2 = 0;
    int m_bar2Max = 100;
    QString m_caption;
};
