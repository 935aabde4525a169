#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <atomic>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>

#include "builders/NavigationErrors.h"
#include "builders/UrlListBuilder.h"
#include "core/MainState.h"
#include "listops/LinkList.h"
#include "platform/curl/CurlContentTypeFetcher.h"
#include "platform/webengine/BrowserProfile.h"
#include "platform/webengine/ShellWindowRegistry.h"
#include "platform/webengine/WebEngineHarvestBrowser.h"
#include "support/LocalHttpServer.h"
#include "support/QtPrinters.h"
#include "support/RecordingMainView.h"
#include "support/ScriptedPrompt.h"
#include "support/SignInSite.h"
#include "support/WaitFor.h"

namespace
{

const QString kProblem
    = QStringLiteral("Quillmarch encountered a problem building a list from this url.");

// The URL builder over the real hidden browser, content-type check and registry.
class WebEngineHarvestTest : public testing::Test
{
protected:
    WebEngineHarvestTest()
        : builder(
            state.prefs, state.filters, state.nav, list, view, prompt, registry, fetcher, [this] {
                ++browsersMade;
                return std::make_unique<WebEngineHarvestBrowser>(profile);
            })
    {
        QObject::connect(&builder, &UrlListBuilder::harvestFinished,
            [this](const Result<>& outcome) { finished.append(outcome); });
    }

    // Runs a build of a URL known to be a page (no content-type check) to its end.
    Result<> harvestChecked(const QString& url)
    {
        return run([this, url] { builder.build(UrlBuildRequest { url, state.append, true }); });
    }
    // Runs a build with the content-type check, as the command line does.
    Result<> harvestWithCheck(const QString& url, bool append)
    {
        return run([this, url, append] { builder.build(UrlBuildRequest { url, append }); });
    }
    template <typename Start> Result<> run(Start start)
    {
        const qsizetype before = finished.size();
        start();
        EXPECT_TRUE(waitFor([&] { return finished.size() > before; }, 60000));
        if (finished.size() == before)
            return Result<>::failed(QStringLiteral("the harvest did not end"));
        return finished.last();
    }

    MainState state;
    LinkList list;
    RecordingMainView view;
    ScriptedPrompt prompt;
    ShellWindowRegistry registry;
    CurlContentTypeFetcher fetcher;
    QWebEngineProfile* profile = BrowserProfile::detached(); // the harvests' profile
    int browsersMade = 0;
    UrlListBuilder builder;
    QList<Result<>> finished; // every outcome reported, in order
};

} // namespace

TEST(WebEngineHarvestBrowserTest, MapsLoadingErrorsOntoStatusCodes)
{
    using D = QWebEngineLoadingInfo;
    using namespace NavigationStatus;
    const std::tuple<D::ErrorDomain, int, qint32> rows[] = {
        { D::HttpStatusCodeDomain, 404, 404 },
        { D::HttpStatusCodeDomain, 503, 503 },
        { D::ConnectionErrorDomain, -102, INET_E_CANNOT_CONNECT }, // refused
        { D::ConnectionErrorDomain, -105, INET_E_RESOURCE_NOT_FOUND }, // name not resolved
        { D::DnsErrorDomain, -105, INET_E_RESOURCE_NOT_FOUND },
        { D::ConnectionErrorDomain, -118, INET_E_CONNECTION_TIMEOUT },
        { D::ConnectionErrorDomain, -7, INET_E_CONNECTION_TIMEOUT },
        { D::ConnectionErrorDomain, -302, INET_E_UNKNOWN_PROTOCOL },
        { D::ConnectionErrorDomain, -202, INET_E_SECURITY_PROBLEM }, // authority invalid
        { D::CertificateErrorDomain, -201, INET_E_SECURITY_PROBLEM },
        { D::HttpErrorDomain, -310, INET_E_REDIRECT_FAILED },
        { D::ConnectionErrorDomain, -3, INET_E_TERMINATED_BIND },
        { D::NoErrorDomain, 0, INET_E_DOWNLOAD_FAILURE },
    };
    for (const auto& [domain, code, expected] : rows) {
        SCOPED_TRACE(testing::Message() << domain << " " << code);
        EXPECT_EQ(WebEngineHarvestBrowser::statusCodeFor(domain, code), expected);
    }
}

