#pragma once

#include <QPoint>

class QWidget;

// True when the pointer lies over the control's rectangle in its container's
// coordinates, edges included (right = left + width, bottom = top + height). Widgets
// covering that point do not matter. A null control gives false.
bool PointerIsOver(const QWidget* control);
// The same with the pointer position given in global (screen) pixels.
bool PointerIsOver(const QWidget* control, QPoint globalPointer);
