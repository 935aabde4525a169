#include <QDir>
#include <QFile>
#include <QWebEngineProfile>
#include <gtest/gtest.h>

#include "platform/staticpage/StaticFirstHarvestBrowser.h"
#include "platform/staticpage/StaticPageReader.h"
#include "platform/webengine/BrowserProfile.h"
#include "platform/webengine/WebEngineHarvestBrowser.h"
#include "support/LocalHttpServer.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

namespace
{

// One line per entry with its whole context, so a difference shows where it is.
QStringList described(const ListEntries& entries)
{
    QStringList lines;
    for (const ListEntry& e : entries)
        lines.append(
            QStringLiteral("%1 | %2 | %3 | %4 | %5 | %6")
                .arg(e.url)
                .arg(static_cast<int>(e.context.kind))
                .arg(e.context.text, e.context.page, e.context.title, e.context.thumbnail));
    return lines;
}

// What the engine's walk gives for a page.
std::optional<ListEntries> engineEntries(const QString& url, const HarvestScope& scope)
{
    WebEngineHarvestBrowser browser(BrowserProfile::detached());
    browser.setScope(scope);
    bool complete = false;
    browser.setDocumentCompleteHandler([&] { complete = true; });
    browser.navigate(url);
    if (!waitFor([&] { return complete; }))
        return std::nullopt;
    std::optional<ListEntries> entries;
    bool done = false;
    browser.collectEntries([&](const std::optional<ListEntries>& found) {
        entries = found;
        done = true;
    });
    waitFor([&] { return done; });
    return entries;
}

const HarvestScope kLinks { HarvestCollect::Links, false };
const HarvestScope kBoth { HarvestCollect::Both, false };
const HarvestScope kMediaAsShown { HarvestCollect::Media, false, false };

// Reads the page with the parser and, when it takes the page, holds its entries to the
// engine's for the same bytes at the same address. Returns whether the parser took it.
bool readsAsTheEngine(LocalHttpServer& site, const std::string& path, const QByteArray& html,
    const HarvestScope& scope, const char* contentType = "text/html")
{
    const QString url = site.url(QString::fromStdString(path));
    const QString type = QString::fromLatin1(contentType);
    const QString charset = type.contains(QLatin1String("charset="))
        ? type.section(QLatin1String("charset="), 1)
        : QString();
    const std::optional<ListEntries> parsed
        = StaticPageReader::read(html, QUrl(url), charset, scope);
    if (!parsed)
        return false;
    const std::optional<ListEntries> loaded = engineEntries(url, scope);
    EXPECT_TRUE(loaded.has_value());
    if (loaded) {
        EXPECT_EQ(described(*parsed), described(*loaded));
    }
    return true;
}

} // namespace

