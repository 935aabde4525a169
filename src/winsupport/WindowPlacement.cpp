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

QRect PlacedBeside(
    const QSize& size, const QSize& minimum, const QRect& dialog, const QRect& available)
{
    // The length wanted, cut to the room there is, but not below the least length.
    const auto fit = [](int wanted, int room, int least) {
        return std::max(std::min(wanted, room), std::min(wanted, least));
    };
    const int right = fit(size.width(), available.right() - dialog.right(), minimum.width());
    const int left = fit(size.width(), dialog.left() - available.left(), minimum.width());
    const int below = fit(size.height(), available.bottom() - dialog.bottom(), minimum.height());
    const int above = fit(size.height(), dialog.top() - available.top(), minimum.height());
    const QRect candidates[] = {
        QRect(dialog.right() + 1, dialog.top(), right, size.height()),
        QRect(dialog.left() - left, dialog.top(), left, size.height()),
        QRect(dialog.left(), dialog.bottom() + 1, size.width(), below),
        QRect(dialog.left(), dialog.top() - above, size.width(), above),
    };
    const auto area
        = [](const QRect& r) { return r.isEmpty() ? 0 : qint64(r.width()) * r.height(); };
    QRect best;
    qint64 leastCovered = -1;
    for (const QRect& candidate : candidates) {
        const QRect placed = KeptOnScreen(candidate, available);
        const qint64 covered = area(placed.intersected(dialog));
        if (leastCovered < 0 || covered < leastCovered
            || (covered == leastCovered && area(placed) > area(best))) {
            best = placed;
            leastCovered = covered;
        }
    }
    return best;
}
