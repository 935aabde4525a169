#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>
#include <map>

#include "app/UrlBuildFlow.h"
#include "builders/IContentTypeFetcher.h"
#include "builders/IShellWindows.h"
#include "builders/NavigationErrors.h"
#include "builders/UrlListBuilder.h"
#include "core/MainState.h"
#include "listops/LinkList.h"
#include "listops/ListLimit.h"
#include "support/QtPrinters.h"
#include "support/RecordingMainView.h"
#include "support/ScriptedPrompt.h"
#include "support/WaitFor.h"

namespace
{

const QString kBuilding = QStringLiteral("Bulding list (press \"Esc\" to cancel).");
const QString kNotHtml = QStringLiteral(
    "Quillmarch cannot build a list from this URL. It does not point to a valid HTML document.");
const QString kProblem
    = QStringLiteral("Quillmarch encountered a problem building a list from this url.");

// Link entries without context, as the fakes answer.
ListEntries linkEntries(const QStringList& hrefs)
{
    ListEntries entries;
    for (const QString& href : hrefs)
        entries.append(ListEntry { href, {} });
    return entries;
}

// A browser driven by the test: it records what it was told and fires its handlers on
// request. `alive` tells whether the builder still holds it.
struct FakeBrowser final : IHarvestBrowser {
    std::function<void()> complete;
    std::function<void(qint32)> error;
    std::function<void(int, int)> progress;
    EntriesHandler pendingWalk;
    QStringList navigated;
    int stops = 0;
    bool* alive = nullptr;

    ~FakeBrowser() override
    {
        if (alive)
            *alive = false;
    }
    void setDocumentCompleteHandler(std::function<void()> h) override { complete = std::move(h); }
    void setNavigateErrorHandler(std::function<void(qint32)> h) override { error = std::move(h); }
    void setProgressHandler(std::function<void(int, int)> h) override { progress = std::move(h); }
    void navigate(const QString& url) override { navigated.append(url); }
    void stop() override { ++stops; }
    void collectEntries(EntriesHandler done) override { pendingWalk = std::move(done); }
};

struct FakeWindow final : IShellWindow {
    QString url;
    bool html = true;
    QStringList links;
    int collected = 0;
    IHarvestBrowser::EntriesHandler held; // set: the walk answers when the test says so
    bool hold = false;
    QString locationUrl() const override { return url; }
    bool isHtmlDocument() const override { return html; }
    void collectEntries(const HarvestScope&, IHarvestBrowser::EntriesHandler done) override
    {
        ++collected;
        if (hold) {
            held = std::move(done);
            return;
        }
        const ListEntries copy = linkEntries(links);
        QTimer::singleShot(0, [done, copy] { done(copy); });
    }
};

struct FakeWindows final : IShellWindows {
    QList<std::shared_ptr<IShellWindow>> open;
    QList<std::shared_ptr<IShellWindow>> windows() const override { return open; }
};

// Answers at once unless told to hold the answer back, as a real check does.
struct FakeFetcher final : IContentTypeFetcher {
    std::map<QString, QString> types;
    QStringList fetched;
    std::function<void()> whileWaiting; // runs as if an event arrived during the wait
    bool cancelled = false;
    bool hold = false;
    Done held;
    void fetchContentType(const QString& url, QObject*, Done done) override
    {
        fetched.append(url);
        cancelled = false;
        if (whileWaiting)
            whileWaiting();
        if (cancelled)
            return;
        if (hold) {
            held = std::move(done);
            return;
        }
        const auto it = types.find(url);
        done(it == types.end() ? Result<QString>::failed(QStringLiteral("no answer"))
                               : Result<QString>::ok(it->second));
    }
    void cancel() override { cancelled = true; }
};

class UrlListBuilderTest : public testing::Test
{
protected:
    UrlListBuilderTest()
        : builder(state.prefs, state.filters, state.nav, list, view, prompt, windows, fetcher,
            [this] { return makeBrowser(); })
    {
        QObject::connect(&builder, &UrlListBuilder::harvestFinished,
            [this](const Result<>& outcome) { finished.append(outcome); });
    }

    std::unique_ptr<IHarvestBrowser> makeBrowser()
    {
        if (!factoryWorks)
            return nullptr;
        auto browser = std::make_unique<FakeBrowser>();
        browserAlive = true;
        browser->alive = &browserAlive;
        browser_ = browser.get();
        ++browsersMade;
        return browser;
    }

