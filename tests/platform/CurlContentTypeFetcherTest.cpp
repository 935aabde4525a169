#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <thread>

#include "core/Version.h"
#include "platform/curl/CurlContentTypeFetcher.h"
#include "support/FetchContentType.h"
#include "support/LocalHttpServer.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

TEST(CurlContentTypeFetcherTest, ReadsTheFinalResponsesContentType)
{
    LocalHttpServer site;
    site.page("/page.html", "<p>x</p>", "text/html; charset=UTF-8");
    site.page("/doc.pdf", "%PDF", "application/pdf");
    site.page("/a dir/b%.pdf", "%PDF", "application/pdf"); // asked as "/a dir/b%25.pdf"
    site.server().Get("/to-pdf", [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("/doc.pdf");
        res.set_content("<p>moved</p>", "text/html");
    });
    site.server().Get("/to-html", [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("/to-html-2", 301);
    });
    site.server().Get("/to-html-2", [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("/page.html", 307);
    });
    // Answers HEAD as something else: the check must use GET.
    site.server().Get("/head-lies", [](const httplib::Request& req, httplib::Response& res) {
        if (req.method == "HEAD")
            res.set_content("", "application/octet-stream");
        else
            res.set_content("<p>x</p>", "text/html");
    });
    site.server().Get("/agent", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content("", req.get_header_value("User-Agent"));
    });
    ASSERT_TRUE(site.start());

    CurlContentTypeFetcher fetcher;
    const std::string agent = std::string("Quillmarch/") + kQuillmarchVersion;
    const std::pair<const char*, const char*> rows[] = {
        { "/page.html", "text/html; charset=UTF-8" },
        { "/doc.pdf", "application/pdf" },
        { "/to-pdf", "application/pdf" },
        { "/to-html", "text/html; charset=UTF-8" },
        { "/head-lies", "text/html" },
        { "/a dir/b%25.pdf", "application/pdf" },
        { "/agent", agent.c_str() },
    };
    for (const auto& [path, type] : rows) {
        SCOPED_TRACE(path);
        EXPECT_EQ(fetchContentTypeNow(fetcher, site.url(QString::fromUtf8(path))).value(),
            QString::fromUtf8(type));
    }
    EXPECT_FALSE(fetcher.isFetching());
}

TEST(CurlContentTypeFetcherTest, FailuresAreReported)
{
    LocalHttpServer closed;
    ASSERT_TRUE(closed.start());
    const QString refused = closed.url("/");
    closed.stop();

    CurlContentTypeFetcher fetcher;
    EXPECT_TRUE(fetchContentTypeNow(fetcher, refused).isFailed());
    EXPECT_TRUE(
        fetchContentTypeNow(fetcher, QStringLiteral("http://no-such-host.invalid/")).isFailed());
    EXPECT_TRUE(fetchContentTypeNow(fetcher, QStringLiteral("file:///etc/hostname")).isFailed());
    EXPECT_TRUE(fetchContentTypeNow(fetcher, QStringLiteral("not a url")).isFailed());
}

TEST(CurlContentTypeFetcherTest, StopsAfterTheHeadersAndCanBeCancelled)
{
    LocalHttpServer site;
    constexpr size_t kTotal = 256u * 1024u * 1024u;
    std::atomic<size_t> served { 0 };
    site.server().Get("/big.html", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(
            kTotal, "text/html", [&](size_t offset, size_t length, httplib::DataSink& sink) {
                const std::string chunk(std::min<size_t>(length, 65536), 'a');
                served += chunk.size();
                return sink.write(chunk.data(), chunk.size()) && offset < kTotal;
            });
    });
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    site.server().Get("/stalls", [&](const httplib::Request&, httplib::Response& res) {
        std::unique_lock lock(mutex);
        released.wait_for(lock, std::chrono::seconds(20), [&] { return release; });
        res.set_content("<p>late</p>", "text/html");
    });
    ASSERT_TRUE(site.start());

    CurlContentTypeFetcher fetcher;
    EXPECT_EQ(
        fetchContentTypeNow(fetcher, site.url("/big.html")).value(), QStringLiteral("text/html"));
    EXPECT_LT(served.load(), kTotal / 4) << "the body is not downloaded";

    // Esc while the server keeps the answer back: the check ends at once, unanswered.
    QObject context;
    bool answered = false;
    fetcher.fetchContentType(
        site.url("/stalls"), &context, [&](const Result<QString>&) { answered = true; });
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (++ticks == 3)
            fetcher.cancel();
    });
    ticker.start(50);
    EXPECT_TRUE(fetcher.isFetching());
    ASSERT_TRUE(waitFor([&] { return ticks >= 3; }));
    EXPECT_FALSE(answered);
    EXPECT_FALSE(fetcher.isFetching());
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    released.notify_all();
    waitFor([] { return false; }, 300);
    EXPECT_FALSE(answered) << "a cancelled check is never answered";
}

TEST(CurlContentTypeFetcherTest, NoAnswerReachesAGoneReceiverOrComesFromAGoneFetcher)
{
    LocalHttpServer site;
    site.server().Get("/slow", [](const httplib::Request&, httplib::Response& res) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        res.set_content("<p>late</p>", "text/html");
    });
    ASSERT_TRUE(site.start());
    for (const bool receiverGoes : { true, false }) {
        SCOPED_TRACE(receiverGoes ? "receiver destroyed" : "fetcher destroyed");
        auto context = std::make_unique<QObject>();
        auto fetcher = std::make_unique<CurlContentTypeFetcher>();
        bool answered = false;
        fetcher->fetchContentType(
            site.url("/slow"), context.get(), [&](const Result<QString>&) { answered = true; });
        waitFor([] { return false; }, 100);
        if (receiverGoes)
            context.reset();
        else
            fetcher.reset();
        waitFor([] { return false; }, 600);
        EXPECT_FALSE(answered);
    }
}
