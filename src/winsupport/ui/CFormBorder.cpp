#include "winsupport/ui/CFormBorder.h"

#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QWindow>

CFormBorder::CFormBorder(QObject* parent)
    : QObject(parent)
{
}

CFormBorder::~CFormBorder()
{
    if (m_client)
        m_client->removeEventFilter(this);
    delete m_popup;
}

void CFormBorder::setClient(QObject* form)
{
    if (m_client)
        m_client->removeEventFilter(this);
    m_client = nullptr;
    auto* widget = qobject_cast<QWidget*>(form);
    if (!widget || !widget->isWindow())
        return;
    m_client = widget;
    m_savedMinimum = widget->minimumSize();
    m_savedMaximum = widget->maximumSize();
    widget->installEventFilter(this);
}

WId CFormBorder::hWnd() const
{
    return m_client ? m_client->internalWinId() : 0;
}

// The live window's flags once it exists (the topmost band changes them there), the
// widget's before.
Qt::WindowFlags CFormBorder::flags() const
{
    if (!m_client)
        return {};
    if (QWindow* window = m_client->windowHandle())
        return window->flags();
    return m_client->windowFlags();
}

void CFormBorder::setFlags(Qt::WindowFlags flags)
{
    if (!m_client)
        return;
    // overrideWindowFlags keeps the widget shown; the live window takes the flags
    // directly, so the frame changes without the window being hidden and shown.
    m_client->overrideWindowFlags(flags);
    if (QWindow* window = m_client->windowHandle())
        window->setFlags(flags);
    Redraw();
}

void CFormBorder::setHint(Qt::WindowFlags hints, bool on)
{
    Qt::WindowFlags f = flags() | Qt::CustomizeWindowHint;
    if (on)
        f |= hints;
    else
        f &= ~hints;
    setFlags(f);
}

bool CFormBorder::ControlBox() const
{
    return flags().testFlag(Qt::WindowSystemMenuHint);
}

void CFormBorder::setControlBox(bool on)
{
    setHint(Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint, on);
}

bool CFormBorder::MaxButton() const
{
    return flags().testFlag(Qt::WindowMaximizeButtonHint);
}

void CFormBorder::setMaxButton(bool on)
{
    setHint(Qt::WindowMaximizeButtonHint, on);
    EnableMenuItem(SystemMenu::SC_MAXIMIZE, on);
}

bool CFormBorder::MinButton() const
{
    return flags().testFlag(Qt::WindowMinimizeButtonHint);
}

void CFormBorder::setMinButton(bool on)
{
    setHint(Qt::WindowMinimizeButtonHint, on);
    EnableMenuItem(SystemMenu::SC_MINIMIZE, on);
}

bool CFormBorder::Moveable() const
{
    return m_menu.isEnabled(SystemMenu::SC_MOVE);
}

void CFormBorder::setMoveable(bool on)
{
    EnableMenuItem(SystemMenu::SC_MOVE, on);
}

bool CFormBorder::Sizeable() const
{
    return m_client && m_client->minimumSize() != m_client->maximumSize();
}

void CFormBorder::setSizeable(bool on)
{
    EnableMenuItem(SystemMenu::SC_SIZE, on);
    if (!m_client || on == Sizeable())
        return;
    if (on) {
        m_client->setMinimumSize(m_savedMinimum);
        m_client->setMaximumSize(m_savedMaximum);
    } else {
        m_savedMinimum = m_client->minimumSize();
        m_savedMaximum = m_client->maximumSize();
        m_client->setFixedSize(m_client->size());
    }
    Redraw();
}

bool CFormBorder::ShowInTaskbar() const
{
    return m_client && !ToolWindow();
}

void CFormBorder::setShowInTaskbar(bool)
{
}

bool CFormBorder::Titlebar() const
{
    return flags().testFlag(Qt::WindowTitleHint);
}

void CFormBorder::setTitlebar(bool on)
{
    setHint(Qt::WindowTitleHint, on);
}

bool CFormBorder::ToolWindow() const
{
    return (flags() & Qt::WindowType_Mask) == Qt::Tool;
}

void CFormBorder::setToolWindow(bool on)
{
    if (!m_client)
        return;
    setFlags((flags() & ~Qt::WindowType_Mask) | (on ? Qt::Tool : Qt::Window));
}

