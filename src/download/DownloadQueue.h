#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <set>
#include <utility>
#include <vector>

#include "download/DownloadItem.h"

// Decides which link of a job starts next: the first not started whose host has room
// (at most perHost running from one host), whose host is not paused, and whose name no
// running link holds. Links start in order unless one is held back. Each host keeps its
// own queue, so a full or paused host costs one look however many links wait for it.
class DownloadQueue final
{
public:
    // hosts: each link's host, lower case, in the job's order.
    DownloadQueue(QStringList hosts, int perHost);
    static QStringList hostsOf(const DownloadItems& items);

    int count() const { return static_cast<int>(m_hosts.size()); }
    int started() const { return m_started; }
    const QString& host(int index) const { return m_hosts.at(index); }

    // The next link to start, -1 when none may start now. running: the hosts of the
    // links running; nameHeld tells whether a running link holds a link's name.
    int next(
        const QStringList& running, const std::function<bool(int)>& nameHeld, qint64 nowMs) const;
    void markStarted(int index);
    // The links of host not started yet, in order.
    const std::set<int>& unstarted(const QString& host) const;

    // No link of host starts before untilMs (a later pause already set stays).
    void pauseHost(const QString& host, qint64 untilMs);
    bool paused(const QString& host, qint64 nowMs) const;
    // The hosts paused now (the pauses that have ended are forgotten).
    QStringList pausedHosts(qint64 nowMs);
    // When the earliest pause still ahead ends, 0 when none.
    qint64 nextWake(qint64 nowMs) const;

private:
    int firstFree(int host, const std::function<bool(int)>& nameHeld, int before) const;

    QStringList m_hosts;
    int m_perHost;
    int m_started = 0;
    QHash<QString, int> m_hostIds;
    std::vector<int> m_hostOf; // each link's host id
    std::vector<std::set<int>> m_unstarted; // by host id
    std::set<std::pair<int, int>> m_heads; // each host's first link not started, with its id
    QHash<QString, qint64> m_pausedUntil;
};
