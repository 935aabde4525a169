#include "download/ui/Form4.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "core/IUserPrompt.h"
#include "download/DownloadFigures.h"
#include "download/ui/DownloadJobTexts.h"

namespace
{

constexpr int kRepaintIntervalMs = 33;

QGroupBox* group(const QString& title, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    new QVBoxLayout(box);
    return box;
}

// One line per running transfer when more than one runs, each name elided in its
// middle so the line fits width, then the job's speed and time left; nothing once the
// job has ended.
QString detailsText(const DownloadJob& job, const QFontMetrics& metrics, int width)
{
    if (!job.isRunning())
        return QString();
    QStringList lines;
    const DownloadFigures figures(job.links(), job.summary());
    const QList<RunningTransfer>& running = figures.running();
    if (running.size() > 1) {
        for (const RunningTransfer& transfer : running) {
            QString rest = QStringLiteral("  ")
                + DownloadFigures::progressText(transfer.bytes, transfer.size);
            if (transfer.bytes > 0 || transfer.size > 0)
                rest += QStringLiteral("  %1/s").arg(
                    DownloadFigures::sizeText(transfer.bytesPerSecond));
            const int room
                = std::max(metrics.averageCharWidth() * 8, width - metrics.horizontalAdvance(rest));
            lines.append(metrics.elidedText(transfer.name, Qt::ElideMiddle, room) + rest);
        }
    }
    const qint64 left = figures.secondsLeft();
    lines.append(QStringLiteral("Speed: %1/s   Time left: %2")
                     .arg(DownloadFigures::sizeText(figures.bytesPerSecond()),
                         left < 0 ? QStringLiteral("unknown")
                                  : QStringLiteral("%1:%2").arg(left / 60).arg(
                                      left % 60, 2, 10, QLatin1Char('0'))));
    return lines.join(QLatin1Char('\n'));
}

// The end of a job: its counts, then each failed link with its error.
QString summaryText(const DownloadSummary& summary)
{
    QStringList lines { QStringLiteral("%1 saved, %2 skipped, %3 failed")
                            .arg(QString::number(summary.saved), QString::number(summary.skipped),
                                QString::number(summary.failed)) };
    for (const DownloadSummary::Failure& failure : summary.failures)
        lines.append(failure.link() + QStringLiteral(": ") + failure.error);
    return lines.join(QLatin1Char('\n'));
}

// The labels, the bars and the main window's caption, as each kind of job words them.
struct Shown {
    QString label1;
    QString label2;
    QString label3;
    int bar1 = 0;
    int bar2 = 0;
    int bar2Max = 0;
    QString caption;
};

Shown shownOf(const DownloadJob& job)
{
    return { DownloadJobTexts::label1(job), DownloadJobTexts::label2(job),
        DownloadJobTexts::label3(job), DownloadJobTexts::progressBar1(job),
        DownloadJobTexts::progressBar2(job), DownloadJobTexts::progressBar2Max(job),
        DownloadJobTexts::mainCaption(job) };
}

Shown shownOf(const Aria2Job& job)
{
    return { job.Label1(), job.Label2(), job.Label3(), job.ProgressBar1(), job.ProgressBar2(),
        job.ProgressBar2Max(), job.mainCaption() };
}

} // namespace

Form4::Form4(const DownloadItems& items, const DownloadJobOptions& options,
    ITransferService& service, IUserPrompt* prompt, const PromptFactory& makePrompt, QWidget* owner)
    : Form4(owner)
{
    m_options = options;
    m_service = &service;
    if (!prompt) {
        m_ownPrompt = makePrompt(this);
        prompt = m_ownPrompt.get();
    }
    m_prompt = prompt;
    makeJob(items);
    refresh();
}

Form4::Form4(
    const QList<Aria2Link>& links, const Aria2JobOptions& options, IAria2Rpc& rpc, QWidget* owner)
    : Form4(owner)
{
    auto job = std::make_unique<Aria2Job>(links, options, rpc);
    m_aria2 = job.get();
    m_job = std::move(job);
    // A daemon's message (no daemon, a wrong secret) is shown whole.
    m_label3->setWordWrap(true);
    m_command2->hide();
    watchJob();
    refresh();
}

