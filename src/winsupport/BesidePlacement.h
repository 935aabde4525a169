#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

// Where a new window of a given frame size goes so that it does not cover another
// window (the main window, which may stay on top): right of it, else left of it, within
// the screen's available area, its top aligned with the other's where it fits. Nothing
// when neither side has room; the window manager then decides.
class BesidePlacement final
{
public:
    static std::optional<QPoint> beside(const QRect& other, const QSize& size, const QRect& area);
};
