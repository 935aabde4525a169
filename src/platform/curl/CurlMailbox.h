#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <mutex>

// Delivers work from the curl thread to a QObject's thread, never to an object that is
// gone: the mailbox closes when its target is destroyed (or when the owner closes it),
// and a post either finishes before the close or is dropped. Whatever was posted before
// the close and not yet run goes with the object's pending events.
class CurlMailbox final : public std::enable_shared_from_this<CurlMailbox>
{
public:
    static std::shared_ptr<CurlMailbox> to(QObject* target);

    // From any thread: runs work on the target's thread, unless the mailbox is closed.
    void post(std::function<void()> work);
    // From the target's thread: nothing is posted any more.
    void close();

private:
    explicit CurlMailbox(QObject* target);

    std::mutex m_mutex;
    QObject* m_target;
};