Form4::Form4(QWidget* owner)
    // A dialog-type window (not modal) is transient for its owner, so the window manager
    // keeps it above the main window the job holds, whichever of the two is clicked.
    : QWidget(owner,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Saving Files"));
    setAttribute(Qt::WA_DeleteOnClose);

    QGroupBox* status = group(QStringLiteral("Status:"), this);
    m_label3 = new QLabel(status);
    m_label3->setObjectName(QStringLiteral("Label3"));
    m_label3->setTextFormat(Qt::PlainText);
    m_label3->setMinimumWidth(420);
    m_label3->setMaximumWidth(420);
    status->layout()->addWidget(m_label3);

    QGroupBox* file = group(QStringLiteral("File Progress:"), this);
    m_progressBar1 = new QProgressBar(file);
    m_progressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar1->setTextVisible(false);
    m_label1 = new QLabel(file);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label2 = new QLabel(file);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* counts = new QHBoxLayout;
    counts->addWidget(m_label1, 1);
    counts->addWidget(m_label2);
    file->layout()->addWidget(m_progressBar1);
    static_cast<QVBoxLayout*>(file->layout())->addLayout(counts);

    QGroupBox* total = group(QStringLiteral("Total Progress:"), this);
    m_progressBar2 = new QProgressBar(total);
    m_progressBar2->setObjectName(QStringLiteral("ProgressBar2"));
    m_progressBar2->setTextVisible(false);
    total->layout()->addWidget(m_progressBar2);
    m_details = new QLabel(total);
    m_details->setObjectName(QStringLiteral("Details"));
    m_details->setTextFormat(Qt::PlainText);
    m_details->setMaximumWidth(420);
    total->layout()->addWidget(m_details);
    m_summary = new QLabel(total);
    m_summary->setObjectName(QStringLiteral("Summary"));
    m_summary->setTextFormat(Qt::PlainText);
    m_summary->setWordWrap(true);
    m_summary->setMaximumWidth(420);
    m_summary->hide();
    total->layout()->addWidget(m_summary);

    m_command1 = new QPushButton(QStringLiteral("Cancel"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command2 = new QPushButton(QStringLiteral("Background"), this);
    m_command2->setObjectName(QStringLiteral("Command2"));
    connect(m_command1, &QPushButton::clicked, this, &Form4::Command1_Click);
    connect(m_command2, &QPushButton::clicked, this, &Form4::Command2_Click);
    m_command3 = new QPushButton(QStringLiteral("Retry failed"), this);
    m_command3->setObjectName(QStringLiteral("Command3"));
    m_command3->hide();
    connect(m_command3, &QPushButton::clicked, this, &Form4::Command3_Click);
    m_failedGroup = group(QStringLiteral("Failed:"), this);
    m_failures = new QPlainTextEdit(m_failedGroup);
    m_failures->setObjectName(QStringLiteral("Failures"));
    m_failures->setReadOnly(true);
    m_failedGroup->layout()->addWidget(m_failures);
    m_failedGroup->hide();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_command3);
    buttons->addStretch(1);
    buttons->addWidget(m_command2);
    buttons->addWidget(m_command1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status);
    layout->addWidget(file);
    layout->addWidget(total);
    layout->addWidget(m_failedGroup);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_repaint.setSingleShot(true);
    m_repaint.setInterval(kRepaintIntervalMs);
    connect(&m_repaint, &QTimer::timeout, this, &Form4::refresh);
}

void Form4::makeJob(const DownloadItems& items)
{
    m_questions.reset();
    auto job = std::make_unique<DownloadJob>(items, m_options, *m_service);
    m_local = job.get();
    m_job = std::move(job);
    // The job's questions and messages open from the event loop, over this window.
    m_questions = std::make_unique<DownloadQuestions>(*m_local, *m_prompt);
    watchJob();
    connect(m_local, &DownloadJob::fileExistsDialogOpening, this, [this] {
        raise();
        emit fileExistsOpening();
    });
    connect(m_local, &DownloadJob::fileExistsDialogClosed, this, &Form4::fileExistsClosed);
    connect(m_questions.get(), &DownloadQuestions::closed, this, [this] {
        if (m_closePending)
            QTimer::singleShot(0, this, &QWidget::close);
    });
}

void Form4::watchJob()
{
    connect(m_job.get(), &IDownloadJob::changed, this, &Form4::scheduleRefresh);
    connect(m_job.get(), &IDownloadJob::ended, this, &Form4::showEnd);
}

Form4::~Form4()
{
    m_questions.reset();
    m_job.reset();
}

void Form4::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_started) {
        m_started = true;
        if (QWidget* owner = parentWidget()) {
            QRect frame = rect();
            frame.moveCenter(owner->frameGeometry().center());
            move(frame.topLeft());
        }
        m_job->start();
    }
}