    Result<> lastOutcome() const { return finished.last(); }

    void answerLinks(const QStringList& links)
    {
        ASSERT_TRUE(browser_->pendingWalk);
        auto done = std::move(browser_->pendingWalk);
        done(linkEntries(links));
    }

    MainState state;
    LinkList list;
    RecordingMainView view;
    ScriptedPrompt prompt;
    FakeWindows windows;
    FakeFetcher fetcher;
    bool factoryWorks = true;
    bool browserAlive = false;
    FakeBrowser* browser_ = nullptr;
    int browsersMade = 0;
    UrlListBuilder builder;
    UrlBuildFlow flow { builder, state, list, view, prompt };
    QList<Result<>> finished; // every outcome reported, in order
};

} // namespace

TEST_F(UrlListBuilderTest, DialogCarriesItsInputsAndCancelBuildsNothing)
{
    state.prefs.defappend = true;
    state.filters.appfiltChecked = true;
    list.addMany({ "http://a/", "http://b/" });
    list.setCurrentIndex(1);
    prompt.urls.push_back(std::nullopt);

    flow.buildFromUrl();

    EXPECT_TRUE(prompt.lastUrlInput.defappend);
    EXPECT_TRUE(prompt.lastUrlInput.hasCurrentEntry);
    EXPECT_EQ(prompt.lastUrlInput.currentEntry, QStringLiteral("http://b/"));
    EXPECT_TRUE(prompt.lastUrlInput.filtersApplied);
    EXPECT_EQ(browsersMade, 0);
    EXPECT_TRUE(fetcher.fetched.isEmpty());
    EXPECT_TRUE(view.statusLog.isEmpty());
    EXPECT_EQ(list.count(), 2);
    ASSERT_EQ(finished.size(), 1);
    EXPECT_TRUE(lastOutcome().isCancelled());
}

TEST_F(UrlListBuilderTest, BuildFromDialogLoadsHarvestsAndReturnsToIdle)
{
    const QString url = QStringLiteral("http://h/page");
    list.addMany({ "http://old/1" });
    fetcher.types[url] = QStringLiteral("TEXT/HTML; charset=UTF-8");
    prompt.urls.push_back(UrlRequest { url, false, {} });

    flow.buildFromUrl();

    EXPECT_EQ(fetcher.fetched, QStringList { url });
    ASSERT_EQ(browsersMade, 1);
    EXPECT_EQ(browser_->navigated, QStringList { url });
    EXPECT_EQ(view.status, kBuilding);
    EXPECT_EQ(view.countText, QString());
    EXPECT_FALSE(view.windowEnabled);
    EXPECT_TRUE(view.waitPointer);
    EXPECT_TRUE(builder.harvestRunning());
    EXPECT_TRUE(finished.isEmpty());

    browser_->progress(40, 200);
    EXPECT_EQ(view.progressMax, 200);
    EXPECT_EQ(view.progressValue, 40);
    browser_->progress(0, 200);
    EXPECT_EQ(view.progressMax, 100);
    EXPECT_EQ(view.progressValue, 0);

    browser_->complete();
    EXPECT_EQ(list.entries(), QStringList { "http://old/1" }) << "replaced once links arrive";
    answerLinks({ "http://h/a", "http://h/a", "file:///x", "http://h/b%20c" });

    EXPECT_EQ(list.entries(), (QStringList { "http://h/a", "http://h/b c" }));
    EXPECT_EQ(view.countText, QStringLiteral("2 links found"));
    EXPECT_TRUE(view.isIdle());
    EXPECT_GE(view.extentUpdates, 1);
    EXPECT_FALSE(builder.harvestRunning());
    EXPECT_TRUE(prompt.messages.isEmpty());
    ASSERT_EQ(finished.size(), 1);
    EXPECT_TRUE(lastOutcome().isOk());
    QCoreApplication::processEvents();
    EXPECT_FALSE(browserAlive) << "the hidden browser is released after the harvest";
}