TEST_F(WebEngineHarvestTest, HarvestsFramesAreasBaseAndScriptLinksInDocumentOrder)
{
    LocalHttpServer other;
    other.page("/foreign.html", "<a href='/foreign-link'>x</a>");
    ASSERT_TRUE(other.start());

    LocalHttpServer site;
    std::atomic<int> popupRequests { 0 };
    site.server().Get("/popup.html", [&](const httplib::Request&, httplib::Response& res) {
        ++popupRequests;
        res.set_content("<a href='/from-popup'>p</a>", "text/html");
    });
    site.page("/fs.html",
        "<html><frameset cols='25%,25%,25%,25%'>"
        "<frame src='/f1.html'><frame src='/f2.html'>"
        "<frame src='"
            + other.originStd()
            + "/foreign.html'>"
              "<frame src='/f3.html'></frameset></html>");
    site.page("/f1.html",
        "<a href='/f1-a'>a</a><iframe src='/nested.html'></iframe>"
        "<a href='/f1-b'>b</a>");
    site.page("/nested.html", "<a href='/nested-a'>n</a><iframe src='/deep.html'></iframe>");
    site.page("/deep.html", "<a href='/deep-a'>d</a>");
    site.page("/f2.html", "<a href='/f2-a'>a</a>");
    site.page("/f3.html", "<a href='/f3-a'>a</a>");
    site.page("/page.html",
        "<html><head><base href='/base/'></head><body>"
        "<a href='rel.zip'>r</a><a href='my%20file.zip'>s</a><a>no address</a>"
        "<a href='rel.zip'>again</a><a href='REL.zip'>case</a>"
        "<a href='upper.ZIP'>u</a><a href='q.zip?x=1'>q</a>"
        "<img usemap='#m'><map name='m'><area href='area.html' shape='rect'"
        " coords='0,0,5,5'></map>"
        "<a href='mailto:a@example.invalid'>m</a><a href='javascript:void(0)'>j</a>"
        "<a href='file:///etc/passwd'>f</a>"
        "<script>var a = document.createElement('a'); a.href = '/scripted';"
        "document.body.appendChild(a); window.open('/popup.html');"
        "alert('never shown'); confirm('no');</script></body></html>");
    ASSERT_TRUE(site.start());
    const QString s = site.origin();

    EXPECT_TRUE(harvestWithCheck(site.url("/fs.html"), false).isOk());
    EXPECT_EQ(list.entries(),
        (QStringList {
            s + "/f1-a", s + "/f1-b", s + "/nested-a", s + "/deep-a", s + "/f2-a", s + "/f3-a" }));
    EXPECT_TRUE(prompt.messages.isEmpty()) << "the other origin's frame is skipped silently";
    EXPECT_EQ(view.countText, QStringLiteral("6 links found"));
    EXPECT_TRUE(view.isIdle());

    // Appending: links already listed are not added again.
    list.add(s + "/base/rel.zip");
    EXPECT_TRUE(harvestWithCheck(site.url("/page.html"), true).isOk());
    const QStringList appended = list.entries().mid(6);
    EXPECT_EQ(appended,
        (QStringList { s + "/base/rel.zip", s + "/base/my file.zip", s + "/base/REL.zip",
            s + "/base/upper.ZIP", s + "/base/q.zip?x=1", s + "/base/area.html",
            "mailto:a@example.invalid", "javascript:void(0)", s + "/scripted" }));
    EXPECT_EQ(popupRequests.load(), 0) << "no pop-up window was opened";

    // With the file-type filter and both exclusions on.
    state.filters.ftypes = { QStringLiteral("zip") };
    state.filters.appfiltChecked = true;
    state.prefs.exjs = state.prefs.exmt = true;
    EXPECT_TRUE(harvestWithCheck(site.url("/page.html"), false).isOk());
    EXPECT_EQ(list.entries(),
        (QStringList { s + "/base/rel.zip", s + "/base/my file.zip", s + "/base/REL.zip" }));
}

