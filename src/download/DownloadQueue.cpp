#include "download/DownloadQueue.h"

#include <QUrl>
#include <algorithm>

DownloadQueue::DownloadQueue(QStringList hosts, int perHost)
    : m_hosts(std::move(hosts))
    , m_perHost(std::max(1, perHost))
{
    m_hostOf.reserve(static_cast<size_t>(m_hosts.size()));
    for (int i = 0; i < count(); ++i) {
        const auto found = m_hostIds.constFind(m_hosts.at(i));
        const int id = found != m_hostIds.cend() ? *found : static_cast<int>(m_unstarted.size());
        if (id == static_cast<int>(m_unstarted.size())) {
            m_hostIds.insert(m_hosts.at(i), id);
            m_unstarted.emplace_back();
            m_heads.emplace(i, id);
        }
        m_hostOf.push_back(id);
        m_unstarted[static_cast<size_t>(id)].insert(i);
    }
}

QStringList DownloadQueue::hostsOf(const DownloadItems& items)
{
    QStringList hosts;
    hosts.reserve(items.size());
    for (const DownloadItem& item : items)
        hosts.append(QUrl(item.url()).host().toLower());
    return hosts;
}

int DownloadQueue::next(
    const QStringList& running, const std::function<bool(int)>& nameHeld, qint64 nowMs) const
{
    // The hosts in the order of their first waiting link: once a link is found, a host
    // whose first link comes later cannot offer an earlier one.
    int best = -1;
    for (const auto& [head, id] : m_heads) {
        if (best >= 0 && head > best)
            break;
        const QString& host = m_hosts.at(head);
        if (paused(host, nowMs) || running.count(host) >= m_perHost)
            continue;
        const int free = firstFree(id, nameHeld, best);
        if (free >= 0)
            best = free;
    }
    return best;
}

// The host's first link whose name no running link holds, coming before before (any
// when before is -1); -1 when none.
int DownloadQueue::firstFree(int host, const std::function<bool(int)>& nameHeld, int before) const
{
    for (const int index : m_unstarted[static_cast<size_t>(host)]) {
        if (before >= 0 && index > before)
            break;
        if (!nameHeld(index))
            return index;
    }
    return -1;
}

void DownloadQueue::markStarted(int index)
{
    const int id = m_hostOf[static_cast<size_t>(index)];
    std::set<int>& links = m_unstarted[static_cast<size_t>(id)];
    if (links.erase(index) == 0)
        return;
    ++m_started;
    m_heads.erase({ index, id });
    if (!links.empty())
        m_heads.emplace(*links.begin(), id);
}

const std::set<int>& DownloadQueue::unstarted(const QString& host) const
{
    static const std::set<int> none;
    const auto found = m_hostIds.constFind(host);
    return found != m_hostIds.cend() ? m_unstarted[static_cast<size_t>(*found)] : none;
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

QStringList DownloadQueue::pausedHosts(qint64 nowMs)
{
    m_pausedUntil.removeIf([nowMs](const auto& pause) { return pause.value() <= nowMs; });
    return m_pausedUntil.keys();
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