TEST_F(UrlListBuilderTest, RefusesWhatIsNotHtmlAndLeavesTheListAlone)
{
    for (const QString& type : { QStringLiteral("application/pdf"), QString() }) {
        SCOPED_TRACE(type.toStdString());
        prompt.messages.clear();
        list.clear();
        list.add(QStringLiteral("http://keep/"));
        const QString url = QStringLiteral("http://h/file.pdf");
        fetcher.types[url] = type;
        prompt.urls.push_back(UrlRequest { url, false, {} });

        flow.buildFromUrl();

        ASSERT_EQ(prompt.messages.size(), 1);
        EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Exclamation);
        EXPECT_EQ(prompt.messages[0].title, QStringLiteral("Error"));
        EXPECT_EQ(prompt.messages[0].text, kNotHtml);
        EXPECT_EQ(browsersMade, 0);
        EXPECT_EQ(list.entries(), QStringList { "http://keep/" });
        EXPECT_TRUE(view.windowEnabled);
        EXPECT_FALSE(view.waitPointer);
        EXPECT_FALSE(builder.harvestRunning());
        EXPECT_TRUE(lastOutcome().isFailed());
    }
}

TEST_F(UrlListBuilderTest, ACheckedUrlSkipsStatusAndCheck)
{
    builder.build(UrlBuildRequest { QStringLiteral("http://h/x"), state.append, true });
    EXPECT_TRUE(fetcher.fetched.isEmpty());
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_TRUE(view.statusLog.isEmpty());
    ASSERT_EQ(browsersMade, 1);
    EXPECT_EQ(browser_->navigated, QStringList { "http://h/x" });
    EXPECT_FALSE(view.windowEnabled);
}

// A harvest that gives nothing says what it looked for.
TEST_F(UrlListBuilderTest, AnEmptyHarvestNamesWhatItCollected)
{
    const std::pair<HarvestCollect, QString> rows[] = {
        { HarvestCollect::Links, "no links were found" },
        { HarvestCollect::Media, "no media were found" },
        { HarvestCollect::Both, "no links or media were found" },
    };
    for (const auto& [collect, text] : rows) {
        SCOPED_TRACE(text.toStdString());
        state.filters.harvest.collect = collect;
        builder.build(UrlBuildRequest { QStringLiteral("http://h/x"), false, true });
        browser_->complete();
        answerLinks({ "file:///refused" });
        EXPECT_EQ(view.countText, text);
    }
}

TEST_F(UrlListBuilderTest, NavigationErrorIsShownInsteadOfTheHarvest)
{
    for (const bool append : { false, true }) {
        SCOPED_TRACE(append);
        prompt.messages.clear();
        list.clear();
        list.add(QStringLiteral("http://old/"));
        state.append = append;
        state.nav.naverr = true; // left over from an earlier build: cleared at the start
        builder.build(UrlBuildRequest { QStringLiteral("http://h/missing"), state.append, true });
        EXPECT_FALSE(state.nav.naverr);

        browser_->error(404);
        browser_->complete();

        EXPECT_FALSE(browser_->pendingWalk) << "the page is not harvested";
        ASSERT_EQ(prompt.messages.size(), 1);
        EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Critical);
        EXPECT_EQ(prompt.messages[0].title, QStringLiteral("Error"));
        EXPECT_EQ(prompt.messages[0].text,
            kProblem + QStringLiteral("\r\n\r\nError: Object not found. "));
        EXPECT_EQ(list.count(), 1);
        EXPECT_TRUE(view.isIdle());
        EXPECT_TRUE(lastOutcome().isFailed());
    }
}

TEST_F(UrlListBuilderTest, UnreadablePageTakesTheErrorPath)
{
    list.add(QStringLiteral("http://old/"));
    builder.build(UrlBuildRequest { QStringLiteral("http://h/x"), true, true });
    browser_->complete();
    auto done = std::move(browser_->pendingWalk);
    done(std::nullopt);
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0].text, kProblem);
    EXPECT_EQ(view.countText, QStringLiteral("1 links found"));
    EXPECT_TRUE(view.isIdle());
    EXPECT_TRUE(lastOutcome().isFailed());
}