// The walk runs among the page's own scripts: globals those scripts replace and a policy
// that forbids every script must not change what is found.
TEST_F(WebEngineHarvestTest, PageScriptsAndScriptPolicyDoNotChangeTheWalk)
{
    LocalHttpServer site;
    const std::string tamper = "<script>var length = 0; var frames = [];"
                               "Array.prototype.push = function () { return 0; };</script>";
    site.page("/tampered.html",
        "<html><head>" + tamper
            + "</head><body>"
              "<a href='/top-a'>a</a><iframe src='/t1.html'></iframe>"
              "<div id='2'>named like the next frame index</div>"
              "<iframe src='/t2.html'></iframe><a href='/top-b'>b</a>"
              "</body></html>");
    site.page("/t1.html", tamper + "<a href='/t1-a'>a</a><iframe src='/t1-inner.html'></iframe>");
    site.page("/t1-inner.html", "<a href='/t1-inner-a'>a</a>");
    site.page("/t2.html", "<a href='/t2-a'>a</a>");
    site.server().Get("/policy.html", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Content-Security-Policy", "script-src 'none'");
        res.set_content("<a href='/p-a'>a</a><iframe src='/t2.html'></iframe>", "text/html");
    });
    ASSERT_TRUE(site.start());
    const QString s = site.origin();

    EXPECT_TRUE(harvestChecked(site.url("/tampered.html")).isOk());
    EXPECT_EQ(list.entries(),
        (QStringList { s + "/top-a", s + "/top-b", s + "/t1-a", s + "/t1-inner-a", s + "/t2-a" }));

    EXPECT_TRUE(harvestChecked(site.url("/policy.html")).isOk());
    EXPECT_EQ(list.entries(), (QStringList { s + "/p-a", s + "/t2-a" }));
}

TEST_F(WebEngineHarvestTest, FailuresGiveTheirMessages)
{
    LocalHttpServer site;
    site.page("/doc.pdf", "%PDF-1.4", "application/pdf");
    site.page("/ok.html", "<a href='/x'>x</a>");
    ASSERT_TRUE(site.start());
    LocalHttpServer closed;
    ASSERT_TRUE(closed.start());
    const QString refusedUrl = closed.url("/");
    closed.stop();

    struct Row {
        QString url;
        QString message;
    };
    const Row rows[] = {
        { site.url("/missing.html"), QStringLiteral("Object not found. ") },
        { refusedUrl, QStringLiteral("Unable to connect to server.") },
        { QStringLiteral("http://no-such-host.invalid/"),
            QStringLiteral("Requested resource is not found.") },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url.toStdString());
        prompt.messages.clear();
        list.clear();
        list.add(QStringLiteral("http://old/"));
        state.append = false;
        EXPECT_TRUE(harvestChecked(row.url).isFailed());
        ASSERT_EQ(prompt.messages.size(), 1);
        EXPECT_EQ(
            prompt.messages[0].text, kProblem + QStringLiteral("\r\n\r\nError: ") + row.message);
        EXPECT_EQ(list.entries(), QStringList { "http://old/" }) << "a failed build keeps the list";
        EXPECT_TRUE(view.isIdle());
    }

    // Through the dialog, what is not HTML is refused before any page is loaded.
    prompt.messages.clear();
    const int made = browsersMade;
    EXPECT_TRUE(harvestWithCheck(site.url("/doc.pdf"), false).isFailed());
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0].text,
        QStringLiteral("Quillmarch cannot build a list from this URL. It does not point "
                       "to a valid HTML document."));
    EXPECT_EQ(browsersMade, made);
}

