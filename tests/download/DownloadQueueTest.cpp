#include <gtest/gtest.h>

#include "download/DownloadQueue.h"

namespace
{

// count links of host, then one of each host in tail.
QStringList hosts(const QString& host, int count, const QStringList& tail = {})
{
    QStringList all(count, host);
    all += tail;
    return all;
}

} // namespace

// The earliest link that may start wins, across hosts: a held name or a full or paused
// host passes the turn to a later link; a name is asked about only for a link that could
// start otherwise.
TEST(DownloadQueueTest, PicksTheEarliestLinkThatMayStartLookingAtFewLinks)
{
    struct Row {
        const char* what;
        QStringList running;
        QList<int> held; // links whose name a running link holds
        bool pauseA;
        int next;
        int maxLooks;
    };
    const QStringList all = hosts("a", 5000, { "b", "a", "c" });
    const Row rows[] = {
        { "first link", {}, {}, false, 0, 1 },
        { "a held name passes to the host's next link", {}, { 0, 1 }, false, 2, 3 },
        { "full host a: b goes first", { "a" }, {}, false, 5000, 1 },
        { "paused host a: b goes first", {}, {}, true, 5000, 1 },
        { "b's name held: c", { "a" }, { 5000 }, false, 5002, 2 },
    };
    for (const Row& row : rows) {
        DownloadQueue queue(all, 1);
        if (row.pauseA)
            queue.pauseHost("a", 2000);
        int looks = 0;
        const int next = queue.next(
            row.running,
            [&](int index) {
                ++looks;
                return row.held.contains(index);
            },
            1000);
        EXPECT_EQ(next, row.next) << row.what;
        EXPECT_LE(looks, row.maxLooks) << row.what;
    }
}

// Started links leave their host's queue; a host's later link follows once it has room.
TEST(DownloadQueueTest, StartedLinksLeaveTheirHostsQueue)
{
    DownloadQueue queue(hosts("a", 3, { "b" }), 1);
    queue.markStarted(0);
    queue.markStarted(3);
    EXPECT_EQ(queue.started(), 2);
    EXPECT_EQ(queue.unstarted("a"), (std::set<int> { 1, 2 }));
    EXPECT_EQ(queue.next(
                  { "a" }, [](int) { return false; }, 0),
        -1);
    EXPECT_EQ(queue.next(
                  {}, [](int) { return false; }, 0),
        1);
    EXPECT_EQ(queue.pausedHosts(0), QStringList());
    queue.pauseHost("a", 10);
    EXPECT_EQ(queue.pausedHosts(5), QStringList { "a" });
    EXPECT_EQ(queue.pausedHosts(10), QStringList());
}
