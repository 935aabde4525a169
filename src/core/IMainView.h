#pragma once

#include <QString>

#include "core/StatusKind.h"

// What the list builders and commands need of the main window besides the list and
// the shared members: the status bar, the busy state and the list's scroll extent.
class IMainView
{
public:
    virtual ~IMainView() = default;

    // First status-bar panel ("pnlStatus"): the text and what it reports.
    virtual void setStatus(StatusKind kind, const QString& text) = 0;
    // The text and kind setStatus last gave.
    virtual QString Status() const = 0;
    virtual StatusKind statusKind() const = 0;
    virtual QString idleStatusText() const = 0;
    // Progress maximum then value; a value of 0 hides the bar and lets the second
    // panel ("pnlProgress") show text.
    virtual void setProgress(int max, int value) = 0;
    // Text of the second status-bar panel, e.g. "12 links found".
    virtual void setCountText(const QString& text) = 0;
    // The second panel's text after a list changed.
    void setLinkCount(qsizetype count)
    {
        setCountText(QStringLiteral("%1 links found").arg(count));
    }
    // Recomputes the list's horizontal scroll extent from its widest entry.
    virtual void SetListExtent() = 0;
    // Disables or enables the main window's input.
    virtual void setWindowEnabled(bool enabled) = 0;
    // Hourglass (true) or default (false) pointer.
    virtual void setWaitPointer(bool wait) = 0;
    // The arrow with an hourglass, while a link loads in the browser window or a
    // slideshow runs: the program is busy but still takes input. setWaitPointer(false)
    // ends it.
    virtual void setBusyPointer() = 0;

    // The end of every build: the default pointer, the idle status text, the window
    // enabled and the progress reset.
    void setIdleStatus() { setStatus(StatusKind::Idle, idleStatusText()); }

    void returnToIdle()
    {
        setWaitPointer(false);
        setIdleStatus();
        setWindowEnabled(true);
        setProgress(100, 0);
    }
};
