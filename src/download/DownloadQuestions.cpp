#include "download/DownloadQuestions.h"

#include <QTimer>

#include "core/IUserPrompt.h"
#include "download/DownloadJob.h"

DownloadQuestions::DownloadQuestions(DownloadJob& job, IUserPrompt& prompt, QObject* parent)
    : QObject(parent)
    , m_job(&job)
    , m_prompt(prompt)
{
    connect(&job, &DownloadJob::fileExistsAsked, this, [this](const QString& name) {
        QTimer::singleShot(0, this, [this, name] {
            m_open = true;
            const std::optional<FileExistsAnswer> answer = m_prompt.askFileExists(name);
            m_open = false;
            if (m_job)
                m_job->answerFileExists(answer);
            emit closed();
        });
    });
    connect(&job, &DownloadJob::errorToShow, this, [this](const QString& message) {
        QTimer::singleShot(0, this, [this, message] {
            m_open = true;
            m_prompt.message(PromptIcon::Critical, QStringLiteral("Error"), message);
            m_open = false;
            if (m_job)
                m_job->errorShown();
            emit closed();
        });
    });
}
