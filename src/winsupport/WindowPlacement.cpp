#include "winsupport/WindowPlacement.h"

#include <algorithm>

QRect KeptOnScreen(QRect frame, const QRect& available)
{
    if (available.isEmpty())
        return frame;
    frame.setWidth(std::min(frame.width(), available.width()));
    frame.setHeight(std::min(frame.height(), available.height()));
    frame.moveLeft(
        std::clamp(frame.left(), available.left(), available.right() - frame.width() + 1));
    frame.moveTop(
        std::clamp(frame.top(), available.top(), available.bottom() - frame.height() + 1));
    return frame;
}

QRect PlacedBeside(const QSize& size, const QRect& dialog, const QRect& available)
{
    const QRect candidates[] = {
        QRect(QPoint(dialog.right() + 1, dialog.top()), size),
        QRect(QPoint(dialog.left() - size.width(), dialog.top()), size),
        QRect(QPoint(dialog.left(), dialog.bottom() + 1), size),
        QRect(QPoint(dialog.left(), dialog.top() - size.height()), size),
    };
    QRect best;
    qint64 leastCovered = -1;
    for (const QRect& candidate : candidates) {
        const QRect placed = KeptOnScreen(candidate, available);
        const QRect covered = placed.intersected(dialog);
        const qint64 area = covered.isEmpty() ? 0 : qint64(covered.width()) * covered.height();
        if (leastCovered < 0 || area < leastCovered) {
            best = placed;
            leastCovered = area;
        }
    }
    return best;
}
