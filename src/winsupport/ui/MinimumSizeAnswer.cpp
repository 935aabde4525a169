#include "winsupport/ui/MinimumSizeAnswer.h"

#include <QCoreApplication>
#include <QWidget>
#include <algorithm>

#include "winsupport/SizeLimitsEvent.h"

QSize MinimumSizeAnswer::query(QWidget* window)
{
    if (!window)
        return {};
    SizeLimitsEvent query(window->minimumSize());
    QCoreApplication::sendEvent(window, &query);
    const QSize answer = query.minTrackSize();
    const QSize wanted(std::clamp(answer.width(), 0, QWIDGETSIZE_MAX),
        std::clamp(answer.height(), 0, QWIDGETSIZE_MAX));
    if (wanted != window->minimumSize())
        window->setMinimumSize(wanted);
    return window->minimumSize();
}
