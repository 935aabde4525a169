#include "download/DownloadQueue.h"

#include <algorithm>

DownloadQueue::DownloadQueue(QStringList hosts, int perHost)
    : m_hosts(std::move(hosts))
    , m_perHost(std::max(1, perHost))
    , m_isStarted(static_cast<size_t>(m_hosts.size()), false)
{
}

int DownloadQueue::next(
    const QStringList& running, const std::function<bool(int)>& nameHeld, qint64 nowMs) const
{
    for (int i = m_firstUnstarted; i < count(); ++i) {
        if (m_isStarted[static_cast<size_t>(i)])
            continue;
        const QString& host = m_hosts.at(i);
        if (paused(host, nowMs) || running.count(host) >= m_perHost)
            continue;
        if (!nameHeld(i))
            return i;
    }
    return -1;
}

void DownloadQueue::markStarted(int index)
{
    m_isStarted[static_cast<size_t>(index)] = true;
    ++m_started;
    while (m_firstUnstarted < count() && m_isStarted[static_cast<size_t>(m_firstUnstarted)])
        ++m_firstUnstarted;
}

void DownloadQueue::pauseHost(const QString& host, qint64 untilMs)
{
    qint64& until = m_pausedUntil[host];
    until = std::max(until, untilMs);
}

bool DownloadQueue::paused(const QString& host, qint64 nowMs) const
{
    return !m_pausedUntil.isEmpty() && m_pausedUntil.value(host, 0) > nowMs;
}

qint64 DownloadQueue::nextWake(qint64 nowMs) const
{
    qint64 wake = 0;
    for (const qint64 until : m_pausedUntil) {
        if (until > nowMs && (wake == 0 || until < wake))
            wake = until;
    }
    return wake;
}
