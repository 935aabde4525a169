#include "app/IncomingLinkQueue.h"

#include <QMetaObject>

IncomingLinkQueue::IncomingLinkQueue(std::function<void(const QString&)> step, QObject* parent)
    : QObject(parent)
    , m_step(std::move(step))
{
}

bool IncomingLinkQueue::offer(const QString& text)
{
    if (m_closed || m_waiting.size() >= kMaxWaiting)
        return false;
    m_waiting.enqueue(text);
    QMetaObject::invokeMethod(
        this, [this] { takeNext(); }, Qt::QueuedConnection);
    return true;
}

void IncomingLinkQueue::close()
{
    m_closed = true;
    m_waiting.clear();
}

void IncomingLinkQueue::setHeld(bool held)
{
    m_held = held;
    if (!held && !m_waiting.isEmpty())
        QMetaObject::invokeMethod(
            this, [this] { takeNext(); }, Qt::QueuedConnection);
}

void IncomingLinkQueue::takeNext()
{
    if (m_running || m_held || m_waiting.isEmpty() || m_closed)
        return;
    m_running = true;
    m_step(m_waiting.dequeue());
    m_running = false;
    if (!m_waiting.isEmpty())
        QMetaObject::invokeMethod(
            this, [this] { takeNext(); }, Qt::QueuedConnection);
}
