#include "winsupport/SizeLimitsEvent.h"

QEvent::Type SizeLimitsEvent::queryType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

SizeLimitsEvent::SizeLimitsEvent(QSize minTrackSize)
    : QEvent(queryType())
    , m_minTrackSize(minTrackSize)
{
}

bool SizeLimitsEvent::answer(QEvent* event, int minWidth, int minHeight)
{
    if (!event || event->type() != queryType())
        return false;
    static_cast<SizeLimitsEvent*>(event)->setMinTrackSize(QSize(minWidth, minHeight));
    return true;
}