TEST_F(WebEngineHarvestTest, EscStopsALoadAndOpenWindowsAreAdopted)
{
    LocalHttpServer site;
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    std::atomic<int> slowRequests { 0 };
    site.server().Get("/slow.html", [&](const httplib::Request&, httplib::Response& res) {
        ++slowRequests;
        std::unique_lock lock(mutex);
        released.wait_for(lock, std::chrono::seconds(20), [&] { return release; });
        res.set_content("<a href='/late'>l</a>", "text/html");
    });
    site.page("/shown/", "<a href='/from-window'>w</a><iframe src='/inner.html'></iframe>");
    site.page("/shown", "<a href='/other-spelling'>o</a>");
    site.page("/inner.html", "<a href='/inner-link'>i</a>");
    ASSERT_TRUE(site.start());

    list.add(QStringLiteral("http://old/"));
    builder.build(UrlBuildRequest { site.url("/slow.html"), state.append, true });
    ASSERT_TRUE(waitFor([&] { return slowRequests.load() > 0; }));
    EXPECT_TRUE(builder.harvestRunning());
    builder.cancel();
    EXPECT_FALSE(builder.harvestRunning());
    EXPECT_TRUE(view.isIdle());
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    released.notify_all();
    EXPECT_TRUE(finished.last().isCancelled());
    QTest::qWait(300); // let the stopped load's late events arrive, if any
    EXPECT_EQ(list.entries(), QStringList { "http://old/" });

    // A page of an open window: registered, loaded, known to be HTML.
    auto page = std::make_unique<QWebEnginePage>(BrowserProfile::detached());
    registry.registerPage(page.get());
    QSignalSpy loaded(page.get(), &QWebEnginePage::loadFinished);
    page->load(QUrl(site.url("/shown/")));
    ASSERT_TRUE(waitFor([&] { return !loaded.isEmpty(); }));
    ASSERT_TRUE(waitFor([&] {
        const auto open = registry.windows();
        return open.size() == 1 && open[0]->isHtmlDocument();
    }));
    EXPECT_EQ(registry.windows()[0]->locationUrl(), site.url("/shown/"));

    const int made = browsersMade;
    EXPECT_TRUE(harvestChecked(site.url("/shown/")).isOk());
    EXPECT_EQ(browsersMade, made) << "no new load for the adopted window";
    EXPECT_EQ(list.entries(), (QStringList { site.url("/from-window"), site.url("/inner-link") }));

    EXPECT_TRUE(harvestChecked(site.url("/shown")).isOk());
    EXPECT_EQ(browsersMade, made + 1) << "another spelling is loaded anew";
    EXPECT_EQ(list.entries(), QStringList { site.url("/other-spelling") });

    page.reset();
    EXPECT_EQ(registry.count(), 0) << "a destroyed page leaves the registry";
}

// The hidden page is neither laid out nor allowed to fetch images, style sheets or fonts;
// neither may change what is found, and a plug-in element's document (which loads only
// once laid out) is still walked.
TEST_F(WebEngineHarvestTest, SkippedFetchesAndLayoutDoNotChangeTheLinks)
{
    LocalHttpServer site;
    std::atomic<int> skippable { 0 };
    for (const char* path : { "/i.png", "/s.css", "/f.woff2" })
        site.server().Get(path, [&](const httplib::Request&, httplib::Response& res) {
            ++skippable;
            res.set_content("", "application/octet-stream");
        });
    site.page("/obj.html", "<a href='/obj-a'>o</a>");
    site.page("/inner.html", "<a href='/inner-a'>i</a>");
    site.page("/page.html",
        "<html><head><link rel='stylesheet' href='/s.css'>"
        "<style>@font-face { font-family: f; src: url(/f.woff2); } a { font-family: f; }</style>"
        "</head><body><img src='/i.png'><a href='/top-a'>a</a>"
        "<iframe src='/inner.html' loading='lazy'></iframe>"
        "<object data='/obj.html' type='text/html'></object></body></html>");
    ASSERT_TRUE(site.start());
    const QString s = site.origin();

    EXPECT_TRUE(harvestChecked(site.url("/page.html")).isOk());
    EXPECT_EQ(list.entries(), (QStringList { s + "/top-a", s + "/inner-a", s + "/obj-a" }));
    EXPECT_EQ(skippable.load(), 0);
}

