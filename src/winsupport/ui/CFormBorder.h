#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QWidget>

#include "winsupport/SystemMenu.h"

#include <QMenu>

// Changes the frame of a live top-level window ("client form") through Qt's window flags
// and the window manager, and gives the window a window menu of its own.
//
// How each member maps onto X11 (and Wayland) through Qt:
// - ControlBox: the window-menu and close hints (Qt::WindowSystemMenuHint,
//   Qt::WindowCloseButtonHint).
// - MaxButton, MinButton: the maximize and minimize button hints; the window manager
//   drops the buttons and the matching actions. The own window menu's Maximize and
//   Minimize follow, as with EnableMenuItem.
// - Sizeable: there is no sizing-border flag; a window that is not sizeable gets a fixed
//   size (minimum = maximum = its size now), which window managers honour by offering no
//   resizing and no maximizing. Setting it again restores the earlier limits.
// - Titlebar: the title hint (Qt::WindowTitleHint); there is one flag, not two bits.
// - ToolWindow: the tool window type (Qt::Tool): a small title and no taskbar entry.
// - TopMost: the stay-on-top hint (Qt::WindowStaysOnTopHint), applied at once.
// - ShowInTaskbar: X11 has no separate switch that Qt exposes; the taskbar entry follows
//   the window type. Reading it answers whether the window is not a tool window;
//   setting it changes nothing.
// - WhatsThisButton: Qt::WindowContextHelpButtonHint, kept and read back; X11 window
//   managers draw no such button.
// - Moveable: the own window menu's Move item only; a window manager always lets the user
//   move a window by its title bar.
// - hWnd: the native window id, 0 before the window exists or with no client.
// - Redraw: flags take effect as they are set; Redraw only repaints.
// - AutoDrag: a left-button press on the client area starts a move through the window
//   manager (QWindow::startSystemMove), as dragging the title bar does.
// - AutoSysMenu, ShowSysMenu: the own window menu (Restore, Move, Size, Minimize,
//   Maximize, Close) pops up at the pointer or the given screen point.
// Flags change on the live window without hiding it.
class CFormBorder final : public QObject
{
    Q_OBJECT
public:
    explicit CFormBorder(QObject* parent = nullptr);
    ~CFormBorder() override;

    bool AutoDrag() const { return m_autoDrag; }
    void setAutoDrag(bool on) { m_autoDrag = on; }
    bool AutoSysMenu() const { return m_autoSysMenu; }
    void setAutoSysMenu(bool on) { m_autoSysMenu = on; }

    // Attaches a top-level widget; anything else (null, a child widget, a plain
    // object) leaves no client and hWnd 0.
    void setClient(QObject* form);
    QWidget* Client() const { return m_client; }

    bool ControlBox() const;
    void setControlBox(bool on);
    bool MaxButton() const;
    void setMaxButton(bool on);
    bool MinButton() const;
    void setMinButton(bool on);
    bool Moveable() const;
    void setMoveable(bool on);
    bool Sizeable() const;
    void setSizeable(bool on);
    bool ShowInTaskbar() const;
    void setShowInTaskbar(bool on);
    bool Titlebar() const;
    void setTitlebar(bool on);
    bool ToolWindow() const;
    void setToolWindow(bool on);
    bool TopMost() const;
    void setTopMost(bool on);
    bool WhatsThisButton() const;
    void setWhatsThisButton(bool on);

    WId hWnd() const;

    void EnableMenuItem(qint32 MenuItem, bool Enabled);
    void Redraw();
    void RemoveMenuItem(qint32 MenuItem);
    // Pops the window menu up at a screen point (coordinates narrowed to 16 bits).
    void ShowSysMenu(int X, int Y);

    const SystemMenu& systemMenu() const { return m_menu; }
    // The menu shown by ShowSysMenu, while it is open (for tests and the caller).
    QMenu* openSysMenu() const { return m_popup; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Qt::WindowFlags flags() const;
    void setFlags(Qt::WindowFlags flags);
    void setHint(Qt::WindowFlags hints, bool on);
    bool menuActionEnabled(qint32 standardId) const;
    void runMenuCommand(qint32 standardId);

    QPointer<QWidget> m_client;
    bool m_autoDrag = false;
    bool m_autoSysMenu = false;
    SystemMenu m_menu;
    QSize m_savedMinimum;
    QSize m_savedMaximum;
    QPointer<QMenu> m_popup;
};