// Pages that may change themselves, or that the parser would read otherwise than the
// engine, go to the engine; every other page gives the parser exactly the engine's
// entries (addresses, kinds, texts, page and title).
TEST(StaticPageReaderTest, ReadsWhatTheEngineReadsAndRefusesTheRest)
{
    struct Row {
        const char* html;
        const char* contentType;
        HarvestScope scope;
        bool parsed;
    };
    const Row rows[] = {
        { "<frameset><frame src='/f.html'></frameset>", "text/html", kLinks, false },
        { "<noscript><a href='/n'>n</a></noscript><a href='/y'>y</a>", "text/html", kLinks, false },
        { "<body onload=''><a href='/y'>y</a>", "text/html", kLinks, false },
        { "<meta http-equiv='refresh' content='5'><a href='/y'>y</a>", "text/html", kLinks, false },
        { "<meta charset='windows-1252'><a href='/caf\xE9'>caf\xE9</a>", "text/html", kLinks,
            false },
        { "<a href='/caf\xE9'>caf\xE9</a>", "text/html; charset=iso-8859-1", kLinks, false },
        { "<meta charset='utf-8'><a href='http://b\xC3\xBC"
          "cher.example/'>u</a>",
            "text/html", kLinks, false },
        { "<style>p { background: url(/b.png) }</style><img src='/i.png'>", "text/html", kBoth,
            false },
        { "<svg><a href='/s'><text>s</text></a></svg>", "text/html", kLinks, false },
        { "<head><base href='/dir/sub/'><title>\n  Base  \t test </title></head>"
          "<a href='../up.html'>up</a><a href='?q=1'>q</a><a href='#top'>top</a>"
          "<a href='//other.example/p'>o</a><a href='/base.html#x'>self</a>"
          "<a href='http://UPPER.example'>host</a><area href='map.html' alt='Area'>",
            "text/html", kLinks, true },
        { "<title>A &amp; B</title><a href='/a?x=1&amp;y=2'>caf&eacute; &nbsp; &lt;b&gt;</a>"
          "<a href='/e'><img alt='&quot;pic&quot;'></a><a href='/t' title='  Titled '></a>"
          "<a href='mailto:a@example.invalid'>m</a><a href='javascript:void(0)'>j</a>",
            "text/html; charset=utf-8", kLinks, true },
        { "<meta charset='utf-8'><a href='http://xn--bcher-kva.example/'>\xC3\xA9t\xC3\xA9</a>"
          "<a href='/%C3%A9'>e</a>",
            "text/html", kLinks, true },
        { "<a href='/doc.html'>Doc</a><img src='/a.jpg' srcset='/b.jpg 2x, /c.jpg 3x' alt='A'>"
          "<img src='/s.jpg' srcset='/w,1-300.jpg 300w, /w-900.jpg 900w'>"
          "<video src='/v.mp4' poster='/p.jpg' title='V'><track src='/t.vtt' label='Subs'>"
          "</video><audio><source src='/s.ogg'></audio><input type='image' src='/i.png' alt='I'>"
          "<img data-src='/lazy.jpg' src='/ph.gif'><img src='data:image/gif;base64,R0lGOD='>",
            "text/html", kBoth, true },
        // A gallery: thumbnails inside links to their pictures.
        { "<a href='/full.jpg'><img src='/t.jpg' alt='T'></a><a href='/x.PNG?s=1#z'>X<img "
          "src='/xs.png'></a><a href='/about.html'><img src='/p.jpg'></a>"
          "<a href='/same.jpg'><span><img src='/same.jpg'></span></a><a href='/lone.jpg'>L</a>",
            "text/html", kBoth, true },
        { "<a href='/full.jpg'><img src='/t.jpg' alt='T'></a>", "text/html", kMediaAsShown, true },
    };
    LocalHttpServer site;
    for (size_t i = 0; i < std::size(rows); ++i)
        site.page("/page" + std::to_string(i) + ".html", rows[i].html, rows[i].contentType);
    ASSERT_TRUE(site.start());
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].html);
        EXPECT_EQ(readsAsTheEngine(site, "/page" + std::to_string(i) + ".html", rows[i].html,
                      rows[i].scope, rows[i].contentType),
            rows[i].parsed);
    }
}

// Real pages: the HTML documentation that scripts/install-deps.sh installs. Each page the
// parser takes gives the engine's entries, for links and for links with media.
TEST(StaticPageReaderTest, RealPagesReadAsTheEngineReadsThem)
{
    QStringList files;
    for (const QString& folder : { QStringLiteral("/usr/share/doc/libffi8/html"),
             QStringLiteral("/usr/share/doc/base-passwd") }) {
        for (const QString& name : QDir(folder).entryList({ QStringLiteral("*.html") }))
            files.append(folder + QLatin1Char('/') + name);
    }
    ASSERT_GE(files.size(), 10) << "the documentation corpus is installed";
    LocalHttpServer site;
    QList<QByteArray> bodies;
    for (int i = 0; i < files.size(); ++i) {
        QFile file(files[i]);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        bodies.append(file.readAll());
        site.page("/" + std::to_string(i) + ".html", bodies.last().toStdString());
    }
    ASSERT_TRUE(site.start());
    int parsed = 0;
    for (int i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].toStdString());
        for (const HarvestScope& scope : { kLinks, kBoth })
            parsed += readsAsTheEngine(site, "/" + std::to_string(i) + ".html", bodies[i], scope,
                "text/html; charset=utf-8");
    }
    EXPECT_GE(parsed, files.size()) << "most of the corpus takes the parser's path";
}

