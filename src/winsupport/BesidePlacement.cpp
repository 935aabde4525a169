#include "winsupport/BesidePlacement.h"

#include <algorithm>

QRect BesidePlacement::place(const QRect& other, const QSize& size, const QRect& area)
{
    const QSize fitted = size.boundedTo(area.size());
    const auto clampTo
        = [](int value, int low, int high) { return std::clamp(value, low, std::max(low, high)); };
    const int top = clampTo(other.top(), area.top(), area.bottom() + 1 - fitted.height());
    const int roomRight = area.right() - other.right();
    const int roomLeft = other.left() - area.left();
    const auto onRight
        = [&](int width) { return QRect(other.right() + 1, top, width, fitted.height()); };
    const auto onLeft
        = [&](int width) { return QRect(other.left() - width, top, width, fitted.height()); };
    if (roomRight >= fitted.width())
        return onRight(fitted.width());
    if (roomLeft >= fitted.width())
        return onLeft(fitted.width());
    if (std::max(roomRight, roomLeft) >= std::min(kMinimumWidth, fitted.width()))
        return roomRight >= roomLeft ? onRight(roomRight) : onLeft(roomLeft);
    const int left = clampTo(other.left(), area.left(), area.right() + 1 - fitted.width());
    return QRect(QPoint(left, top), fitted);
}
