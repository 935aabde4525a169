#include "app/ui/MainStatusBar.h"

#include <QLabel>
#include <QStatusBar>

#include "winsupport/CProgressBarEx.h"
#include "winsupport/ui/ProgressPanel.h"

MainStatusBar::MainStatusBar(QStatusBar* bar)
{
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    bar->setSizeGripEnabled(true);
    m_pnlStatus = new QLabel(bar);
    m_pnlStatus->setObjectName(QStringLiteral("pnlStatus"));
    m_pnlStatus->setTextFormat(Qt::PlainText);
    m_pnlStatus->setMinimumWidth(80);
    bar->addWidget(m_pnlStatus, 1);
    m_pnlProgress = new ProgressPanel(bar);
    m_pnlProgress->setObjectName(QStringLiteral("pnlProgress"));
    bar->addPermanentWidget(m_pnlProgress);
}

MainStatusBar::~MainStatusBar() = default;

void MainStatusBar::setStatus(StatusKind kind, const QString& text)
{
    m_kind = kind;
    m_status = text;
    m_pnlStatus->setText(text);
}

void MainStatusBar::showHover(const QString& text)
{
    m_pnlStatus->setText(text);
}

QString MainStatusBar::panelText() const
{
    return m_pnlStatus->text();
}

void MainStatusBar::setProgress(int max, int value)
{
    m_max = max;
    if (!m_pbar) {
        m_pbar = std::make_unique<CProgressBarEx>();
        m_pbar->setClient(m_pnlProgress);
        m_pbar->setHost(m_pnlProgress);
        m_pbar->setPanelKey(QStringLiteral("pnlProgress"));
        m_pbar->ResizeEx();
    }
    m_pbar->setTextOnly(value == 0);
    m_pbar->setMax(m_max);
    m_value = value;
    m_pbar->setValue(value);
}

QString MainStatusBar::countText() const
{
    return m_pnlProgress->text();
}

void MainStatusBar::setCountText(const QString& text)
{
    m_pnlProgress->setText(text);
}
