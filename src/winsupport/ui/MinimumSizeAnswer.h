#pragma once

#include <QSize>

class QWidget;

// Asks a window's subscribers for its minimum tracking size and applies the answer.
//
// The window manager on Linux takes a window's minimum size as a property it is given,
// not as an answer to a query it sends, so the program sends the query itself: the
// main window calls Query after subscribing to SizeLimitsEvent::queryType() and again
// whenever its minimum tracking size (meX, meY) changes. Query sends a SizeLimitsEvent
// that starts with the window's current minimum size; whatever the subscribers leave in
// it becomes the window's minimum size.
class MinimumSizeAnswer final
{
public:
    MinimumSizeAnswer() = delete;

    // Returns the minimum size now in force.
    static QSize query(QWidget* window);
};
