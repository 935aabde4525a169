#include <QElapsedTimer>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

#include "compose/CommandLineServices.h"
#include "crawl/SiteCrawl.h"
#include "support/LocalHttpServer.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

namespace
{

// A small site of plain pages under /doc/, with a log of the pages asked for (robots.txt
// aside) and the time each was asked, in milliseconds since the site started.
class CrawlSite
{
public:
    CrawlSite() { m_clock.start(); }

    // Serves the pages given so far, then the site's own (a path given first wins).
    bool start()
    {
        page("/doc/index.html",
            "<a href='a.html'>A</a><a href='b.html'>B</a><a href='/outside.html'>Out</a>"
            "<a href='http://other.invalid/x'>Far</a><a href='pic.jpg'>Pic</a>"
            "<a href='data'>Data</a><a href='a.html#part'>A again</a>");
        page("/doc/a.html", "<a href='a2.html'>A2</a><a href='index.html'>Home</a>");
        page("/doc/b.html", "<a href='index.html'>Home</a>");
        page("/doc/a2.html", "<a href='a3.html'>A3</a>");
        page("/doc/a3.html", "<p>end</p>");
        page("/doc/data", "%PDF-1.4", "application/pdf");
        page("/outside.html", "<p>out</p>");
        return m_server.start();
    }

    void page(const std::string& path, const std::string& body,
        const std::string& type = "text/html; charset=utf-8")
    {
        m_server.server().Get(
            path, [this, body, type](const httplib::Request& req, httplib::Response& res) {
                log(req.path);
                res.set_content(body, type.c_str());
            });
    }
    void log(const std::string& path)
    {
        std::lock_guard lock(m_mutex);
        m_asked.append(QString::fromStdString(path));
        m_times.append(m_clock.elapsed());
    }
    QStringList asked()
    {
        std::lock_guard lock(m_mutex);
        return m_asked;
    }
    qint64 timeOf(const QString& path)
    {
        std::lock_guard lock(m_mutex);
        return m_times.value(m_asked.indexOf(path), -1);
    }
    LocalHttpServer& server() { return m_server; }
    QString url(const QString& path) { return m_server.url(path); }

private:
    LocalHttpServer m_server;
    std::mutex m_mutex;
    QStringList m_asked;
    QList<qint64> m_times;
    QElapsedTimer m_clock;
};

class SiteCrawlTest : public testing::Test
{
protected:
    SiteCrawlTest()
        : m_services(commandLineServices(nullptr, {}, {}, true))
    {
    }

    std::unique_ptr<SiteCrawl> makeCrawl()
    {
        auto crawl = std::make_unique<SiteCrawl>(Preferences(), FilterState(),
            m_services.browserFactory, m_services.transfers.get(), m_state.path());
        crawl->setFinishedHandler([this](const CrawlResult& result) { m_result = result; });
        return crawl;
    }

    // Runs a crawl to its end.
    CrawlResult run(
        SiteCrawl& crawl, const QString& start, const CrawlOptions& options, bool resume = false)
    {
        m_result.reset();
        crawl.start(start, options, HarvestScope(), resume);
        EXPECT_TRUE(waitFor([this] { return m_result.has_value(); }));
        return m_result.value_or(CrawlResult());
    }

    static CrawlOptions options(int depth, int perHost = 2)
    {
        CrawlOptions o;
        o.depth = depth;
        o.perHost = perHost;
        o.robots = false;
        return o;
    }

    Services m_services;
    QTemporaryDir m_state;
    std::optional<CrawlResult> m_result;
};

QStringList urls(const ListEntries& entries)
{
    QStringList out;
    for (const ListEntry& entry : entries)
        out.append(entry.url);
    return out;
}

} // namespace

