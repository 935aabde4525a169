#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QMainWindow;
class QWidget;

// While a build runs the main window refuses all input except Esc (which cancels it)
// and the close request: every part of the window (the list, the menu bar, any tool
// bar) is disabled, which also turns off their shortcuts and drops, while the window
// itself stays enabled to receive Esc. The status bar only shows text and stays
// readable. Input that reaches the window itself (a click on a disabled part is passed
// up to it) goes no further: no tool-bar menu, no wheel scrolling.
class BusyInputBlocker final : public QObject
{
    Q_OBJECT
public:
    explicit BusyInputBlocker(QMainWindow& window);

    bool busy() const { return m_busy; }
    // Disables the window's parts (busy) or enables those it disabled.
    void setBusy(bool busy);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMainWindow& m_window;
    bool m_busy = false;
    QList<QPointer<QWidget>> m_disabledParts;
};
