#include "download/ui/Aria2Window.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

QLabel* label(const char* name, QWidget* parent)
{
    auto* text = new QLabel(parent);
    text->setObjectName(QString::fromLatin1(name));
    text->setTextFormat(Qt::PlainText);
    return text;
}

QGroupBox* group(const QString& title, QWidget* parent, QLayout* contents)
{
    auto* box = new QGroupBox(title, parent);
    box->setLayout(contents);
    return box;
}

QProgressBar* bar(const char* name, QWidget* parent)
{
    auto* progress = new QProgressBar(parent);
    progress->setObjectName(QString::fromLatin1(name));
    progress->setTextVisible(false);
    return progress;
}

} // namespace

Aria2Window::Aria2Window(
    const QList<Aria2Link>& links, const Aria2JobOptions& options, IAria2Rpc& rpc, QWidget* owner)
    : QWidget(owner,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_job(std::make_unique<Aria2Job>(links, options, rpc))
{
    setObjectName(QStringLiteral("Aria2Window"));
    setWindowTitle(QStringLiteral("Saving Files"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_label3 = label("Label3", this);
    m_label3->setWordWrap(true);
    m_label3->setMinimumWidth(420);
    m_progressBar1 = bar("ProgressBar1", this);
    m_label1 = label("Label1", this);
    m_label2 = label("Label2", this);
    m_label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_progressBar2 = bar("ProgressBar2", this);
    m_failures = new QPlainTextEdit(this);
    m_failures->setObjectName(QStringLiteral("Failures"));
    m_failures->setReadOnly(true);
    m_command1 = new QPushButton(QStringLiteral("Cancel"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    connect(m_command1, &QPushButton::clicked, this, &QWidget::close);

    auto* counts = new QHBoxLayout;
    counts->addWidget(m_label1, 1);
    counts->addWidget(m_label2);
    auto* status = new QVBoxLayout;
    status->addWidget(m_label3);
    auto* file = new QVBoxLayout;
    file->addWidget(m_progressBar1);
    file->addLayout(counts);
    auto* total = new QVBoxLayout;
    total->addWidget(m_progressBar2);
    auto* failures = new QVBoxLayout;
    failures->addWidget(m_failures);
    m_failedGroup = group(QStringLiteral("Failed:"), this, failures);
    m_failedGroup->hide();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group(QStringLiteral("Status:"), this, status));
    layout->addWidget(group(QStringLiteral("File Progress:"), this, file));
    layout->addWidget(group(QStringLiteral("Total Progress:"), this, total));
    layout->addWidget(m_failedGroup);
    layout->addLayout(buttons);

    connect(m_job.get(), &Aria2Job::changed, this, &Aria2Window::refresh);
    connect(m_job.get(), &Aria2Job::ended, this, &Aria2Window::showEnd);
    connect(m_job.get(), &Aria2Job::linkFinished,
        [this](int, const QString& link, const Result<SavedFile>& result) {
            if (!result.isOk())
                m_failures->appendPlainText(link + QStringLiteral(": ") + result.message());
        });
    refresh();
}

Aria2Window::~Aria2Window() = default;

void Aria2Window::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_started) {
        m_started = true;
        m_job->start();
    }
}

void Aria2Window::refresh()
{
    const Aria2Job& job = *m_job;
    m_label1->setText(job.Label1());
    m_label2->setText(job.Label2());
    m_label3->setText(job.Label3());
    m_progressBar1->setMaximum(job.ProgressBar1Max());
    m_progressBar1->setValue(job.ProgressBar1());
    m_progressBar2->setMaximum(std::max(1, job.ProgressBar2Max()));
    m_progressBar2->setValue(job.ProgressBar2());
    if (!job.mainCaption().isEmpty() && job.mainCaption() != m_caption) {
        m_caption = job.mainCaption();
        emit mainCaptionChanged(m_caption);
    }
}

void Aria2Window::showEnd()
{
    refresh();
    m_failedGroup->setVisible(!m_failures->toPlainText().isEmpty());
    m_command1->setText(QStringLiteral("Close"));
}

void Aria2Window::closeEvent(QCloseEvent* event)
{
    // The links still on the daemon are removed; the client outlives this window, so the
    // removal reaches the daemon.
    m_job->cancel();
    emit unloading();
    event->accept();
}
