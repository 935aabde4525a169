#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>

#include "download/DownloadJob.h"
#include "download/DownloadQuestions.h"
#include "download/NetscapeCookies.h"
#include "platform/curl/CurlTransferService.h"
#include "support/LocalHttpServer.h"
#include "support/QtPrinters.h"
#include "support/ScriptedPrompt.h"
#include "support/WaitFor.h"

namespace
{

// What a request carries besides its address, and the names the files get, against a
// local server whose files each need something of the request.
class DownloadRequestTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkdir("out"));
        m_folder = m_dir.path() + "/out/";
        auto& server = m_site.server();
        // Signed-in members get the file; others are sent to the sign-in page.
        server.Get("/members/a.zip", [](const httplib::Request& req, httplib::Response& res) {
            if (req.get_header_value("Cookie").find("session=ok") != std::string::npos)
                res.set_content("member file", "application/octet-stream");
            else
                res.set_redirect("/login.html");
        });
        m_site.page("/login.html", "<form>Sign in</form>");
        // A picture served only to its own gallery page.
        server.Get("/hot/b.jpg", [this](const httplib::Request& req, httplib::Response& res) {
            if (req.get_header_value("Referer") == m_site.url("/gallery.html").toStdString())
                res.set_content("picture", "image/jpeg");
            else
                res.status = 403;
        });
        server.Get("/api/c.txt", [](const httplib::Request& req, httplib::Response& res) {
            if (req.get_header_value("X-Token") == "t1"
                && req.get_header_value("User-Agent") == "TestAgent/1")
                res.set_content("api", "text/plain");
            else
                res.status = 403;
        });
        server.Get(R"(/cd/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
            const char* dispositions[] = {
                "attachment; filename=\"plain.pdf\"; filename*=UTF-8''r%C3%A9sum%C3%A9.pdf",
                "attachment; filename=\"../../escape.txt\"",
                "inline; filename=/etc/passwd",
                "attachment",
            };
            res.set_header("Content-Disposition", dispositions[std::stoi(req.matches[1])]);
            res.set_content("cd", "application/octet-stream");
        });
        m_site.page("/x/y/z.bin", "deep", "application/octet-stream");
        ASSERT_TRUE(m_site.start());
    }

    // Runs a job over the links (paths on the site) to its end.
    DownloadJob& run(const QStringList& paths)
    {
        ListEntries links;
        for (const QString& p : paths)
            links.append({ m_site.url(p), m_contexts.value(links.size()) });
        m_options.folder = m_folder;
        m_options.retries = 0;
        m_options.progressIntervalMs = 5;
        m_job = std::make_unique<DownloadJob>(numberedItems(links), m_options, m_service);
        m_questions = std::make_unique<DownloadQuestions>(*m_job, m_prompt);
        m_job->start();
        EXPECT_TRUE(waitFor([this] { return !m_job->isRunning(); }));
        return *m_job;
    }

    QByteArray read(const QString& name)
    {
        QFile f(m_folder + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
    }

    QStringList names(const QString& folder)
    {
        return QDir(folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir m_dir;
    QString m_folder;
    LocalHttpServer m_site;
    CurlTransferService m_service;
    ScriptedPrompt m_prompt;
    DownloadJobOptions m_options;
    QList<EntryContext> m_contexts; // the links' contexts, in their order
    std::unique_ptr<DownloadJob> m_job;
    std::unique_ptr<DownloadQuestions> m_questions;
};

} // namespace

TEST_F(DownloadRequestTest, CookiesRefererHeadersAndUserAgentReachTheServer)
{
    m_options.limits.cookies
        = { NetscapeCookies::line("127.0.0.1", "/", false, true, 0, "session", "ok") };
    m_options.limits.headers = { "X-Token: t1" };
    m_options.limits.userAgent = "TestAgent/1";
    EntryContext picture { EntryKind::Image, "", m_site.url("/gallery.html"), "" };
    m_contexts = { {}, picture };
    DownloadJob& job = run({ "/members/a.zip", "/hot/b.jpg", "/api/c.txt" });
    EXPECT_EQ(job.phase(), DownloadJob::Phase::Done);
    EXPECT_EQ(read("a.zip"), "member file");
    EXPECT_EQ(read("b.jpg"), "picture");
    EXPECT_EQ(read("c.txt"), "api");
}

TEST_F(DownloadRequestTest, AWebPageInsteadOfTheFileFailsAndSavesNothing)
{
    // A name of no known type (a.bin) may be a page; an archive's may not.
    DownloadJob& job = run({ "/members/a.zip", "/login.html" });
    EXPECT_EQ(job.phase(), DownloadJob::Phase::Error);
    ASSERT_EQ(m_prompt.messages.size(), 1);
    EXPECT_TRUE(m_prompt.messages[0].text.contains("web page instead of the file"))
        << m_prompt.messages[0].text.toStdString();
    EXPECT_TRUE(m_prompt.messages[0].text.contains("sign in"));
    EXPECT_EQ(names(m_folder), QStringList({ "login.html" }));
}

TEST_F(DownloadRequestTest, ServerNamesStayInsideTheFolder)
{
    m_options.useServerNames = true;
    DownloadJob& job = run({ "/cd/0", "/cd/1", "/cd/2", "/cd/3" });
    EXPECT_EQ(job.phase(), DownloadJob::Phase::Done);
    // "/cd/3" gives no name: the link's own, index.html.
    EXPECT_EQ(names(m_folder),
        QStringList({ "escape.txt", "index.html", "passwd", QString::fromUtf8("résumé.pdf") }));
    EXPECT_EQ(names(m_dir.path()), QStringList({ "out" }));
}

TEST_F(DownloadRequestTest, AMaskNamesFilesAndMakesTheirFolders)
{
    m_options.nameMask = "*host*/*subdirs*/*num*-*name*.*ext*";
    DownloadJob& job = run({ "/login.html", "/x/y/z.bin" });
    EXPECT_EQ(job.phase(), DownloadJob::Phase::Done);
    EXPECT_EQ(read("127.0.0.1/001-login.html"), "<form>Sign in</form>");
    EXPECT_EQ(read("127.0.0.1/x/y/002-z.bin"), "deep");
}

TEST_F(DownloadRequestTest, ARequestThatWouldSmuggleHeaderLinesIsNeverSent)
{
    std::atomic<int> requests = 0;
    m_site.server().Get("/any.bin", [&](const httplib::Request&, httplib::Response& res) {
        ++requests;
        res.set_content("x", "application/octet-stream");
    });
    const QString injected = "1\r\nX-Injected: 1";
    struct Row {
        const char* what;
        std::function<void(DownloadJobOptions&)> set;
    };
    const Row rows[] = {
        { "Referer", [&](DownloadJobOptions& o) { o.limits.referer = "http://r/" + injected; } },
        { "User-Agent", [&](DownloadJobOptions& o) { o.limits.userAgent = "UA" + injected; } },
        { "header", [&](DownloadJobOptions& o) { o.limits.headers = { "X-A: " + injected }; } },
        { "cookie",
            [&](DownloadJobOptions& o) {
                o.limits.cookies = { NetscapeCookies::line(
                    "127.0.0.1", "/", false, false, 0, "sid", injected.toUtf8()) };
            } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        m_options = {};
        row.set(m_options);
        DownloadJob& job = run({ "/any.bin" });
        EXPECT_EQ(job.summary().failed, 1);
        ASSERT_EQ(job.summary().failures.size(), 1);
        EXPECT_TRUE(job.summary().failures[0].error.contains("Not sent"))
            << job.summary().failures[0].error.toStdString();
    }
    EXPECT_EQ(requests.load(), 0);
}

TEST_F(DownloadRequestTest, EachRedirectCarriesOnlyTheCookiesAndCredentialsOfItsOwnHost)
{
    // A link on 127.0.0.2 that redirects to 127.0.0.3, which records what it receives.
    LocalHttpServer first;
    LocalHttpServer second;
    std::string secondCookie = "<none>";
    std::string secondAuthorization = "<none>";
    second.server().Get("/file.bin", [&](const httplib::Request& req, httplib::Response& res) {
        secondCookie = req.get_header_value("Cookie");
        secondAuthorization = req.get_header_value("Authorization");
        res.set_content("moved file", "application/octet-stream");
    });
    second.server().set_keep_alive_max_count(1);
    ASSERT_TRUE(second.start("127.0.0.3"));
    std::string firstCookie;
    first.server().Get("/file.bin", [&](const httplib::Request& req, httplib::Response& res) {
        firstCookie = req.get_header_value("Cookie");
        res.set_redirect(second.url("/file.bin").toStdString());
    });
    first.server().set_keep_alive_max_count(1);
    ASSERT_TRUE(first.start("127.0.0.2"));
    m_options.limits.cookies = { NetscapeCookies::line("127.0.0.2", "/", false, false, 0, "a", "2"),
        NetscapeCookies::line(".0.0.3", "/", false, false, 0, "wide", "1"),
        NetscapeCookies::line("127.0.0.3", "/", false, false, 0, "b", "3") };
    m_options.limits.headers = { "Authorization: Bearer t" };
    m_options.folder = m_folder;
    m_options.retries = 0;
    m_job = std::make_unique<DownloadJob>(
        numberedItems({ ListEntry { first.url("/file.bin"), {} } }), m_options, m_service);
    m_job->start();
    ASSERT_TRUE(waitFor([this] { return !m_job->isRunning(); }));

    EXPECT_EQ(m_job->phase(), DownloadJob::Phase::Done);
    EXPECT_EQ(read("file.bin"), "moved file");
    EXPECT_EQ(firstCookie, "a=2");
    EXPECT_EQ(secondCookie, "b=3");
    EXPECT_EQ(secondAuthorization, "");
}

TEST_F(DownloadRequestTest, ACookieSetOnTheWayReachesTheNextHopsItsRulesAdmit)
{
    // A sign-in link that sets a session cookie and redirects to the file, which needs it;
    // a cookie for a public suffix or another host is not carried.
    std::string fileCookie = "<none>";
    auto& server = m_site.server();
    server.Get("/signin", [this](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "sid=7; Path=/");
        res.set_header("Set-Cookie", "wide=1; Domain=com");
        res.set_header("Set-Cookie", "other=1; Domain=example.org");
        res.set_header("Set-Cookie", "gone=1; Max-Age=0");
        res.set_redirect(m_site.url("/vault/f.zip").toStdString());
    });
    server.Get("/vault/f.zip", [&fileCookie](const httplib::Request& req, httplib::Response& res) {
        fileCookie = req.get_header_value("Cookie");
        if (fileCookie == "sid=7")
            res.set_content("vault", "application/zip");
        else
            res.status = 403;
    });
    const DownloadJob& job = run({ "/signin" });
    EXPECT_EQ(job.phase(), DownloadJob::Phase::Done);
    EXPECT_EQ(fileCookie, "sid=7");
    EXPECT_EQ(read("signin.zip"), "vault");
}
