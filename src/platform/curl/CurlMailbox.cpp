#include "platform/curl/CurlMailbox.h"

CurlMailbox::CurlMailbox(QObject* target)
    : m_target(target)
{
}

std::shared_ptr<CurlMailbox> CurlMailbox::to(QObject* target)
{
    std::shared_ptr<CurlMailbox> box(new CurlMailbox(target));
    if (!target)
        return box;
    // destroyed is emitted before the object drops its pending events, on its own thread.
    const std::weak_ptr<CurlMailbox> weak = box;
    QObject::connect(
        target, &QObject::destroyed, target,
        [weak] {
            if (const auto alive = weak.lock())
                alive->close();
        },
        Qt::DirectConnection);
    return box;
}

void CurlMailbox::post(std::function<void()> work)
{
    std::lock_guard lock(m_mutex);
    if (m_target)
        QMetaObject::invokeMethod(m_target, std::move(work), Qt::QueuedConnection);
}

void CurlMailbox::close()
{
    std::lock_guard lock(m_mutex);
    m_target = nullptr;
}
