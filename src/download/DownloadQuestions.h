#pragma once

#include <QObject>
#include <QPointer>

class DownloadJob;
class IUserPrompt;

// Puts a download job's "File Exists" questions and "Error" messages to a prompt and
// gives the answers back. Each opens from the event loop once the job waits for it, so
// no dialog runs on the job's stack and the job may be destroyed while one is open.
// The owner keeps this object and the prompt alive while open() holds.
class DownloadQuestions final : public QObject
{
    Q_OBJECT
public:
    DownloadQuestions(DownloadJob& job, IUserPrompt& prompt, QObject* parent = nullptr);

    // A question or message is open now.
    bool open() const { return m_open; }

signals:
    // The open question or message has been answered.
    void closed();

private:
    QPointer<DownloadJob> m_job;
    IUserPrompt& m_prompt;
    bool m_open = false;
};
