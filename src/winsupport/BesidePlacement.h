#pragma once

#include <QRect>
#include <QSize>

// Where a new window of a given frame size goes so that it does not cover another
// window (the main window, which may stay on top), always within the screen's available
// area: shrunk to the area first, then right of the other window, else left of it, else
// narrowed into the wider side when that side still has kMinimumWidth; its top aligned
// with the other's where it fits. With no room beside, it goes over the other window,
// moved as little as needed to be wholly on the screen.
class BesidePlacement final
{
public:
    static constexpr int kMinimumWidth = 640;

    static QRect place(const QRect& other, const QSize& size, const QRect& area);
};
