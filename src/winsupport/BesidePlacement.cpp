#include "winsupport/BesidePlacement.h"

#include <algorithm>

std::optional<QPoint> BesidePlacement::beside(
    const QRect& other, const QSize& size, const QRect& area)
{
    if (size.height() > area.height())
        return std::nullopt;
    const int top = std::clamp(other.top(), area.top(), area.bottom() + 1 - size.height());
    if (other.right() + 1 + size.width() <= area.right() + 1)
        return QPoint(other.right() + 1, top);
    if (other.left() - size.width() >= area.left())
        return QPoint(other.left() - size.width(), top);
    return std::nullopt;
}
