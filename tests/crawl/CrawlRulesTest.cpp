#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "crawl/CrawlFrontier.h"
#include "crawl/CrawlScope.h"
#include "crawl/CrawlStateStore.h"
#include "crawl/NextPageLink.h"
#include "crawl/RobotsRules.h"
#include "support/QtPrinters.h"

TEST(CrawlScope, KeepsToTheScopeAndTheFollowPattern)
{
    const struct {
        CrawlScopeKind kind;
        const char* pattern;
        const char* follow;
        const char* address;
        bool inScope;
        bool follows;
    } rows[] = {
        { CrawlScopeKind::Path, "", "", "http://www.site.org/doc/b/c.html", true, true },
        { CrawlScopeKind::Path, "", "", "http://www.site.org/doc/", true, true },
        { CrawlScopeKind::Path, "", "", "http://www.site.org/other/a.html", false, false },
        { CrawlScopeKind::Path, "", "", "http://www.site.org/docs.html", false, false },
        { CrawlScopeKind::Path, "", "", "https://www.site.org/doc/a.html", false, false },
        { CrawlScopeKind::Path, "", "", "http://www.site.org:8080/doc/a.html", false, false },
        { CrawlScopeKind::Host, "", "", "http://WWW.site.org/other/", true, true },
        { CrawlScopeKind::Host, "", "", "http://cdn.site.org/doc/", false, false },
        { CrawlScopeKind::Domain, "", "", "http://cdn.site.org/x", true, true },
        { CrawlScopeKind::Domain, "", "", "http://site.org/x", true, true },
        { CrawlScopeKind::Domain, "", "", "http://badsite.org/x", false, false },
        { CrawlScopeKind::Pattern, "*/gallery/*", "", "http://else.net/gallery/2", true, true },
        { CrawlScopeKind::Pattern, "/gallery/", "", "http://else.net/about", false, false },
        { CrawlScopeKind::Host, "", "*/page/*", "http://www.site.org/page/3", true, true },
        { CrawlScopeKind::Host, "", "*/page/*", "http://www.site.org/about", true, false },
        { CrawlScopeKind::Host, "", "", "mailto:a@www.site.org", false, false },
    };
    for (const auto& row : rows) {
        CrawlOptions options;
        options.scope = row.kind;
        options.scopePattern = QString::fromUtf8(row.pattern);
        options.follow = QString::fromUtf8(row.follow);
        const Result<CrawlScope> scope
            = CrawlScope::make(QUrl(QStringLiteral("http://www.site.org/doc/index.html")), options);
        ASSERT_TRUE(scope) << scope.message().toStdString();
        const QUrl address(QString::fromUtf8(row.address));
        EXPECT_EQ(scope.value().contains(address), row.inScope) << row.address;
        EXPECT_EQ(scope.value().follows(address), row.follows) << row.address;
    }
    CrawlOptions bad;
    bad.follow = QStringLiteral("/(/");
    EXPECT_FALSE(CrawlScope::make(QUrl(QStringLiteral("http://a/")), bad));
    EXPECT_FALSE(CrawlScope::make(QUrl(QStringLiteral("ftp://a/")), CrawlOptions()));
}

TEST(NextPageLink, TellsTheLinkToTheFollowingPage)
{
    const struct {
        const char* page;
        const char* link;
        const char* text;
        bool relNext;
        bool next;
    } rows[] = {
        { "http://s/list", "http://s/list?p=2", "Next", false, true },
        { "http://s/list", "http://s/list?p=2", "next page »", false, true },
        { "http://s/list", "http://s/list?p=2", "›", false, true },
        { "http://s/list", "http://s/list?p=2", "", true, true },
        { "http://s/list", "http://s/list?p=2", "2", false, true },
        { "http://s/list?p=2", "http://s/list?p=3", "3", false, true },
        { "http://s/list?p=2", "http://s/list?p=1", "1", false, false },
        { "http://s/list?p=2", "http://s/list?p=4", "4", false, false },
        { "http://s/list", "http://s/list?p=2", "Next steps in our history", false, false },
        { "http://s/list", "http://s/about", "About", false, false },
    };
    for (const auto& row : rows) {
        ListEntry link { QString::fromUtf8(row.link), {} };
        link.context.text = QString::fromUtf8(row.text);
        link.context.relNext = row.relNext;
        EXPECT_EQ(NextPageLink::isNext(link, QString::fromUtf8(row.page)), row.next)
            << row.page << " " << row.link << " " << row.text;
    }
}