TEST_F(UrlListBuilderTest, AdoptsOnlyAnHtmlWindowShowingExactlyTheUrl)
{
    auto pdf = std::make_shared<FakeWindow>();
    pdf->url = QStringLiteral("http://h/dir/");
    pdf->html = false;
    auto other = std::make_shared<FakeWindow>();
    other->url = QStringLiteral("http://h/dir");
    auto exact = std::make_shared<FakeWindow>();
    exact->url = QStringLiteral("http://h/dir/");
    exact->links = { "http://h/from-window" };
    windows.open = { pdf, other, exact };

    list.add(QStringLiteral("http://old/"));
    prompt.urls.push_back(UrlRequest { QStringLiteral("http://h/dir/"), false, {} });
    flow.buildFromUrl();
    EXPECT_EQ(browsersMade, 0);
    EXPECT_TRUE(fetcher.fetched.isEmpty());
    EXPECT_EQ(exact->collected, 1);
    EXPECT_EQ(other->collected, 0);
    ASSERT_TRUE(waitFor([&] { return finished.size() == 1; }));
    EXPECT_EQ(list.entries(), QStringList { "http://h/from-window" });
    EXPECT_EQ(view.countText, QStringLiteral("1 links found"));
    EXPECT_TRUE(view.windowEnabled);
    EXPECT_FALSE(builder.harvestRunning());

    // Another spelling of the same page is loaded anew.
    fetcher.types[QStringLiteral("http://H/dir/")] = QStringLiteral("text/html");
    prompt.urls.push_back(UrlRequest { QStringLiteral("http://H/dir/"), true, {} });
    flow.buildFromUrl();
    EXPECT_EQ(browsersMade, 1);
    EXPECT_EQ(exact->collected, 1);
}

// The window closing while an adopted window's links are collected: the build ends, the
// late answer changes nothing, and no later request starts.
TEST_F(UrlListBuilderTest, ShutdownDuringAnAdoptedHarvestEndsItAndRefusesMore)
{
    auto window = std::make_shared<FakeWindow>();
    window->url = "http://open.example/";
    window->links = { "http://open.example/a" };
    window->hold = true;
    windows.open = { window };
    builder.build(UrlBuildRequest { window->url, state.append, true });
    ASSERT_TRUE(builder.harvestRunning());

    builder.shutdown();
    EXPECT_FALSE(builder.harvestRunning());
    EXPECT_TRUE(view.windowEnabled);
    ASSERT_EQ(finished.size(), 1);
    EXPECT_TRUE(lastOutcome().isCancelled());
    window->held(linkEntries(window->links));
    EXPECT_TRUE(list.isEmpty());

    prompt.urls.push_back(UrlRequest { window->url, false, {} });
    flow.buildFromUrl();
    flow.harvestLink(window->url);
    EXPECT_EQ(window->collected, 1);
    EXPECT_EQ(prompt.urls.size(), 1u);
    EXPECT_EQ(finished.size(), 1);
}

TEST_F(UrlListBuilderTest, EscStopsALoadAndIgnoresItsLaterEvents)
{
    list.add(QStringLiteral("http://old/"));
    builder.build(UrlBuildRequest { QStringLiteral("http://h/slow"), state.append, true });
    FakeBrowser* running = browser_;
    auto complete = running->complete;

    builder.cancel();
    EXPECT_EQ(running->stops, 1);
    EXPECT_TRUE(view.isIdle());
    EXPECT_FALSE(builder.harvestRunning());
    EXPECT_TRUE(lastOutcome().isCancelled());

    complete(); // a late event of the released browser
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(finished.size(), 1);
    QCoreApplication::processEvents();
    EXPECT_FALSE(browserAlive);

    // Esc with nothing running only resets the status bar and the window.
    view.windowEnabled = false;
    builder.cancel();
    EXPECT_TRUE(view.windowEnabled);
    EXPECT_EQ(finished.size(), 1);
}

TEST_F(UrlListBuilderTest, EscDuringTheContentTypeCheckCancelsQuietly)
{
    const QString url = QStringLiteral("http://h/page");
    fetcher.types[url] = QStringLiteral("text/html");
    fetcher.whileWaiting = [this] {
        EXPECT_TRUE(builder.harvestRunning());
        builder.cancel();
    };
    prompt.urls.push_back(UrlRequest { url, false, {} });
    flow.buildFromUrl();
    EXPECT_TRUE(fetcher.cancelled);
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_EQ(browsersMade, 0);
    EXPECT_TRUE(view.isIdle());
    EXPECT_TRUE(lastOutcome().isCancelled());
}

