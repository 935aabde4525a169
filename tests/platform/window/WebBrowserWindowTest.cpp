#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <gtest/gtest.h>

#include "app/ui/Form1.h"
#include "compose/WindowServices.h"
#include "download/ui/Form4.h"
#include "listops/ui/LinkListView.h"
#include "platform/webengine/window/BrowserWindowHandle.h"
#include "platform/webengine/window/WebBrowserWindow.h"
#include "platform/webengine/window/WebBrowserWindows.h"
#include "support/LocalHttpServer.h"
#include "support/ScriptedPrompt.h"
#include "support/TempSettingsStore.h"
#include "support/WaitFor.h"
#include "viewer/LinkViewer.h"

namespace
{

class WebBrowserWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int i = 1; i <= 3; ++i)
            m_server.page("/p" + std::to_string(i) + ".html",
                "<html><head><title>Page " + std::to_string(i)
                    + "</title></head><body>page</body></html>");
        // A page whose script asks questions: nothing may wait for an answer.
        m_server.page("/ask.html",
            "<html><body><script>alert('x'); confirm('y'); prompt('z');</script>"
            "<iframe src='/p1.html'></iframe><iframe src='/p2.html'></iframe></body></html>");
        m_server.page("/f.zip", "PK\x05\x06", "application/zip");
        m_server.page("/f.bin", "bytes", "application/octet-stream");
        // A site page that holds a cookie and asks the user to stay when left.
        m_server.server().Get("/site.html", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Set-Cookie", "secret=1; Path=/");
            res.set_content("<html><head><title>Site</title><script>onbeforeunload = function(e) "
                            "{ e.preventDefault(); e.returnValue = 'stay'; return 'stay'; };"
                            "</script></head><body style='height:2000px'>site</body></html>",
                "text/html");
        });
        ASSERT_TRUE(m_server.start());
    }

    LocalHttpServer m_server;
    WebBrowserWindows m_windows;
};

TEST_F(WebBrowserWindowTest, TopLevelLoadReportsStartProgressAndOneCompletion)
{
    IBrowserWindow* window = m_windows.createWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->Visible());
    QSignalSpy started(window, &IBrowserWindow::BeforeNavigate2);
    QSignalSpy progress(window, &IBrowserWindow::ProgressChange);
    QSignalSpy complete(window, &IBrowserWindow::DocumentComplete);
    window->Navigate(m_server.url("/ask.html"));
    EXPECT_TRUE(window->Busy());
    ASSERT_TRUE(waitFor([&] { return complete.count() > 0; }));
    QTest::qWait(200); // frames finishing late must not report a second completion
    EXPECT_EQ(complete.count(), 1);
    EXPECT_EQ(started.count(), 1);
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last().at(1).toInt(), 100);
    EXPECT_FALSE(window->Busy());
    auto* handle = static_cast<BrowserWindowHandle*>(window);
    EXPECT_EQ(handle->window()->addressField()->text(), m_server.url("/ask.html"));

    // A jump to an anchor of the same page completes like a load.
    window->Navigate(m_server.url("/ask.html#end"));
    ASSERT_TRUE(waitFor([&] { return complete.count() == 2; }));
    EXPECT_FALSE(window->Busy());

    // Once it shows an HTML page, it is the window the next open reuses.
    ASSERT_TRUE(waitFor([&] { return m_windows.lastHtmlWindow() == window; }));

    QPointer<BrowserWindowHandle> guard(handle);
    QSignalSpy quit(window, &IBrowserWindow::OnQuit);
    window->Quit();
    EXPECT_EQ(quit.count(), 1);
    ASSERT_TRUE(waitFor([&] { return guard.isNull(); }));
    EXPECT_EQ(m_windows.lastHtmlWindow(), nullptr);
}