// The hidden page has a desktop window's size at a device pixel ratio of 1, so a page that
// adapts to its window builds its wide layout, and a background chosen by width is the
// wide one.
TEST_F(WebEngineHarvestTest, ThePageSeesADesktopWindow)
{
    LocalHttpServer site;
    site.page("/wide.html",
        "<style>.hero { background-image: url(/narrow.png) }"
        "@media (min-width: 600px) { .hero { background-image: url(/wide.png) } }</style>"
        "<div class='hero'></div><script>var a = document.createElement('a');"
        "a.href = '/seen-' + innerWidth + 'x' + innerHeight + '-' + devicePixelRatio"
        " + (matchMedia('(max-width: 959px)').matches ? '-narrow' : '');"
        "document.body.appendChild(a);</script>");
    ASSERT_TRUE(site.start());
    state.filters.harvest.collect = HarvestCollect::Both;
    EXPECT_TRUE(harvestChecked(site.url("/wide.html")).isOk());
    EXPECT_EQ(
        list.entries(), (QStringList { site.url("/wide.png"), site.url("/seen-1280x800-1") }));
}

// In a media harvest, audio and video elements, written in the page or added by its
// scripts, never start a load the harvest would refuse: none of them reports a failure.
TEST_F(WebEngineHarvestTest, MediaElementsLoadNothing)
{
    LocalHttpServer site;
    site.page("/media.html",
        "<video id='v' src='/v.mp4'></video><audio id='a'><source src='/a.ogg'></audio>"
        "<script>var m = document.createElement('video'); m.src = '/added.mp4';"
        "document.body.appendChild(m);"
        "for (const el of document.querySelectorAll('video, audio, source'))"
        "  el.addEventListener('error', function () { var a = document.createElement('a');"
        "    a.href = '/failed'; document.body.appendChild(a); });</script>"
        "<a href='/kept'>k</a>");
    ASSERT_TRUE(site.start());
    state.filters.harvest.collect = HarvestCollect::Both;
    EXPECT_TRUE(harvestChecked(site.url("/media.html")).isOk());
    EXPECT_EQ(list.entries(),
        (QStringList {
            site.url("/v.mp4"), site.url("/a.ogg"), site.url("/added.mp4"), site.url("/kept") }));
}

// A renderer that dies ends the harvest with a message instead of leaving it waiting.
TEST_F(WebEngineHarvestTest, ARendererThatDiesEndsTheHarvest)
{
    for (const QString& url :
        { QStringLiteral("chrome://crash"), QStringLiteral("chrome://kill") }) {
        SCOPED_TRACE(url.toStdString());
        prompt.messages.clear();
        list.clear();
        list.add(QStringLiteral("http://old/"));
        state.append = false;
        EXPECT_TRUE(harvestChecked(url).isFailed());
        ASSERT_EQ(prompt.messages.size(), 1);
        EXPECT_EQ(prompt.messages[0].text,
            kProblem + QStringLiteral("\r\n\r\nError: Failure occurred during download."));
        EXPECT_EQ(list.entries(), QStringList { "http://old/" });
        EXPECT_TRUE(view.isIdle());
    }
}

// A page that asks for windows in a loop opens none, so the harvest neither stalls nor
// grows without bound.
TEST_F(WebEngineHarvestTest, APageOpeningWindowsInALoopIsHarvestedPromptly)
{
    LocalHttpServer site;
    site.page("/pop.html",
        "<a href='/kept'>k</a><script>for (var i = 0; i < 2000; ++i) "
        "window.open('/pop.html?' + i, '_blank');</script>");
    ASSERT_TRUE(site.start());
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(harvestChecked(site.url("/pop.html")).isOk());
    EXPECT_LT(clock.elapsed(), 15000);
    EXPECT_EQ(list.entries(), QStringList { site.url("/kept") });
}

