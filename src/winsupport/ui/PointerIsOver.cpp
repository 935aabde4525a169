#include "winsupport/ui/PointerIsOver.h"

#include <QCursor>
#include <QRect>
#include <QWidget>

bool PointerIsOver(const QWidget* control)
{
    return PointerIsOver(control, QCursor::pos());
}

bool PointerIsOver(const QWidget* control, QPoint globalPointer)
{
    if (!control)
        return false;
    // The control's geometry is in its container's coordinates; a window without a
    // container has its geometry on the screen.
    const QWidget* container = control->parentWidget();
    const QPoint pointer = container ? container->mapFromGlobal(globalPointer) : globalPointer;
    const QRect area = control->geometry();
    const int left = area.x();
    const int top = area.y();
    const int right = left + area.width();
    const int bottom = top + area.height();
    return left <= pointer.x() && pointer.x() <= right && top <= pointer.y()
        && pointer.y() <= bottom;
}