TEST_F(WebBrowserWindowTest, EnterAndAltRightShowTheLinksInOneWindow)
{
    TempSettingsStore temp;
    ScriptedPrompt prompt;
    Form1 form(windowServices(temp.store()), &prompt);
    form.useBrowserWindows(m_windows);
    form.list().addMany(
        { m_server.url("/p1.html"), m_server.url("/p2.html"), m_server.url("/p3.html") });
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.list().setCurrentIndex(0);
    QTest::keyClick(form.listView(), Qt::Key_Return);
    IBrowserWindow* window = form.viewer().WebBrowser1();
    ASSERT_NE(window, nullptr);
    QSignalSpy complete(window, &IBrowserWindow::DocumentComplete);
    ASSERT_TRUE(waitFor([&] { return complete.count() == 1; }));
    EXPECT_EQ(window->LocationURL(), m_server.url("/p1.html"));
    EXPECT_EQ(form.Status(), form.idleStatusText());
    EXPECT_EQ(form.countText(), "3 links found");
    QTest::qWait(100);
    EXPECT_EQ(form.Progress(), 0);
    EXPECT_TRUE(window->Visible());

    QApplication::setActiveWindow(&form);
    QTest::keyClick(&form, Qt::Key_Right, Qt::AltModifier);
    ASSERT_TRUE(waitFor([&] { return window->LocationURL() == m_server.url("/p2.html"); }));
    EXPECT_EQ(form.viewer().WebBrowser1(), window);
    EXPECT_EQ(form.list().selectedIndexes(), QList<int> { 1 });
    QPointer<IBrowserWindow> guard(window);
    window->Quit();
    EXPECT_TRUE(waitFor([&] { return guard.isNull(); }));
}

// A link to a file, opened in the window, goes to the program's download job: the folder
// question, then the job's window; while that window is loaded, a second file shows it
// again without a new question. The page shown stays where it was.
TEST_F(WebBrowserWindowTest, AFileOpenedInTheWindowGoesToTheDownloadJob)
{
    TempSettingsStore temp;
    ScriptedPrompt prompt;
    QTemporaryDir folder;
    prompt.folders = { folder.path(), folder.path() };
    Form1 form(windowServices(temp.store()), &prompt);
    form.useBrowserWindows(m_windows);
    form.list().add(m_server.url("/p1.html"));
    form.show();
    form.list().setCurrentIndex(0);
    form.viewer().openCurrent();
    IBrowserWindow* window = form.viewer().WebBrowser1();
    ASSERT_NE(window, nullptr);
    QSignalSpy complete(window, &IBrowserWindow::DocumentComplete);
    QSignalSpy files(window, &IBrowserWindow::FileDownload);
    ASSERT_TRUE(waitFor([&] { return complete.count() == 1; }));

    window->Navigate(m_server.url("/f.zip"));
    ASSERT_TRUE(waitFor([&] { return form.downloadWindow() != nullptr; }));
    EXPECT_EQ(files.first().at(0).toString(), m_server.url("/f.zip"));
    EXPECT_EQ(prompt.folders.size(), 1u);
    EXPECT_EQ(prompt.lastPickerTitle, "Save Link Target(s) in...");
    ASSERT_TRUE(waitFor([&] { return !window->Busy(); }));
    EXPECT_EQ(window->LocationURL(), m_server.url("/p1.html"));
    auto* handle = static_cast<BrowserWindowHandle*>(window);
    EXPECT_EQ(handle->window()->addressField()->text(), m_server.url("/p1.html"));

    Form4* job = form.downloadWindow();
    window->Navigate(m_server.url("/f.bin"));
    ASSERT_TRUE(waitFor([&] { return files.count() == 2; }));
    EXPECT_EQ(form.downloadWindow(), job);
    EXPECT_EQ(prompt.folders.size(), 1u);
}

// A javascript: entry runs in a blank page of no site: it reads no cookie of the site
// shown before, and that page keeps its own title. The next entry shows the site again.
// Stepping away from a page that asks "leave?" leaves it.
TEST_F(WebBrowserWindowTest, EntriesNeitherRunScriptsInTheSiteNorStayWhenAsked)
{
    TempSettingsStore temp;
    ScriptedPrompt prompt;
    Form1 form(windowServices(temp.store()), &prompt);
    form.useBrowserWindows(m_windows);
    const QString script = "javascript:void(document.title='ran:' + location.origin + '|' + "
                           "(function() { try { return document.cookie; } catch (e) { return "
                           "'denied'; } })())";
    form.list().addMany({ m_server.url("/site.html"), script, m_server.url("/p1.html") });
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.list().setCurrentIndex(0);
    QTest::keyClick(form.listView(), Qt::Key_Return);
    auto* handle = static_cast<BrowserWindowHandle*>(form.viewer().WebBrowser1());
    ASSERT_NE(handle, nullptr);
    WebBrowserWindow* browser = handle->window();
    auto* view = browser->findChild<QWebEngineView*>();
    ASSERT_TRUE(waitFor([&] { return browser->page()->title() == "Site" && !handle->Busy(); }));
    // The page may ask only after the user touched it.
    QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {}, QPoint(50, 50));
    QTest::qWait(200);

    for (const int row : { 1, 2 }) {
        QApplication::setActiveWindow(&form);
        QTest::keyClick(&form, Qt::Key_Right, Qt::AltModifier);
        ASSERT_TRUE(waitFor([&] { return form.list().currentIndex() == row && !handle->Busy(); }));
        if (row == 1) {
            ASSERT_TRUE(waitFor([&] { return view->page()->title().startsWith("ran:"); }))
                << view->page()->title().toStdString();
            EXPECT_TRUE(view->page()->title().startsWith("ran:null|")) << "no site";
            EXPECT_FALSE(view->page()->title().contains("secret"));
            EXPECT_EQ(browser->page()->title(), "Site");
        }
    }
    EXPECT_TRUE(waitFor([&] { return view->page()->title() == "Page 1"; }))
        << view->page()->title().toStdString();
    EXPECT_EQ(view->page(), browser->page());
    EXPECT_EQ(handle->LocationURL(), m_server.url("/p1.html"));
    QPointer<IBrowserWindow> guard(handle);
    handle->Quit();
    EXPECT_TRUE(waitFor([&] { return guard.isNull(); }));
}

} // namespace