bool CFormBorder::TopMost() const
{
    return flags().testFlag(Qt::WindowStaysOnTopHint);
}

void CFormBorder::setTopMost(bool on)
{
    Qt::WindowFlags f = flags();
    f.setFlag(Qt::WindowStaysOnTopHint, on);
    setFlags(f);
}

bool CFormBorder::WhatsThisButton() const
{
    return flags().testFlag(Qt::WindowContextHelpButtonHint);
}

void CFormBorder::setWhatsThisButton(bool on)
{
    setHint(Qt::WindowContextHelpButtonHint, on);
}

void CFormBorder::EnableMenuItem(qint32 MenuItem, bool Enabled)
{
    m_menu.enable(MenuItem, Enabled);
}

void CFormBorder::Redraw()
{
    if (m_client)
        m_client->update();
}

void CFormBorder::RemoveMenuItem(qint32 MenuItem)
{
    if (MenuItem == SystemMenu::SC_MINIMIZE)
        setMinButton(false);
    else if (MenuItem == SystemMenu::SC_MAXIMIZE)
        setMaxButton(false);
    else if (MenuItem == SystemMenu::SC_CLOSE) {
        const int position = m_menu.find(SystemMenu::SC_CLOSE);
        if (position > 0)
            m_menu.removeAt(position - 1);
    }
    m_menu.remove(MenuItem);
}

// The window's own rules on top of the items' states: Restore only for a maximized or
// minimized window, Move, Size and Maximize only for a normal one. An item grayed
// through EnableMenuItem stays grayed.
bool CFormBorder::menuActionEnabled(qint32 standardId) const
{
    const bool changed = m_client && (m_client->isMaximized() || m_client->isMinimized());
    switch (standardId) {
    case SystemMenu::SC_RESTORE:
        return changed;
    case SystemMenu::SC_MOVE:
    case SystemMenu::SC_SIZE:
        return !changed && (standardId != SystemMenu::SC_SIZE || Sizeable());
    case SystemMenu::SC_MAXIMIZE:
        return !(m_client && m_client->isMaximized()) && MaxButton();
    case SystemMenu::SC_MINIMIZE:
        return !(m_client && m_client->isMinimized());
    default:
        return true;
    }
}

void CFormBorder::runMenuCommand(qint32 standardId)
{
    if (!m_client)
        return;
    QWindow* window = m_client->windowHandle();
    switch (standardId) {
    case SystemMenu::SC_RESTORE:
        m_client->showNormal();
        break;
    case SystemMenu::SC_MOVE:
        if (window)
            window->startSystemMove();
        break;
    case SystemMenu::SC_SIZE:
        if (window)
            window->startSystemResize(Qt::RightEdge | Qt::BottomEdge);
        break;
    case SystemMenu::SC_MINIMIZE:
        m_client->showMinimized();
        break;
    case SystemMenu::SC_MAXIMIZE:
        m_client->showMaximized();
        break;
    case SystemMenu::SC_CLOSE:
        m_client->close();
        break;
    default:
        break;
    }
}

void CFormBorder::ShowSysMenu(int X, int Y)
{
    if (!m_client)
        return;
    delete m_popup;
    m_popup = new QMenu(m_client);
    m_popup->setObjectName(QStringLiteral("systemMenu"));
    m_popup->setAttribute(Qt::WA_DeleteOnClose);
    for (const SystemMenu::Item& item : m_menu.items()) {
        if (item.id == 0) {
            m_popup->addSeparator();
            continue;
        }
        const qint32 command = SystemMenu::standardId(item.id);
        QAction* action = m_popup->addAction(item.text);
        action->setData(command);
        action->setEnabled(!item.grayed && menuActionEnabled(command));
        connect(action, &QAction::triggered, this, [this, command] { runMenuCommand(command); });
    }
    m_popup->popup(QPoint(static_cast<qint16>(X), static_cast<qint16>(Y)));
}

bool CFormBorder::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client) {
        if (event->type() == QEvent::MouseButtonPress && m_autoDrag) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && m_client->windowHandle()) {
                m_client->windowHandle()->startSystemMove();
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonRelease && m_autoSysMenu) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton) {
                const QPoint at = QCursor::pos();
                ShowSysMenu(at.x(), at.y());
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
