#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "download/DownloadJob.h"
#include "download/DownloadQuestions.h"

class IUserPrompt;
class QLabel;
class QProgressBar;
class QPushButton;

// "Saving Files": the window of a download job, modeless and owned by the main window.
// It starts the job when first shown, repaints its progress at most about 30 times a
// second, lists the transfers running at once under the bars, sums up the job at its end
// ("Retry failed" runs a new job over the failed links), and ends the job when it closes
// (it deletes itself then).
class Form4 final : public QWidget
{
    Q_OBJECT
public:
    using PromptFactory = std::function<std::unique_ptr<IUserPrompt>(QWidget* window)>;

    // prompt answers the job's questions and messages; when it is null, makePrompt makes
    // the real dialogs over this window.
    Form4(const DownloadItems& items, const DownloadJobOptions& options, ITransferService& service,
        IUserPrompt* prompt, const PromptFactory& makePrompt, QWidget* owner);
    ~Form4() override;

    DownloadJob& job() { return *m_job; }

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
    void makeJob(const DownloadItems& items);
    void Command1_Click(); // Cancel / Close
    void Command2_Click(); // Background / Open Folder
    void Command3_Click(); // Retry failed
    void refresh();
    void scheduleRefresh();
    void showEnd();

    DownloadJobOptions m_options;
    ITransferService& m_service;
    IUserPrompt* m_prompt;
    std::unique_ptr<IUserPrompt> m_ownPrompt;
    std::unique_ptr<DownloadJob> m_job;
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
    QTimer m_repaint;
    QString m_caption;
    bool m_started = false;
    bool m_unloaded = false;
    bool m_closePending = false; // closed while a question of the job was open
};
