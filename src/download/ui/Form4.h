#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "download/Aria2Job.h"
#include "download/DownloadJob.h"
#include "download/DownloadQuestions.h"

class IUserPrompt;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// "Saving Files": the window of a download job, modeless and owned by the main window.
// It starts the job when first shown, repaints its progress at most about 30 times a
// second, lists the transfers running at once under the bars, sums up the job at its end
// ("Retry failed" runs a new job over the failed links), and ends the job when it closes
// (it deletes itself then). It shows an aria2 hand-off (Aria2Job) too: the daemon's
// status, file and total progress and, once the job has ended, each failed link with the
// daemon's error; with neither "Background" nor "Retry failed", as the daemon keeps the
// files on its own machine.
class Form4 final : public QWidget
{
    Q_OBJECT
public:
    using PromptFactory = std::function<std::unique_ptr<IUserPrompt>(QWidget* window)>;

    // prompt answers the job's questions and messages; when it is null, makePrompt makes
    // the real dialogs over this window.
    Form4(const DownloadItems& items, const DownloadJobOptions& options, ITransferService& service,
        IUserPrompt* prompt, const PromptFactory& makePrompt, QWidget* owner);
    // The links handed to the aria2 daemon behind rpc, which outlives the window so that
    // the removal of cancelled links reaches the daemon.
    Form4(const QList<Aria2Link>& links, const Aria2JobOptions& options, IAria2Rpc& rpc,
        QWidget* owner);
    ~Form4() override;

    // The window's own download job (not for an aria2 hand-off).
    DownloadJob& job() { return *m_local; }
    // The job shown: the window's own or an aria2 hand-off.
    IDownloadJob& shownJob() { return *m_job; }

    // Brings the window, or the "File Exists" dialog while it is open, to the front;
    // shows the window again when "Background" hid it.
    void bringToFront();
    // Raises the window above its siblings when it is showing (the main window was
    // activated).
    void raiseOverOwner();

signals:
    // "Background": the main window is to be enabled and minimized.
    void backgroundRequested();
    // The "File Exists" dialog opens (the main window is enabled and restored) or closes
    // (the main window is disabled again).
    void fileExistsOpening();
    void fileExistsClosed();
    // The main window's caption.
    void mainCaptionChanged(const QString& caption);
    // The window is closing: the job has been cancelled if it was running.
    void unloading();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    explicit Form4(QWidget* owner); // the widgets, without a job
    void makeJob(const DownloadItems& items);
    void watchJob();
    void showFailures();
    // The "File Exists" dialog of the window's own job is open.
    bool ownDialogOpen() const;
    void Command1_Click(); // Cancel / Close
    void Command2_Click(); // Background / Open Folder
    void Command3_Click(); // Retry failed
    void refresh();
    void scheduleRefresh();
    void showEnd();

    DownloadJobOptions m_options;
    ITransferService* m_service = nullptr; // null for an aria2 hand-off
    IUserPrompt* m_prompt = nullptr;
    std::unique_ptr<IUserPrompt> m_ownPrompt;
    std::unique_ptr<IDownloadJob> m_job;
    DownloadJob* m_local = nullptr; // m_job when the window makes the transfers itself
    Aria2Job* m_aria2 = nullptr; // m_job when an aria2 daemon makes them
    std::unique_ptr<DownloadQuestions> m_questions;
    QLabel* m_label1;
    QLabel* m_label2;
    QLabel* m_label3;
    QProgressBar* m_progressBar1;
    QProgressBar* m_progressBar2;
    QPushButton* m_command1;
    QPushButton* m_command2;
    QPushButton* m_command3;
    QLabel* m_details; // the running transfers, the job's speed and time left
    QLabel* m_summary; // at the end: saved, skipped, failed and why
    QGroupBox* m_failedGroup; // an aria2 hand-off's failed links, at the end
    QPlainTextEdit* m_failures;
    QTimer m_repaint;
    QString m_caption;
    bool m_started = false;
    bool m_unloaded = false;
    bool m_closePending = false; // closed while a question of the job was open
};