TEST(RobotsRules, ChoosesTheGroupAndTheLongestRule)
{
    const QByteArray robots = "User-agent: *\n"
                              "Disallow: /\n"
                              "\n"
                              "User-agent: other\n"
                              "User-agent: Quillmarch # us\n"
                              "Disallow: /private/\n"
                              "Allow: /private/open\n"
                              "Disallow: /*.cgi$\n"
                              "Crawl-delay: 1.5\n";
    const RobotsRules ours = RobotsRules::parse(robots, QStringLiteral("quillmarch"));
    const struct {
        const char* path;
        bool allowed;
    } rows[] = {
        { "/", true },
        { "/private/a", false },
        { "/private/open/a", true },
        { "/bin/run.cgi", false },
        { "/bin/run.cgi?x=1", true },
    };
    for (const auto& row : rows)
        EXPECT_EQ(ours.allows(QString::fromUtf8(row.path)), row.allowed) << row.path;
    EXPECT_EQ(ours.crawlDelay(), 1.5);
    EXPECT_FALSE(RobotsRules::parse(robots, QStringLiteral("stranger")).allows("/a"));
}

TEST(RobotsRules, AllowsEverythingForFilesItCannotTrust)
{
    const QByteArray huge = "User-agent: *\nDisallow: /\n" + QByteArray(RobotsRules::MaxBytes, '#');
    for (const QByteArray& body : { QByteArray("User-agent: *\nDisallow: /\0\x01", 27),
             QByteArray("User-agent: *\nDisallow: /\n\xff\xfe"), huge, QByteArray() })
        EXPECT_TRUE(RobotsRules::parse(body, QStringLiteral("quillmarch")).allows("/a"));
}

TEST(CrawlFrontier, KeepsOrderAndEachAddressOnceAcrossItsFile)
{
    QTemporaryDir folder;
    CrawlFrontier frontier(folder.path(), 3);
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(frontier.add({ QStringLiteral("http://s/%1#top").arg(i), i }));
    EXPECT_FALSE(frontier.add({ QStringLiteral("http://s/4"), 0 }));
    EXPECT_TRUE(frontier.known(QStringLiteral("http://s/./9")));
    EXPECT_EQ(frontier.waiting(), 10);
    EXPECT_EQ(frontier.all().size(), 10);
    QStringList taken;
    while (const auto visit = frontier.take([](const CrawlVisit&) { return true; }))
        taken.append(visit->url + QLatin1Char('@') + QString::number(visit->depth));
    EXPECT_EQ(taken.size(), 10);
    EXPECT_EQ(taken.first(), QStringLiteral("http://s/0#top@0"));
    EXPECT_EQ(taken.last(), QStringLiteral("http://s/9#top@9"));
    EXPECT_TRUE(frontier.isEmpty());
}

TEST(CrawlStateStore, ReadsBackWhatWasWrittenAndIgnoresACutLine)
{
    QTemporaryDir root;
    CrawlOptions options;
    options.depth = 2;
    const QString folder = CrawlStateStore::folderFor(root.path(), "http://s/", options);
    options.maxPages = 5; // limits do not change the folder
    EXPECT_EQ(CrawlStateStore::folderFor(root.path(), "http://s/#x", options), folder);
    options.depth = 3;
    EXPECT_NE(CrawlStateStore::folderFor(root.path(), "http://s/", options), folder);
    {
        CrawlStateStore store(folder);
        ASSERT_TRUE(store.open(true));
        store.queued({ { "http://s/", 0 }, { "http://s/a", 1 } });
        store.done("http://s/");
        ListEntry entry { "http://s/a", {} };
        entry.context.depth = 0;
        store.entries({ entry });
        store.failed({ "http://s/b", "404\tNot Found", FailureKind::Server });
    }
    QFile cut(folder + "/done");
    ASSERT_TRUE(cut.open(QIODevice::Append));
    cut.write("http://s/a");
    cut.close();
    CrawlStateStore store(folder);
    EXPECT_TRUE(store.exists());
    const CrawlSavedState state = store.read();
    EXPECT_EQ(state.done, QSet<QString> { "http://s/" });
    ASSERT_EQ(state.queued.size(), 2);
    EXPECT_EQ(state.queued[1], (CrawlVisit { "http://s/a", 1 }));
    ASSERT_EQ(state.entries.size(), 1);
    EXPECT_EQ(state.entries[0].context.depth, 0);
    ASSERT_EQ(state.failures.size(), 1);
    EXPECT_EQ(state.failures[0].kind, FailureKind::Server);
    store.remove();
    EXPECT_FALSE(store.exists());
}
