#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// Decides which link of a job starts next: the first not started whose host has room
// (at most perHost running from one host), whose host is not paused, and whose name no
// running link holds. Links start in order unless one is held back.
class DownloadQueue final
{
public:
    // hosts: each link's host, lower case, in the job's order.
    DownloadQueue(QStringList hosts, int perHost);

    int count() const { return static_cast<int>(m_hosts.size()); }
    int started() const { return m_started; }
    const QString& host(int index) const { return m_hosts.at(index); }

    // The next link to start, -1 when none may start now. running: the hosts of the
    // links running; nameHeld tells whether a running link holds a link's name.
    int next(
        const QStringList& running, const std::function<bool(int)>& nameHeld, qint64 nowMs) const;
    void markStarted(int index);

    // No link of host starts before untilMs (a later pause already set stays).
    void pauseHost(const QString& host, qint64 untilMs);
    bool paused(const QString& host, qint64 nowMs) const;
    // When the earliest pause still ahead ends, 0 when none.
    qint64 nextWake(qint64 nowMs) const;

private:
    QStringList m_hosts;
    int m_perHost;
    std::vector<bool> m_isStarted;
    int m_firstUnstarted = 0;
    int m_started = 0;
    QHash<QString, qint64> m_pausedUntil;
};