// Media come from every place a page names them, in document order with a frame's after
// its parent's, each with its kind and context; links join them only when asked for.
TEST_F(WebEngineHarvestTest, MediaOfEveryKindAreCollectedInDocumentOrder)
{
    LocalHttpServer site;
    site.page("/css/s.css", ".hero { background-image: url(../bg-sheet.png); }", "text/css");
    site.page("/obj.html", "<p>object</p>");
    site.page("/frame.html", "<title>Inner</title><img src='/in-frame.png' alt='Framed'>");
    site.page("/media.html",
        "<html><head><title>Gallery</title><link rel='stylesheet' href='/css/s.css'></head>"
        "<body><a href='/doc.html'>Doc</a>"
        "<img src='data:image/gif;base64,R0lGODlhAQABAAAAACw=' data-src='/real.jpg' alt='Lazy'>"
        "<img src='/small.jpg' srcset='/img/a,b-300.jpg 300w, /img/c,d-900.jpg 900w,"
        " /img/e-600.jpg 600w'>"
        "<img src='/one.jpg' srcset='/two.jpg 2x, /three.jpg 3x'>"
        "<picture><source srcset='/p-1x.webp 1x, /p-2x.webp 2x'><img src='/p.jpg'></picture>"
        "<div class='hero'></div><div style=\"background: url('/bg-inline.png')\"></div>"
        "<video src='/movie.mp4' poster='/poster.jpg'><track src='/subs.vtt'></video>"
        "<audio><source src='/song.ogg'></audio>"
        "<embed src='/flash.swf'><object data='/obj.html' type='text/html'></object>"
        "<img src='data:image/gif;base64,R0lGODlhAQABAAAAACw='><div id='host'></div>"
        "<iframe src='/frame.html'></iframe>"
        "<script>var i = document.createElement('img'); i.src = '/scripted.png';"
        "document.body.appendChild(i); document.getElementById('host')"
        ".attachShadow({ mode: 'open' }).innerHTML = '<img src=\"/shadow.png\">';</script>"
        "</body></html>");
    ASSERT_TRUE(site.start());
    using K = EntryKind;
    const QList<std::pair<const char*, K>> media = { { "/real.jpg", K::Image },
        { "/img/c,d-900.jpg", K::Image }, { "/three.jpg", K::Image }, { "/p-2x.webp", K::Image },
        { "/p.jpg", K::Image }, { "/bg-sheet.png", K::Background },
        { "/bg-inline.png", K::Background }, { "/movie.mp4", K::Video },
        { "/poster.jpg", K::Poster }, { "/subs.vtt", K::Video }, { "/song.ogg", K::Audio },
        { "/flash.swf", K::Object }, { "/obj.html", K::Object }, { "/shadow.png", K::Image },
        { "/scripted.png", K::Image }, { "/in-frame.png", K::Image } };
    for (const HarvestCollect collect : { HarvestCollect::Media, HarvestCollect::Both }) {
        SCOPED_TRACE(harvestCollectName(collect).toStdString());
        state.filters.harvest.collect = collect;
        ASSERT_TRUE(harvestChecked(site.url("/media.html")).isOk());
        QList<std::pair<QString, K>> expected;
        if (collect == HarvestCollect::Both)
            expected.append({ site.url("/doc.html"), K::Link });
        for (const auto& [path, kind] : media)
            expected.append({ site.url(QString::fromUtf8(path)), kind });
        QList<std::pair<QString, K>> found;
        for (int i = 0; i < list.count(); ++i)
            found.append({ list.at(i), list.contextAt(i).kind });
        EXPECT_EQ(found, expected);
    }
    EXPECT_EQ(
        list.contextAt(0), (EntryContext { K::Link, "Doc", site.url("/media.html"), "Gallery" }));
    EXPECT_EQ(
        list.contextAt(1), (EntryContext { K::Image, "Lazy", site.url("/media.html"), "Gallery" }));
    EXPECT_EQ(list.contextAt(list.count() - 1),
        (EntryContext { K::Image, "Framed", site.url("/frame.html"), "Inner" }));
}

