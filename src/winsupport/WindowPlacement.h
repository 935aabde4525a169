#pragma once

#include <QRect>

// Where a window goes on the screen. Rectangles are frames (decoration included) in
// screen coordinates; available is the part of the screen windows may use.

// frame moved (and, when larger than available, shrunk) so that all of it is inside
// available. A frame already inside is returned unchanged.
QRect KeptOnScreen(QRect frame, const QRect& available);

// A frame beside dialog: to its right, its left, below or above it, aligned with its top
// or left edge and kept on the screen. Where the room beside the dialog is smaller than
// size, the frame is made smaller, down to minimum. The place that covers the least of
// the dialog wins; on a tie the larger frame, then the first in that order.
QRect PlacedBeside(
    const QSize& size, const QSize& minimum, const QRect& dialog, const QRect& available);
