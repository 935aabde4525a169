#include "app/ui/BusyInputBlocker.h"

#include <QEvent>
#include <QMainWindow>
#include <QStatusBar>

BusyInputBlocker::BusyInputBlocker(QMainWindow& window)
    : QObject(&window)
    , m_window(window)
{
    window.installEventFilter(this);
}

void BusyInputBlocker::setBusy(bool busy)
{
    m_busy = busy;
    if (busy) {
        for (QWidget* part : m_window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (part->isWindow() || part == m_window.statusBar() || !part->isEnabled())
                continue;
            part->setEnabled(false);
            m_disabledParts.append(part);
        }
        return;
    }
    for (const QPointer<QWidget>& part : std::as_const(m_disabledParts)) {
        if (part)
            part->setEnabled(true);
    }
    m_disabledParts.clear();
}

bool BusyInputBlocker::eventFilter(QObject* watched, QEvent* event)
{
    if (m_busy && watched == &m_window) {
        switch (event->type()) {
        case QEvent::ContextMenu:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return true;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
