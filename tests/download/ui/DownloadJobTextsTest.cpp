#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "download/DownloadJob.h"
#include "download/ui/DownloadJobTexts.h"
#include "support/QtPrinters.h"
#include "support/ScriptedTransfers.h"

// The window's texts worded from the job's model, as the link runs, waits for a retry
// and the job ends; a name's percent signs are shown as they are.
TEST(DownloadJobTextsTest, WordsTheLinkFollowedAndTheEnd)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path() + "/";
    ScriptedTransfers service;
    DownloadJobOptions options;
    options.folder = folder;
    options.reportErrors = false;
    options.retries = 3;
    options.atOnce = 2;
    DownloadJob job(numberedItems({ ListEntry { "http://a.example/x%251%252.bin", {} },
                        ListEntry { "http://b.example/y.bin", {} } }),
        options, service);
    job.start();
    runQueuedEvents();
    // The window follows the link started last.
    service.receive(1, 10, 5);
    service.receive(2, 2049, 1024);
    EXPECT_EQ(DownloadJobTexts::label1(job), "1.0 KiB of 2.0 KiB");
    EXPECT_EQ(DownloadJobTexts::label2(job), "50%");
    EXPECT_EQ(DownloadJobTexts::progressBar1(job), 49);
    EXPECT_EQ(DownloadJobTexts::mainCaption(job), "Quillmarch - Saving Files  (2 of 2)");
    service.receive(2, -1, 7);
    EXPECT_EQ(DownloadJobTexts::label3(job), "Saving " + folder + "y.bin (2 of 2)");
    EXPECT_EQ(DownloadJobTexts::label1(job), "7 bytes of unknown size");
    EXPECT_EQ(DownloadJobTexts::label2(job), "");

    service.failTransiently(2, 503, 2);
    EXPECT_EQ(DownloadJobTexts::label3(job), "Retrying in 2 s (attempt 2 of 4)");
    job.cancel();
    EXPECT_EQ(DownloadJobTexts::label3(job), "Aborting...");

    DownloadJob single(
        numberedItems({ ListEntry { "http://a.example/x%251%252.bin", {} } }), options, service);
    single.start();
    runQueuedEvents();
    const quint64 id = service.requests.size();
    service.receive(id, 4, 1);
    EXPECT_EQ(DownloadJobTexts::label3(single), "Saving " + folder + "x%1%2.bin (1 of 1)");
    EXPECT_EQ(DownloadJobTexts::progressBar2(single), 25);
    service.complete(id, "abcd");
    runQueuedEvents();
    EXPECT_EQ(DownloadJobTexts::label3(single), "Done");
    EXPECT_EQ(DownloadJobTexts::label1(single), "");
    EXPECT_EQ(DownloadJobTexts::progressBar1(single), DownloadJobTexts::kBar1Max);
    EXPECT_EQ(DownloadJobTexts::progressBar2(single), DownloadJobTexts::kBar1Max);
    EXPECT_EQ(DownloadJobTexts::mainCaption(single), "Quillmarch - Saving Files (Complete)");
}
