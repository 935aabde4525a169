#include <QElapsedTimer>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "platform/curl/CurlEngine.h"
#include "platform/curl/CurlTransferService.h"
#include "support/LocalHttpServer.h"
#include "support/WaitFor.h"

namespace
{

// A transfer's signals as the owner receives them.
struct Observed {
    QList<qint64> progress;
    QList<qint64> readBack; // bytesInFile() at each progress signal
    std::optional<TransferEnd> end;
    qint64 progressAtEnd = -1; // the last count received before the end
};

Observed observe(CurlTransferService& service, quint64& id, const TransferRequest& request)
{
    Observed seen;
    QObject::connect(&service, &ITransferService::progressed, &service, [&](quint64, qint64 n) {
        seen.progress.append(n);
        seen.readBack.append(service.bytesInFile(id));
    });
    QObject::connect(
        &service, &ITransferService::finished, &service, [&](quint64, const TransferEnd& end) {
            seen.end = end;
            seen.progressAtEnd = seen.progress.isEmpty() ? -1 : seen.progress.last();
        });
    id = service.start(request);
    EXPECT_TRUE(waitFor([&] { return seen.end.has_value(); }, 20000));
    service.disconnect();
    return seen;
}

// 40 blocks of 4 KiB, one every 15 ms.
void serveSlowFile(LocalHttpServer& site)
{
    site.server().Get("/slow.bin", [](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(
            40 * 4096, "application/octet-stream", [](size_t, size_t, httplib::DataSink& sink) {
                std::this_thread::sleep_for(std::chrono::milliseconds(15));
                return sink.write(std::string(4096, 'x').data(), 4096);
            });
    });
}

} // namespace

TEST(CurlEngineTest, ProgressIsPushedAboutEveryTenthOfASecondAndEndsWithTheFinalCount)
{
    LocalHttpServer site;
    serveSlowFile(site);
    ASSERT_TRUE(site.start());
    QTemporaryDir dir;
    CurlTransferService service;
    quint64 id = 0;
    const Observed seen = observe(service, id, { site.url("/slow.bin"), dir.filePath("f") });

    ASSERT_TRUE(seen.end && seen.end->kind == TransferEnd::Kind::Complete);
    EXPECT_EQ(seen.progressAtEnd, 40 * 4096);
    EXPECT_EQ(seen.end->bytesInFile, 40 * 4096);
    // About 0.6 s of body: several pushes on the way, far fewer than the 40 blocks.
    EXPECT_GE(seen.progress.size(), 3);
    EXPECT_LE(seen.progress.size(), 12);
    for (qsizetype i = 0; i < seen.progress.size(); ++i) {
        EXPECT_GE(seen.readBack.at(i), seen.progress.at(i)) << "a poll read less, at " << i;
        if (i > 0) {
            EXPECT_GE(seen.progress.at(i), seen.progress.at(i - 1));
        }
    }
}

TEST(CurlEngineTest, AStopEndsARunningTransferAtOnceAndTheNextRequestStartsTheThreadAgain)
{
    LocalHttpServer site;
    site.server().Get("/endless.bin", [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider(
            "application/octet-stream", [](size_t, httplib::DataSink& sink) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                return sink.write("x", 1);
            });
    });
    site.page("/small.txt", "small", "text/plain");
    ASSERT_TRUE(site.start());
    QTemporaryDir dir;
    CurlTransferService service;
    std::optional<TransferEnd> end;
    bool headers = false;
    QObject::connect(&service, &ITransferService::headersReceived, [&] { headers = true; });
    QObject::connect(
        &service, &ITransferService::finished, [&](quint64, const TransferEnd& e) { end = e; });
    service.start({ site.url("/endless.bin"), dir.filePath("endless") });
    ASSERT_TRUE(waitFor([&] { return headers; }));

    QElapsedTimer timer;
    timer.start();
    CurlEngine::instance().shutdown();
    EXPECT_LT(timer.elapsed(), 1000);
    ASSERT_TRUE(waitFor([&] { return end.has_value(); }));
    EXPECT_EQ(end->kind, TransferEnd::Kind::Cancelled);

    quint64 id = 0;
    service.disconnect();
    const Observed next = observe(service, id, { site.url("/small.txt"), dir.filePath("small") });
    ASSERT_TRUE(next.end);
    EXPECT_EQ(next.end->kind, TransferEnd::Kind::Complete);
    EXPECT_EQ(next.progressAtEnd, 5);
}