TEST_F(UrlListBuilderTest, ANewRequestOrTheBuildersEndStopsAPendingCheck)
{
    const QString first = QStringLiteral("http://h/1");
    const QString second = QStringLiteral("http://h/2");
    fetcher.hold = true;
    prompt.urls = { UrlRequest { first, false, {} }, UrlRequest { second, false, {} } };
    flow.buildFromUrl();
    EXPECT_TRUE(builder.harvestRunning());
    EXPECT_TRUE(finished.isEmpty());

    flow.buildFromUrl();
    ASSERT_EQ(finished.size(), 1);
    EXPECT_TRUE(lastOutcome().isCancelled());
    EXPECT_EQ(fetcher.fetched, (QStringList { first, second }));
    fetcher.held(Result<QString>::ok(QStringLiteral("text/html")));
    ASSERT_EQ(browsersMade, 1);
    EXPECT_EQ(browser_->navigated, QStringList { second });

    list.add(first);
    list.setCurrentIndex(0);
    auto other = std::make_unique<UrlListBuilder>(state.prefs, state.filters, state.nav, list, view,
        prompt, windows, fetcher, [this] { return makeBrowser(); });
    other->checkEntry(list.at(0));
    ASSERT_FALSE(fetcher.cancelled);
    other.reset();
    EXPECT_TRUE(fetcher.cancelled) << "a destroyed builder is never answered";
}

TEST_F(UrlListBuilderTest, BuildsFromTheCurrentEntrysTarget)
{
    list.addMany({ "http://h/page.html", "http://h/a.zip" });
    fetcher.types[QStringLiteral("http://h/page.html")] = QStringLiteral("text/html;charset=x");
    fetcher.types[QStringLiteral("http://h/a.zip")] = QStringLiteral("application/zip");

    list.setCurrentIndex(1);
    flow.buildFromEntry();
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0].text, kNotHtml);
    EXPECT_EQ(prompt.desiredActionAsked, 0);
    EXPECT_EQ(list.count(), 2);
    EXPECT_TRUE(view.windowEnabled);

    list.setCurrentIndex(0);
    prompt.desiredActions.push_back(true);
    flow.buildFromEntry();
    EXPECT_EQ(prompt.desiredActionAsked, 1);
    EXPECT_TRUE(state.append);
    EXPECT_EQ(fetcher.fetched.size(), 2) << "the hand-over skips a second check";
    ASSERT_EQ(browsersMade, 1);
    EXPECT_EQ(browser_->navigated, QStringList { "http://h/page.html" });
    browser_->complete();
    answerLinks({ "http://h/a.zip", "http://h/new" });
    EXPECT_EQ(
        list.entries(), (QStringList { "http://h/page.html", "http://h/a.zip", "http://h/new" }));
    EXPECT_EQ(view.countText, QStringLiteral("3 links found"));
}

TEST_F(UrlListBuilderTest, IncomingLinkAsksOnlyForANonEmptyList)
{
    flow.harvestLink(QStringLiteral("http://h/in"));
    EXPECT_EQ(prompt.desiredActionAsked, 0);
    ASSERT_EQ(browsersMade, 1);
    EXPECT_EQ(browser_->navigated, QStringList { "http://h/in" });
    EXPECT_TRUE(view.statusLog.isEmpty());
    EXPECT_TRUE(view.windowEnabled);
    EXPECT_TRUE(fetcher.fetched.isEmpty());
    browser_->complete();
    answerLinks({ "http://h/1" });

    prompt.desiredActions.push_back(false);
    flow.harvestLink(QStringLiteral("http://h/in2"));
    EXPECT_EQ(prompt.desiredActionAsked, 1);
    EXPECT_EQ(list.entries(), QStringList { "http://h/1" }) << "kept until links arrive";
    browser_->complete();
    answerLinks({ "http://h/2" });
    EXPECT_EQ(list.entries(), QStringList { "http://h/2" });

    factoryWorks = false;
    flow.harvestLink(QString());
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Critical);
    EXPECT_EQ(prompt.messages[0].text,
        QStringLiteral("Error listing links automatically. Please use \"Build list from "
                       "URL\" in \"List\" menu."));
    EXPECT_FALSE(builder.harvestRunning());
}

TEST_F(UrlListBuilderTest, ShowsTheListLimitOnce)
{
    QStringList full;
    for (int i = 0; i < LinkList::MaxEntries - 1; ++i)
        full.append(QStringLiteral("http://old/%1").arg(i));
    list.addMany(full);
    state.append = true;
    builder.build(UrlBuildRequest { QStringLiteral("http://h/many"), state.append, true });
    browser_->complete();
    answerLinks({ "http://n/1", "http://n/2", "http://n/3" });
    EXPECT_EQ(list.count(), LinkList::MaxEntries);
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0].title, ListLimit::title());
    EXPECT_EQ(prompt.messages[0].text, ListLimit::message(2));
}