// The less common places a page names its media, and addresses that are no entry.
TEST_F(WebEngineHarvestTest, MediaDetailsAndInPageLinks)
{
    using K = EntryKind;
    struct Row {
        const char* body;
        HarvestCollect collect;
        QList<std::tuple<QString, K, QString>> expected; // path, kind, text
    };
    const QList<Row> rows = {
        { "<style>.p::before { content: ''; background-image: url(/before.png) }"
          ".p::after { content: ''; background-image: url(/after.png) }</style><div class=p></div>",
            HarvestCollect::Media,
            { { "/before.png", K::Background, "" }, { "/after.png", K::Background, "" } } },
        { "<style>.s { background-image: -webkit-image-set(url(/set-1x.png) 1x, url(/set-2x.png) "
          "2x) }"
          "</style><div class=s></div><div style=\"background-image: "
          "-webkit-image-set(url('/str-3x.png') 3x, url('/str-1x.png') 1x)\"></div>",
            HarvestCollect::Media,
            { { "/set-2x.png", K::Background, "" }, { "/str-3x.png", K::Background, "" } } },
        { "<input type=image src=/button.png alt=Go><input type=text src=/not.png>",
            HarvestCollect::Media, { { "/button.png", K::Image, "Go" } } },
        { "<video src=/clip.mp4 poster=/clip.jpg title=Clip></video>", HarvestCollect::Media,
            { { "/clip.mp4", K::Video, "Clip" }, { "/clip.jpg", K::Poster, "Clip" } } },
        { "<img src=/fallback.jpg srcset='javascript:alert(1) 2x, /ok.jpg 1.5x'>"
          "<img srcset='javascript:void(0) 3x'>",
            HarvestCollect::Media, { { "/ok.jpg", K::Image, "" } } },
        { "<a href='#'>t</a><a href='#s'>s</a><a href='page.html#x'>self</a>"
          "<a href='/other.html#x'>o</a>",
            HarvestCollect::Links, { { "/other.html#x", K::Link, "o" } } },
        { "<a href='#'>t</a><a href='page.html#x'>self</a><a href='/other.html#x'>o</a>",
            HarvestCollect::Both, { { "/other.html#x", K::Link, "o" } } },
    };
    LocalHttpServer site;
    std::string body;
    site.server().Get("/page.html", [&body](const httplib::Request&, httplib::Response& res) {
        res.set_content(body, "text/html");
    });
    ASSERT_TRUE(site.start());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.body);
        body = row.body;
        state.filters.harvest.collect = row.collect;
        ASSERT_TRUE(harvestChecked(site.url("/page.html")).isOk());
        QList<std::tuple<QString, K, QString>> found;
        for (int i = 0; i < list.count(); ++i)
            found.append({ list.at(i), list.contextAt(i).kind, list.contextAt(i).text });
        QList<std::tuple<QString, K, QString>> expected;
        for (const auto& [path, kind, text] : row.expected)
            expected.append({ site.url(path), kind, text });
        EXPECT_EQ(found, expected);
    }
}