// Each depth visits one more level, the entries in breadth-first order; links out of
// scope and to files are listed, never visited; an answer that is no page is neither read nor
// failed.
TEST_F(SiteCrawlTest, VisitsLevelByLevelWithinScope)
{
    const struct {
        int depth;
        QStringList asked;
    } rows[] = {
        { 0, { "/doc/index.html" } },
        { 1, { "/doc/index.html", "/doc/a.html", "/doc/b.html", "/doc/data" } },
        { 2, { "/doc/index.html", "/doc/a.html", "/doc/b.html", "/doc/data", "/doc/a2.html" } },
    };
    for (const auto& row : rows) {
        CrawlSite site;
        ASSERT_TRUE(site.start());
        auto crawl = makeCrawl();
        // Two pages at once: the entries keep the order of the visits all the same.
        const CrawlResult result = run(*crawl, site.url("/doc/index.html"), options(row.depth));
        QStringList asked = site.asked();
        asked.sort();
        QStringList expected = row.asked;
        expected.sort();
        EXPECT_EQ(asked, expected) << row.depth;
        EXPECT_TRUE(result.failures.isEmpty());
        EXPECT_TRUE(result.stopReason.isEmpty()) << result.stopReason.toStdString();
        EXPECT_EQ(crawl->notPages(), row.depth > 0 ? 1 : 0);
        const QStringList found = urls(result.entries);
        EXPECT_TRUE(found.contains(site.url("/outside.html")));
        EXPECT_TRUE(found.contains(site.url("/doc/pic.jpg")));
        EXPECT_EQ(found.count(site.url("/doc/index.html")), row.depth > 0 ? 1 : 0);
        if (row.depth == 2) {
            QStringList order;
            for (const char* path :
                { "/doc/a.html", "/doc/b.html", "/outside.html", "/doc/pic.jpg", "/doc/data",
                    "/doc/a.html#part", "/doc/a2.html", "/doc/index.html", "/doc/a3.html" })
                order.append(site.url(path));
            order.insert(3, QStringLiteral("http://other.invalid/x"));
            EXPECT_EQ(found, order);
            const ListEntry& a3 = result.entries.at(found.indexOf(site.url("/doc/a3.html")));
            EXPECT_EQ(a3.context.depth, 2);
            EXPECT_EQ(a3.context.page, site.url("/doc/a2.html"));
        }
    }
}

// The follow pattern narrows the pages visited; next-page links are followed whatever
// the depth; a trap of new addresses ends at the page limit and can be continued.
TEST_F(SiteCrawlTest, FollowNextPagesAndThePageLimit)
{
    CrawlSite site;
    for (int i = 1; i <= 3; ++i)
        site.page("/list/" + std::to_string(i),
            "<a href='/list/" + std::to_string(i + 1) + "'>Next ›</a><a href='/doc/a.html'>A</a>");
    site.page("/list/4", "<p>last</p>");
    site.server().server().Get(
        R"(/trap/(\d+))", [&site](const httplib::Request& req, httplib::Response& res) {
            site.log(req.path);
            const int n = std::stoi(req.matches[1].str());
            res.set_content("<a href='/trap/" + std::to_string(n + 1) + "'>on</a>", "text/html");
        });
    ASSERT_TRUE(site.start());

    CrawlOptions follow = options(1, 1);
    follow.follow = QStringLiteral("*/a.html");
    run(*makeCrawl(), site.url("/doc/index.html"), follow);
    EXPECT_EQ(site.asked(), QStringList({ "/doc/index.html", "/doc/a.html" }));

    CrawlOptions next = options(0, 1);
    next.nextPages = true;
    next.scope = CrawlScopeKind::Pattern;
    next.scopePattern = QStringLiteral("*/list/*");
    run(*makeCrawl(), site.url("/list/1"), next);
    EXPECT_EQ(site.asked().mid(2), QStringList({ "/list/1", "/list/2", "/list/3", "/list/4" }));

    CrawlOptions trap = options(1000);
    trap.maxPages = 5;
    auto crawl = makeCrawl();
    const CrawlResult result = run(*crawl, site.url("/trap/1"), trap);
    EXPECT_EQ(result.progress.visited, 5);
    EXPECT_FALSE(result.stopReason.isEmpty());
    EXPECT_TRUE(crawl->canResume(site.url("/trap/1"), trap));
}

