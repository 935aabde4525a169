#pragma once

#include <QRect>

// Where a window goes on the screen. Rectangles are frames (decoration included) in
// screen coordinates; available is the part of the screen windows may use.

// frame moved (and, when larger than available, shrunk) so that all of it is inside
// available. A frame already inside is returned unchanged.
QRect KeptOnScreen(QRect frame, const QRect& available);

// A frame of the given size beside dialog: to its right, else its left, below or above,
// whichever covers the least of the dialog once kept on the screen (the first of them on
// a tie), aligned with the dialog's top or left edge.
QRect PlacedBeside(const QSize& size, const QRect& dialog, const QRect& available);
