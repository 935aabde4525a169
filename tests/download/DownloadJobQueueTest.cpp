#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "download/DownloadJob.h"
#include "support/QtPrinters.h"
#include "support/ScriptedTransfers.h"

namespace
{

DownloadItems items(const QStringList& links)
{
    ListEntries entries;
    for (const QString& link : links)
        entries.append({ link, {} });
    return numberedItems(entries);
}

using Status = DownloadLinkState::Status;

} // namespace

// What starts next: at most atOnce, at most perHost from one host, in order; a host that
// asked for a pause holds its links back while other hosts go on; a link whose name a
// running link holds waits for it.
TEST(DownloadJobQueueTest, StartsWithinTheCapsAndHoldsPausedHostsAndTakenNames)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ScriptedTransfers service;
    DownloadJobOptions options;
    options.folder = dir.path();
    options.atOnce = 3;
    options.perHost = 2;
    options.reportErrors = false;
    DownloadJob job(
        items({ "http://a.example/a1.bin", "http://a.example/a2.bin", "http://a.example/a3.bin",
            "http://b.example/b1.bin", "http://b.example/x/a1.bin", "http://c.example/c1.bin" }),
        options, service);
    job.start();
    runQueuedEvents();
    EXPECT_EQ(service.startedNames(), QStringList({ "a1.bin", "a2.bin", "b1.bin" }));

    // The host asks for a pause: a3 stays back though a2 ends; c1 goes on.
    service.failTransiently(service.idOf("a1.bin"), 429, 100);
    service.complete(service.idOf("a2.bin"), "2");
    runQueuedEvents();
    EXPECT_EQ(job.links().at(0).status, Status::Retrying);
    EXPECT_EQ(job.links().at(2).status, Status::HostPaused);
    EXPECT_EQ(job.links().at(1).status, Status::Saved);
    // b.example/x/a1 is named a1.bin like the link still running: it waits too.
    EXPECT_EQ(service.startedNames(), QStringList({ "a1.bin", "a2.bin", "b1.bin", "c1.bin" }));
    EXPECT_EQ(job.links().at(4).status, Status::Waiting);
    job.cancel();
}

// The job's model follows each link: bytes and size as reported, the file it was saved as.
TEST(DownloadJobQueueTest, TheModelFollowsReportedProgress)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ScriptedTransfers service;
    DownloadJobOptions options;
    options.folder = dir.path();
    DownloadJob job(items({ "http://a.example/f.bin" }), options, service);
    job.start();
    runQueuedEvents();
    service.receive(1, 2049, 1024);
    EXPECT_EQ(job.current(), 0);
    EXPECT_EQ(job.links().at(0).bytes, 1024);
    EXPECT_EQ(job.links().at(0).size, 2049);
    service.complete(1, QByteArray(2049, 'x'));
    runQueuedEvents();
    EXPECT_EQ(job.phase(), DownloadJob::Phase::Done);
    EXPECT_EQ(job.links().at(0).status, Status::Saved);
    EXPECT_EQ(QFile(dir.path() + "/f.bin").size(), 2049);
}