// The main window may stay on top: a new browser window opens beside it, not under it.
TEST_F(WebBrowserWindowTest, OpensBesideTheMainWindow)
{
    QWidget main;
    main.setObjectName("Form1");
    main.setGeometry(0, 0, 150, 100);
    main.show();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    auto* handle = static_cast<BrowserWindowHandle*>(m_windows.createWindow());
    ASSERT_NE(handle, nullptr);
    const QRect placed = handle->window()->frameGeometry();
    EXPECT_EQ(placed.left(), main.frameGeometry().right() + 1);
    EXPECT_TRUE(area.contains(placed)) << placed.width() << "x" << placed.height();
    handle->Quit();
}

// A sign-in inside a browser window carries over to the main window's downloads: its
// cookie, the browser's User-Agent and the entry's page as Referer.
TEST_F(WebBrowserWindowTest, DownloadsCarryTheBrowserWindowsSignIn)
{
    LocalHttpServer site;
    site.page("/signin.html",
        "<html><body><form action='/signin'><button id='go'>Sign in</button></form></body></html>");
    site.server().Get("/signin", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "member=yes; Path=/; HttpOnly");
        res.set_content(
            "<html><head><title>Welcome</title></head><body>in</body></html>", "text/html");
    });
    std::string agent;
    site.server().Get(
        "/members/report.pdf", [&](const httplib::Request& req, httplib::Response& res) {
            agent = req.get_header_value("User-Agent");
            if (req.get_header_value("Cookie").find("member=yes") != std::string::npos
                && req.get_header_value("Referer").ends_with("/members/"))
                res.set_content("%PDF report", "application/pdf");
            else
                res.set_content("<p>Please sign in</p>", "text/html");
        });
    ASSERT_TRUE(site.start());

    TempSettingsStore temp;
    ScriptedPrompt prompt;
    QTemporaryDir folder;
    prompt.folders = { folder.path() };
    Form1 form(windowServices(temp.store()), &prompt);
    form.useBrowserWindows(m_windows);
    form.show();
    IBrowserWindow* window = m_windows.createWindow();
    ASSERT_NE(window, nullptr);
    QSignalSpy complete(window, &IBrowserWindow::DocumentComplete);
    window->Navigate(site.url("/signin.html"));
    ASSERT_TRUE(waitFor([&] { return complete.count() == 1; }));
    auto* page = static_cast<BrowserWindowHandle*>(window)->window()->findChild<QWebEngineView*>();
    ASSERT_NE(page, nullptr);
    page->page()->runJavaScript("document.getElementById('go').click()");
    ASSERT_TRUE(waitFor([&] { return m_windows.session().cookies.join('\n').contains("member"); }));

    form.list().add(site.url("/members/report.pdf"),
        { EntryKind::Link, "Report", site.url("/members/"), "Members" });
    form.list().setSelected(0, true);
    form.mnufsav_Click();
    ASSERT_TRUE(waitFor(
        [&] { return form.downloadWindow() && !form.downloadWindow()->job().isRunning(); }));
    QFile saved(folder.filePath("report.pdf"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), "%PDF report");
    EXPECT_EQ(QString::fromStdString(agent), m_windows.session().userAgent);
    if (const QByteArray shots = qgetenv("QM_SCREENSHOTS"); !shots.isEmpty()) {
        static_cast<BrowserWindowHandle*>(window)->window()->grab().save(shots + "/browser.png");
        form.downloadWindow()->grab().save(shots + "/saving.png");
    }
}