// A thumbnail inside a link to a picture stands for the linked picture when asked; a link
// to anything else leaves the thumbnail as it is.
TEST_F(WebEngineHarvestTest, LinkedFullSizePicturesReplaceTheirThumbnails)
{
    using K = EntryKind;
    LocalHttpServer site;
    site.page("/gallery.html",
        "<a href='/full.jpg'><img src='/thumb.jpg' alt='Sea'></a>"
        "<a href='/photo.html'><img src='/thumb2.jpg'></a><img src='/alone.png'>");
    ASSERT_TRUE(site.start());
    struct Row {
        HarvestCollect collect;
        bool linkedFullSize;
        QList<std::tuple<QString, K, QString>> expected; // path, kind, thumbnail path
    };
    const QList<Row> rows = {
        { HarvestCollect::Media, false,
            { { "/thumb.jpg", K::Image, "" }, { "/thumb2.jpg", K::Image, "" },
                { "/alone.png", K::Image, "" } } },
        { HarvestCollect::Both, true,
            { { "/full.jpg", K::Image, "/thumb.jpg" }, { "/photo.html", K::Link, "" },
                { "/thumb2.jpg", K::Image, "" }, { "/alone.png", K::Image, "" } } },
        { HarvestCollect::Both, false,
            { { "/full.jpg", K::Link, "" }, { "/thumb.jpg", K::Image, "" },
                { "/photo.html", K::Link, "" }, { "/thumb2.jpg", K::Image, "" },
                { "/alone.png", K::Image, "" } } },
        { HarvestCollect::Media, true,
            { { "/full.jpg", K::Image, "/thumb.jpg" }, { "/thumb2.jpg", K::Image, "" },
                { "/alone.png", K::Image, "" } } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(
            harvestCollectName(row.collect).toStdString() + (row.linkedFullSize ? " on" : " off"));
        state.filters.harvest.collect = row.collect;
        state.filters.harvest.linkedFullSize = row.linkedFullSize;
        ASSERT_TRUE(harvestChecked(site.url("/gallery.html")).isOk());
        QList<std::tuple<QString, K, QString>> found;
        for (int i = 0; i < list.count(); ++i)
            found.append({ list.at(i), list.contextAt(i).kind, list.contextAt(i).thumbnail });
        QList<std::tuple<QString, K, QString>> expected;
        for (const auto& [path, kind, thumbnail] : row.expected)
            expected.append(
                { site.url(path), kind, thumbnail.isEmpty() ? QString() : site.url(thumbnail) });
        EXPECT_EQ(found, expected);
    }
    EXPECT_EQ(list.contextAt(0).text, QStringLiteral("Sea"));
}

// Scrolling lets a page add what it shows only once scrolled down.
TEST_F(WebEngineHarvestTest, ScrolledPagesGiveWhatTheyAddWhileScrolled)
{
    LocalHttpServer site;
    site.page("/feed.html",
        "<div style='height: 3000px'></div><img src='/first.png'><script>var n = 0;"
        "setInterval(function () { if (n < 3 && window.scrollY > 0"
        " && window.scrollY + window.innerHeight >= document.body.scrollHeight - 10) {"
        " ++n; var d = document.createElement('div'); d.style.height = '3000px';"
        " document.body.appendChild(d); var i = document.createElement('img');"
        " i.src = '/more' + n + '.png'; document.body.appendChild(i); } }, 20);</script>");
    ASSERT_TRUE(site.start());
    state.filters.harvest.collect = HarvestCollect::Media;
    for (const bool scroll : { false, true }) {
        state.filters.harvest.scroll = scroll;
        ASSERT_TRUE(harvestChecked(site.url("/feed.html")).isOk());
        QStringList expected { site.url("/first.png") };
        if (scroll)
            expected << site.url("/more1.png") << site.url("/more2.png") << site.url("/more3.png");
        EXPECT_EQ(list.entries(), expected) << scroll;
    }
}

// A harvest in the window's process shares the browser windows' sign-in; without it the
// site's login page is what loads, and the count says the page moved.
TEST_F(WebEngineHarvestTest, HarvestsShareTheWindowsSignInAndSayWhenThePageMoved)
{
    LocalHttpServer site;
    serveSignInSite(site);
    ASSERT_TRUE(site.start());

    ASSERT_TRUE(harvestChecked(site.url("/members")).isOk());
    EXPECT_EQ(list.entries(), QStringList { site.url("/help.html") });
    EXPECT_EQ(view.countText,
        QStringLiteral("1 links found (the page moved to %1)").arg(site.url("/login")));

    QWebEnginePage window(BrowserProfile::shared());
    QSignalSpy loaded(&window, &QWebEnginePage::loadFinished);
    window.load(QUrl(site.url("/sign-in")));
    ASSERT_TRUE(loaded.wait(30000));
    profile = BrowserProfile::shared();
    ASSERT_TRUE(harvestChecked(site.url("/members")).isOk());
    EXPECT_EQ(list.entries(), QStringList { site.url("/report.zip") });
    EXPECT_EQ(view.countText, QStringLiteral("1 links found"));
}
