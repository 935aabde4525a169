#pragma once

#include <QEvent>
#include <QSize>

// The size-limits query sent to a window (see MinimumSizeAnswer): a subscriber of
// queryType() writes the window's minimum tracking size into the event, and the sender
// applies it as the window's minimum size.
class SizeLimitsEvent final : public QEvent
{
public:
    // The registered event type; the message number to subscribe to.
    static QEvent::Type queryType();

    explicit SizeLimitsEvent(QSize minTrackSize);

    QSize minTrackSize() const { return m_minTrackSize; }
    void setMinTrackSize(QSize size) { m_minTrackSize = size; }

    // If event is a size-limits query, sets its minimum tracking size and returns true;
    // any other event is left alone.
    static bool answer(QEvent* event, int minWidth, int minHeight);

private:
    QSize m_minTrackSize;
};