void Form4::scheduleRefresh()
{
    if (!m_repaint.isActive())
        m_repaint.start();
}

void Form4::refresh()
{
    const Shown shown = m_local ? shownOf(*m_local) : shownOf(*m_aria2);
    m_label1->setText(shown.label1);
    m_label2->setText(shown.label2);
    if (m_aria2) {
        m_label3->setText(shown.label3);
    } else {
        // A long folder or name is cut in the middle so the count stays visible.
        m_label3->setText(
            m_label3->fontMetrics().elidedText(shown.label3, Qt::ElideMiddle, m_label3->width()));
        m_label3->setToolTip(shown.label3);
    }
    m_progressBar1->setMaximum(DownloadJobTexts::kBar1Max);
    m_progressBar1->setValue(shown.bar1);
    m_progressBar2->setMaximum(std::max(1, shown.bar2Max));
    m_progressBar2->setValue(shown.bar2);
    const QString details = m_local
        ? detailsText(*m_local, m_details->fontMetrics(), m_details->maximumWidth())
        : QString();
    m_details->setText(details);
    m_details->setVisible(!details.isEmpty());
    if (!shown.caption.isEmpty() && shown.caption != m_caption && !m_unloaded) {
        m_caption = shown.caption;
        emit mainCaptionChanged(m_caption);
    }
}

void Form4::showEnd()
{
    m_repaint.stop();
    refresh();
    if (m_aria2) {
        showFailures();
        return;
    }
    if (m_job->phase() == DownloadJob::Phase::Done || m_job->phase() == DownloadJob::Phase::Error) {
        m_summary->setText(summaryText(m_job->summary()));
        m_summary->show();
        m_command3->setVisible(m_job->summary().failed > 0);
    }
    if (m_job->phase() == DownloadJob::Phase::Error) {
        m_command2->hide();
        m_command1->setText(QStringLiteral("Close"));
    } else if (m_job->phase() == DownloadJob::Phase::Done) {
        m_command2->setText(QStringLiteral("Open Folder"));
        m_command1->setText(QStringLiteral("Close"));
    }
}

// An aria2 hand-off's end: each failed link with the daemon's error, in the order they
// failed.
void Form4::showFailures()
{
    QStringList lines;
    for (const DownloadSummary::Failure& failure : m_job->summary().failures)
        lines.append(failure.link() + QStringLiteral(": ") + failure.error);
    m_failures->setPlainText(lines.join(QLatin1Char('\n')));
    m_failedGroup->setVisible(!lines.isEmpty());
    m_command1->setText(QStringLiteral("Close"));
}

void Form4::Command1_Click()
{
    // "Cancel" while the job runs, "Close" once it has ended.
    if (m_job->isRunning()) {
        m_job->cancel();
        refresh();
    }
    close();
}

void Form4::Command2_Click()
{
    // "Open Folder" once every link is done, "Background" before.
    if (m_job->phase() != DownloadJob::Phase::Done) {
        hide();
        emit backgroundRequested();
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_job->folder()));
    close();
}

void Form4::Command3_Click()
{
    if (!m_local)
        return;
    const DownloadItems failed = m_job->summary().failedItems();
    if (failed.isEmpty() || m_job->isRunning())
        return;
    // The failed links keep their context and number: a retry sends the same referrer
    // and gives the same names.
    if (m_options.numbersCount <= 0)
        m_options.numbersCount = m_job->count();
    makeJob(failed);
    m_summary->hide();
    m_command3->hide();
    m_command2->setText(QStringLiteral("Background"));
    m_command2->show();
    m_command1->setText(QStringLiteral("Cancel"));
    m_job->start();
    refresh();
}

void Form4::bringToFront()
{
    if (ownDialogOpen()) {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialog->raise();
            dialog->activateWindow();
            return;
        }
    }
    show();
    raise();
    activateWindow();
}

void Form4::raiseOverOwner()
{
    if (ownDialogOpen()) {
        bringToFront();
        return;
    }
    if (isVisible())
        raise();
}

void Form4::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (ownDialogOpen())
        bringToFront();
}

void Form4::closeEvent(QCloseEvent* event)
{
    if (m_questions && m_questions->open()) {
        // A dialog of the job is open over this window and runs on the stack: end the
        // job now, and go once that dialog has returned.
        m_job->cancel();
        m_closePending = true;
        hide();
        event->ignore();
        return;
    }
    m_unloaded = true;
    m_job->cancel();
    emit unloading();
    event->accept();
}

bool Form4::ownDialogOpen() const
{
    return m_local && m_local->owdialog();
}