// The browser that tries the parser first fetches with the engine's User-Agent and the
// profile's cookies, and sends every page that is not a plain HTML answer the parser takes
// to the engine, which then reports as it always does (a missing page's status, a
// redirect's end).
TEST(StaticPageReaderTest, OnlyPlainAnswersSkipTheEngine)
{
    EXPECT_EQ(
        StaticFirstHarvestBrowser::engineUserAgent(), BrowserProfile::detached()->httpUserAgent());

    LocalHttpServer site;
    site.page("/plain.html", "<a href='/a'>a</a>");
    site.page("/scripted.html", "<a href='/a'>a</a><script></script>");
    site.server().Get("/moved",
        [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/plain.html"); });
    site.server().Get("/cookie.html", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "k=v");
        res.set_content("<a href='/a'>a</a>", "text/html");
    });
    site.server().Get("/signed.html", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(req.get_header_value("Cookie") == "sid=1" ? "<a href='/a'>in</a>"
                                                                  : "<a href='/out'>out</a>",
            "text/html");
    });
    ASSERT_TRUE(site.start());
    QNetworkCookie signedIn("sid", "1");
    signedIn.setDomain(QStringLiteral("127.0.0.1"));
    signedIn.setPath(QStringLiteral("/"));
    struct Row {
        const char* path;
        bool engine;
        qint32 error;
        QString moved;
    };
    const Row rows[] = {
        { "/plain.html", false, 0, {} },
        { "/signed.html", false, 0, {} },
        { "/scripted.html", true, 0, {} },
        { "/cookie.html", true, 0, {} },
        { "/moved", true, 0, site.url("/plain.html") },
        { "/missing.html", true, 404, {} },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        StaticFirstHarvestBrowser browser(
            [] { return std::make_unique<WebEngineHarvestBrowser>(BrowserProfile::detached()); },
            StaticFirstHarvestBrowser::engineUserAgent(), QString(), { signedIn });
        bool complete = false;
        qint32 error = 0;
        browser.setDocumentCompleteHandler([&] { complete = true; });
        browser.setNavigateErrorHandler([&](qint32 status) { error = status; });
        browser.navigate(site.url(QString::fromLatin1(row.path)));
        ASSERT_TRUE(waitFor([&] { return complete; }));
        EXPECT_EQ(browser.usedEngine(), row.engine);
        EXPECT_EQ(error, row.error);
        EXPECT_EQ(browser.movedTo(), row.moved);
        if (row.error)
            continue;
        std::optional<ListEntries> entries;
        browser.collectEntries([&](const std::optional<ListEntries>& found) { entries = found; });
        ASSERT_TRUE(waitFor([&] { return entries.has_value(); }));
        ASSERT_EQ(entries->size(), 1);
        EXPECT_EQ(entries->at(0).url, site.url("/a"));
    }
}

// Frames the page can read are read by the parser too, each document's entries followed
// by its frames', as the engine walks them; a frame the parser cannot vouch for sends
// the whole page to the engine.
TEST(StaticPageReaderTest, FramesReadAsTheEngineReadsThem)
{
    LocalHttpServer site;
    ASSERT_TRUE(site.start());
    const std::string other = "http://localhost:" + std::to_string(site.port());
    site.page("/f/a.html", "<title>A</title><a href='/a1'>a1</a><iframe src='c.html'></iframe>");
    site.page("/f/b.html", "<a href='/b1'>b1</a>");
    site.page("/f/c.html", "<a href='/c1'>c1</a>");
    site.page("/f/s.html", "<a href='/s1'>s1</a><script></script>");
    site.page("/f/nested.html",
        "<a href='/t'>t</a><iframe src='a.html'></iframe><iframe src='b.html#x'></iframe>"
        "<iframe></iframe>");
    site.page("/f/set.html",
        "<frameset cols='50%,50%'><frame src='b.html'><frame src='a.html'></frameset>");
    site.page("/f/cross.html",
        "<a href='/t'>t</a><iframe src='" + other + "/f/b.html'></iframe><iframe src='b.html'>");
    site.page("/f/self.html", "<a href='/t'>t</a><iframe src='self.html'></iframe>");
    site.page("/f/lazy.html", "<iframe loading='lazy' src='b.html'></iframe>");
    site.page("/f/scripted.html", "<iframe src='s.html'></iframe>");
    site.page("/f/gone.html", "<a href='/t'>t</a><iframe src='none.html'></iframe>");
    const struct {
        const char* path;
        bool engine;
    } rows[] = {
        { "/f/nested.html", false },
        { "/f/set.html", false },
        { "/f/cross.html", false },
        { "/f/self.html", true },
        { "/f/lazy.html", true },
        { "/f/scripted.html", true },
        { "/f/gone.html", true },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        const QString url = site.url(QString::fromLatin1(row.path));
        StaticFirstHarvestBrowser browser(
            [] { return std::make_unique<WebEngineHarvestBrowser>(BrowserProfile::detached()); },
            StaticFirstHarvestBrowser::engineUserAgent(), QString());
        browser.setScope(kBoth);
        bool complete = false;
        browser.setDocumentCompleteHandler([&] { complete = true; });
        browser.navigate(url);
        ASSERT_TRUE(waitFor([&] { return complete; }));
        std::optional<ListEntries> entries;
        browser.collectEntries([&](const std::optional<ListEntries>& found) { entries = found; });
        ASSERT_TRUE(waitFor([&] { return entries.has_value(); }));
        EXPECT_EQ(browser.usedEngine(), row.engine);
        const std::optional<ListEntries> loaded = engineEntries(url, kBoth);
        ASSERT_TRUE(loaded.has_value());
        EXPECT_EQ(described(*entries), described(*loaded));
    }
}
