#pragma once

#include <QWidget>
#include <memory>

#include "download/Aria2Job.h"

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// "Saving Files" while an aria2 daemon makes the transfers: the same status, file and
// total progress as the window's own downloads, and, once the job has ended, each failed
// link with the daemon's error. Modeless, owned by the main window; it starts the job
// when first shown and cancels it when it closes (it deletes itself then).
class Aria2Window final : public QWidget
{
    Q_OBJECT
public:
    Aria2Window(const QList<Aria2Link>& links, const Aria2JobOptions& options, IAria2Rpc& rpc,
        QWidget* owner);
    ~Aria2Window() override;

    Aria2Job& job() { return *m_job; }

signals:
    void mainCaptionChanged(const QString& caption);
    void unloading();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void refresh();
    void showEnd();

    std::unique_ptr<Aria2Job> m_job;
    QLabel* m_label1;
    QLabel* m_label2;
    QLabel* m_label3;
    QProgressBar* m_progressBar1;
    QProgressBar* m_progressBar2;
    QPlainTextEdit* m_failures;
    QGroupBox* m_failedGroup;
    QPushButton* m_command1;
    QString m_caption;
    bool m_started = false;
};