// robots.txt: its rules for this program and its Crawl-delay are kept; one that is
// missing, binary or too large allows everything.
TEST_F(SiteCrawlTest, KeepsToRobotsTxt)
{
    const std::string huge = "User-agent: *\nDisallow: /\n" + std::string(600 * 1024, '#');
    const struct {
        const char* name;
        std::string robots;
        int status;
        bool bAllowed;
    } rows[] = {
        { "rules",
            "User-agent: *\nDisallow: /\n\nUser-agent: quillmarch\nDisallow: /doc/b\n"
            "Crawl-delay: 1\n",
            200, false },
        { "missing", "", 404, true },
        { "binary", std::string("User-agent: *\nDisallow: /\0\x01\x02", 28), 200, true },
        { "huge", huge, 200, true },
    };
    for (const auto& row : rows) {
        CrawlSite site;
        const std::string robots = row.robots;
        const int status = row.status;
        site.server().server().Get(
            "/robots.txt", [robots, status](const httplib::Request&, httplib::Response& res) {
                res.status = status;
                res.set_content(robots, "text/plain");
            });
        ASSERT_TRUE(site.start());
        CrawlOptions polite = options(1);
        polite.robots = true;
        polite.follow = QStringLiteral("*/?.html"); // a.html and b.html
        run(*makeCrawl(), site.url("/doc/index.html"), polite);
        EXPECT_EQ(site.asked().contains("/doc/b.html"), row.bAllowed) << row.name;
        EXPECT_TRUE(site.asked().contains("/doc/a.html")) << row.name;
        if (!row.bAllowed) {
            EXPECT_GE(site.timeOf("/doc/a.html") - site.timeOf("/doc/index.html"), 900);
        }
    }
}

// A 429 with Retry-After pauses the site and the page is read later, not failed; a page
// that never finishes fails at the page timeout while the others are read.
TEST_F(SiteCrawlTest, RetryAfterPausesAndAHangingPageFails)
{
    CrawlSite site;
    std::atomic<int> tries = 0;
    site.server().server().Get(
        "/doc/a.html", [&](const httplib::Request& req, httplib::Response& res) {
            site.log(req.path);
            if (tries++ == 0) {
                res.status = 429;
                res.set_header("Retry-After", "1");
                return;
            }
            res.set_content("<p>a</p>", "text/html");
        });
    site.server().server().Get(
        "/doc/b.html", [&](const httplib::Request& req, httplib::Response& res) {
            site.log(req.path);
            std::this_thread::sleep_for(std::chrono::seconds(3));
            res.set_content("<p>late</p>", "text/html");
        });
    ASSERT_TRUE(site.start());
    auto crawl = makeCrawl();
    crawl->setPageTimeoutSeconds(1);
    CrawlOptions o = options(1);
    o.follow = QStringLiteral("*/?.html");
    const CrawlResult result = run(*crawl, site.url("/doc/index.html"), o);
    EXPECT_EQ(site.asked().count("/doc/a.html"), 2);
    ASSERT_EQ(result.failures.size(), 1);
    EXPECT_EQ(result.failures[0].page, site.url("/doc/b.html"));
    EXPECT_TRUE(result.failures[0].reason.contains("did not load"))
        << result.failures[0].reason.toStdString();
    EXPECT_EQ(result.progress.visited, 2);
}

// A cancelled crawl keeps its state; continued, it reads only the pages it had not read
// and ends with every entry, its state then gone.
TEST_F(SiteCrawlTest, ContinuesACancelledCrawlWithoutReadingPagesAgain)
{
    CrawlSite site;
    ASSERT_TRUE(site.start());
    const QString start = site.url("/doc/index.html");
    auto first = makeCrawl();
    first->setProgressHandler([&first](const CrawlProgress& progress) {
        if (progress.visited == 1)
            first->cancel();
    });
    const CrawlResult cancelled = run(*first, start, options(2, 1));
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_TRUE(first->canResume(start, options(2, 1)));

    auto second = makeCrawl();
    const CrawlResult rest = run(*second, start, options(2, 1), true);
    EXPECT_FALSE(rest.cancelled);
    for (const char* page : { "/doc/index.html", "/doc/a.html", "/doc/a2.html" })
        EXPECT_EQ(site.asked().count(page), 1) << page;
    EXPECT_TRUE(urls(rest.entries).contains(site.url("/outside.html")));
    EXPECT_TRUE(urls(rest.entries).contains(site.url("/doc/a3.html")));
    EXPECT_FALSE(second->canResume(start, options(2, 1)));
}

// A page that runs scripts goes to the engine within a crawl, and its links are followed.
TEST_F(SiteCrawlTest, ReadsScriptedPagesInTheEngine)
{
    CrawlSite site;
    site.page("/doc/script.html",
        "<div id=d></div><script>document.getElementById('d').innerHTML ="
        " \"<a href='a.html'>A</a>\";</script>");
    ASSERT_TRUE(site.start());
    const CrawlResult result = run(*makeCrawl(), site.url("/doc/script.html"), options(1));
    EXPECT_TRUE(site.asked().contains("/doc/a.html"));
    EXPECT_TRUE(urls(result.entries).contains(site.url("/doc/a2.html")));
}