// Whatever ends a build before its links arrive, the list keeps its entries, selection
// and current entry, for every way a build starts.
TEST_F(UrlListBuilderTest, AFailedBuildLeavesTheListAsItWas)
{
    auto window = std::make_shared<FakeWindow>();
    window->url = QStringLiteral("http://h/open");
    window->hold = true;
    windows.open = { window };
    fetcher.types[QStringLiteral("http://h/page")] = QStringLiteral("text/html");
    const QString pdf = QStringLiteral("http://h/a.pdf");
    fetcher.types[pdf] = QStringLiteral("application/pdf");

    const std::function<void()> start[] = {
        [&] {
            builder.build(UrlBuildRequest { QStringLiteral("http://h/page"), state.append, true });
        },
        [&] { flow.harvestLink(QStringLiteral("http://h/page")); },
        [&] {
            builder.build(UrlBuildRequest { window->url, state.append, true });
        },
    };
    const std::function<void()> fail[] = {
        [&] {
            browser_->error(404);
            browser_->complete();
        },
        [&] { builder.cancel(); },
        [&] {
            if (window->held)
                return std::exchange(window->held, {})(std::nullopt);
            browser_->complete();
            std::exchange(browser_->pendingWalk, {})(std::nullopt);
        },
    };
    for (size_t s = 0; s < std::size(start); ++s) {
        for (size_t f = 0; f < std::size(fail); ++f) {
            if (s == 2 && f == 0)
                continue; // an open window has no load to fail
            SCOPED_TRACE(testing::Message() << "start " << s << " failure " << f);
            list.clear();
            list.addMany({ "http://old/1", "http://old/2", "http://old/3" });
            list.setSelected(2, true);
            list.setCurrentIndex(1);
            state.append = false;
            start[s]();
            fail[f]();
            EXPECT_EQ(
                list.entries(), (QStringList { "http://old/1", "http://old/2", "http://old/3" }));
            EXPECT_EQ(list.selectedIndexes(), QList<int> { 2 });
            EXPECT_EQ(list.currentIndex(), 1);
            EXPECT_EQ(view.countText, QStringLiteral("3 links found"));
            EXPECT_FALSE(builder.harvestRunning());
        }
    }
    // A refused URL from the current entry changes nothing either.
    list.add(pdf);
    list.setCurrentIndex(3);
    flow.buildFromEntry();
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(list.selectedIndexes(), QList<int> { 2 });
}

// A local page has no server to ask: an HTML file is loaded without the check, and a
// missing file is named in the refusal.
TEST_F(UrlListBuilderTest, LocalPagesSkipTheCheckAndAMissingOneIsNamed)
{
    QTemporaryDir dir;
    QFile page(dir.filePath("p.html"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    list.add(QStringLiteral("http://keep/"));
    const struct {
        QString typed;
        QString loaded; // empty: refused with message
        QString message;
    } rows[] = {
        { dir.filePath("p.html"), QUrl::fromLocalFile(dir.filePath("p.html")).toString(), "" },
        { dir.filePath("gone.html"), "",
            "Quillmarch cannot build a list from this URL. The file \"" + dir.filePath("gone.html")
                + "\" does not exist." },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed.toStdString());
        prompt.messages.clear();
        browser_ = nullptr;
        prompt.urls.push_back(UrlRequest { row.typed, true, {} });

        flow.buildFromUrl();

        EXPECT_TRUE(fetcher.fetched.isEmpty());
        if (row.loaded.isEmpty()) {
            ASSERT_EQ(prompt.messages.size(), 1);
            EXPECT_EQ(prompt.messages[0].text, row.message);
            EXPECT_EQ(browser_, nullptr);
            EXPECT_TRUE(view.isIdle());
            EXPECT_TRUE(lastOutcome().isFailed());
            continue;
        }
        ASSERT_NE(browser_, nullptr);
        EXPECT_EQ(browser_->navigated, QStringList { row.loaded });
        browser_->complete();
        answerLinks({ "http://web/a", "file:///etc/passwd" });
        EXPECT_EQ(list.entries(), (QStringList { "http://keep/", "http://web/a" }));
    }
}
