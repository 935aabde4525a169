#pragma once

#include <QObject>
#include <QQueue>
#include <QString>
#include <functional>

// Links delivered from outside (`quillmarch --send-link`), taken one step at a time: a
// link that arrives while the step of an earlier one waits (a question is open) is
// queued and taken once that step has returned, so the steps never nest. Each step runs
// from the event loop, never inside the call that delivered the link.
class IncomingLinkQueue final : public QObject
{
public:
    // Beyond this many waiting links the queue refuses new ones.
    static constexpr qsizetype kMaxWaiting = 16;

    explicit IncomingLinkQueue(std::function<void(const QString&)> step, QObject* parent = nullptr);

    // Queues a link; false (refused) when the queue is full or closed.
    bool offer(const QString& text);
    // Drops the waiting links and refuses any further one.
    void close();
    // While held (a site harvest runs), links are queued but not taken; released, the
    // waiting ones are taken in order.
    void setHeld(bool held);
    qsizetype waiting() const { return m_waiting.size(); }

private:
    void takeNext();

    std::function<void(const QString&)> m_step;
    QQueue<QString> m_waiting;
    bool m_running = false;
    bool m_closed = false;
    bool m_held = false;
};
