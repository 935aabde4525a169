#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

#include "app/ui/Form1.h"
#include "compose/WindowServices.h"
#include "listops/ui/LinkListView.h"
#include "support/FakeBrowserWindows.h"
#include "support/LocalHttpServer.h"
#include "support/ScriptedPrompt.h"
#include "support/TempSettingsStore.h"
#include "support/WaitFor.h"
#include "viewer/LinkViewer.h"
#include "viewer/Slideshow.h"
#include "viewer/ui/MainToolbar.h"
#include "winsupport/ui/CFormBorder.h"

namespace
{

class Form1ViewerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_form = std::make_unique<Form1>(windowServices(m_temp.store()), &m_prompt);
        m_form->useBrowserWindows(m_windows);
        m_form->list().addMany({ "http://a/1", "http://a/2", "http://a/3" });
    }
    void TearDown() override { m_form.reset(); }

    QAction* button(const char* key) { return m_form->toolbar()->button(QString::fromLatin1(key)); }
    void showAndActivate()
    {
        m_form->show();
        QApplication::setActiveWindow(m_form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_form.get()));
    }

    TempSettingsStore m_temp;
    ScriptedPrompt m_prompt;
    FakeBrowserWindows m_windows;
    std::unique_ptr<Form1> m_form;
};

TEST_F(Form1ViewerTest, ToolbarHoldsThirteenItemsInOrder)
{
    EXPECT_EQ(m_form->toolbar()->keys(),
        QStringList({ "list_url", "list_clp", "list_file", "list_seq", "", "back", "fwd", "hide_br",
            "slideshow", "sav", "", "resize", "help" }));
    EXPECT_TRUE(button("slideshow")->isCheckable());
    auto* sav = qobject_cast<QToolButton*>(m_form->toolbar()->widgetForAction(button("sav")));
    ASSERT_NE(sav, nullptr);
    EXPECT_EQ(sav->popupMode(), QToolButton::MenuButtonPopup);
    EXPECT_EQ(m_form->toolbar()->savMenu()->actions().size(), 3);
}

TEST_F(Form1ViewerTest, EnterOpensTheCurrentEntryAndTheKeysStepInTheSameWindow)
{
    showAndActivate();
    m_form->list().setCurrentIndex(0);
    QTest::keyClick(m_form->listView(), Qt::Key_Return);
    FakeBrowserWindow* window = m_windows.last();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->navigated, QStringList { "http://a/1" });
    EXPECT_TRUE(button("hide_br")->isEnabled());
    EXPECT_FALSE(button("back")->isEnabled());

    QTest::keyClick(m_form.get(), Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(window->navigated.last(), "http://a/2");
    EXPECT_EQ(m_form->list().selectedIndexes(), QList<int> { 1 });
    EXPECT_TRUE(button("back")->isEnabled());
    QTest::keyClick(m_form.get(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(window->navigated.last(), "http://a/1");
    EXPECT_EQ(m_windows.created.size(), 1);

    window->closeByUser();
    EXPECT_FALSE(button("hide_br")->isEnabled());
}

TEST_F(Form1ViewerTest, ToolbarAndItsKeysRestWhileTheWindowTakesNoInput)
{
    showAndActivate();
    m_form->list().setCurrentIndex(0);
    auto widget
        = [this](const char* key) { return m_form->toolbar()->widgetForAction(button(key)); };
    m_form->setWindowEnabled(false);
    EXPECT_FALSE(widget("fwd")->isEnabled());
    EXPECT_FALSE(widget("list_url")->isEnabled());
    QTest::keyClick(m_form.get(), Qt::Key_Right, Qt::AltModifier);
    EXPECT_TRUE(m_windows.created.isEmpty());
    m_form->setWindowEnabled(true);
    EXPECT_TRUE(widget("fwd")->isEnabled());
    EXPECT_TRUE(widget("list_url")->isEnabled());
}

TEST_F(Form1ViewerTest, DoubleClickOpensTheEntryUnderThePointer)
{
    showAndActivate();
    QWidget* viewport = m_form->listView()->viewport();
    const QRect row = m_form->listView()->visualRect(m_form->list().index(2));
    QTest::mouseDClick(
        m_form->windowHandle(), Qt::LeftButton, {}, viewport->mapTo(m_form.get(), row.center()));
    ASSERT_NE(m_windows.last(), nullptr);
    EXPECT_EQ(m_windows.last()->navigated, QStringList { "http://a/3" });
    EXPECT_FALSE(m_form->openRequestPending());
}

TEST_F(Form1ViewerTest, OpenMenuItemOpensTheSelectedEntry)
{
    m_form->list().setSelected(2, true);
    ASSERT_TRUE(m_form->findChild<QAction*>("mnufileopen")->isEnabled());
    m_form->mnufileopen_Click();
    ASSERT_NE(m_windows.last(), nullptr);
    EXPECT_EQ(m_windows.last()->navigated, QStringList { "http://a/3" });
    EXPECT_FALSE(m_form->openRequestPending());
}

TEST_F(Form1ViewerTest, SlideshowGuardBlocksTheListUntilTheShowStops)
{
    m_prompt.slideshowOptions.push_back(SlideshowOptions { false, true, 4 });
    button("slideshow")->trigger(); // the show starts
    EXPECT_EQ(m_prompt.slideshowOptionsAsked, 1);
    ASSERT_TRUE(m_form->slideshow().running());
    m_form->mnusavpopopen_Click();
    m_form->List1_MouseUp(Qt::LeftButton, QPoint());
    ASSERT_EQ(m_prompt.messages.size(), 1);
    EXPECT_EQ(m_prompt.messages[0].title, "Slideshow in Progress");
    EXPECT_TRUE(m_form->openRequestPending());

    // "hide_br" keeps the show; "back" stops it before stepping.
    m_form->Toolbar1_ButtonClick("hide_br");
    EXPECT_TRUE(m_form->slideshow().running());
    m_form->list().setCurrentIndex(1);
    m_form->Toolbar1_ButtonClick("back");
    EXPECT_FALSE(m_form->slideshow().running());
    EXPECT_FALSE(button("slideshow")->isChecked());
    EXPECT_EQ(m_form->list().currentIndex(), 0);
}

TEST_F(Form1ViewerTest, CompactModeIsSmallFixedAndReturnsToTheFullSize)
{
    showAndActivate();
    m_form->resize(700, 500);
    QTest::keyClick(m_form.get(), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(m_form->compactMode());
    EXPECT_EQ(m_form->size(), QSize(162, 59));
    EXPECT_FALSE(m_form->fborder().Sizeable());
    EXPECT_FALSE(m_form->fborder().MaxButton());
    EXPECT_FALSE(m_form->menuBar()->isVisible());
    EXPECT_FALSE(m_form->statusBar()->isVisible());
    EXPECT_FALSE(m_form->listView()->isVisible());
    QStringList visible;
    for (const QString& key : m_form->toolbar()->keys()) {
        if (!key.isEmpty() && m_form->toolbar()->button(key)->isVisible())
            visible.append(key);
    }
    EXPECT_EQ(visible, QStringList({ "back", "fwd", "hide_br", "slideshow", "resize" }));
    EXPECT_EQ(button("resize")->toolTip(), "Fullsize mode");

    // The mode keys work in compact mode too.
    QTest::keyClick(m_form.get(), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(m_form->compactMode());
    EXPECT_EQ(m_form->size(), QSize(700, 500));
    EXPECT_TRUE(m_form->fborder().Sizeable());
    EXPECT_TRUE(m_form->fborder().MaxButton());
    EXPECT_TRUE(m_form->statusBar()->isVisible());
    EXPECT_TRUE(button("list_url")->isVisible());
}

TEST_F(Form1ViewerTest, CompactFromMaximizedSavesTheNormalSize)
{
    m_form->resize(640, 480);
    m_form->showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_form.get()));
    m_form->Toolbar1_ButtonClick("resize");
    EXPECT_FALSE(m_form->isMaximized());
    EXPECT_EQ(m_form->savedFullSize(), QSize(640, 480));
}

TEST_F(Form1ViewerTest, HoveringAButtonShowsItsTooltipUntilThePointerLeaves)
{
    showAndActivate();
    auto* status = m_form->findChild<QLabel*>("pnlStatus");
    QWidget* fwd = m_form->toolbar()->widgetForAction(button("fwd"));
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(fwd, &enter);
    EXPECT_EQ(status->text(), "Open next link in browser");
    EXPECT_EQ(m_form->Status(), m_form->idleStatusText());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(m_form->toolbar(), &leave);
    EXPECT_EQ(status->text(), m_form->idleStatusText());
}

// A build holds the window: a page completing in the browser window and the window
// closing leave the build's status and the disabled window alone, and the build ends.
TEST_F(Form1ViewerTest, TheBrowserWindowLeavesARunningBuildAlone)
{
    LocalHttpServer site;
    std::atomic<int> requests { 0 };
    std::atomic<bool> release { false };
    site.server().Get("/slow.html", [&](const httplib::Request&, httplib::Response& res) {
        // The content-type check is answered at once, the page itself when released.
        for (int i = 0; ++requests > 1 && i < 400 && !release; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        res.set_content("<a href='/x'>x</a>", "text/html");
    });
    ASSERT_TRUE(site.start());
    m_form->list().setCurrentIndex(0);
    m_form->viewer().openCurrent();
    FakeBrowserWindow* window = m_windows.last();
    m_prompt.urls.push_back(UrlRequest { site.url("/slow.html"), false, {} });
    m_form->mnufURL_Click();
    ASSERT_TRUE(m_form->buildRunning());
    const QString building = m_form->Status();
    window->startLoad();
    window->finishLoad();
    window->closeByUser();
    EXPECT_EQ(m_form->Status(), building);
    EXPECT_FALSE(m_form->windowInputEnabled());
    release = true;
    ASSERT_TRUE(waitFor([&] { return !m_form->buildRunning(); }, 60000));
    EXPECT_TRUE(m_form->windowInputEnabled());
    EXPECT_EQ(m_form->list().entries(), QStringList { site.url("/x") });
}

TEST_F(Form1ViewerTest, ClosingAsksAboutTheBrowserWindowAndYesClosesIt)
{
    m_form->list().setCurrentIndex(0);
    m_form->viewer().openCurrent();
    QPointer<FakeBrowserWindow> window = m_windows.last();
    m_prompt.messageAnswers.push_back(PromptAnswer::Yes);
    m_form->close();
    ASSERT_EQ(m_prompt.messages.size(), 1);
    EXPECT_EQ(m_prompt.messages[0].title, "Close Browser Window?");
    EXPECT_FALSE(m_form->state().window.openedone);
    EXPECT_EQ(m_form->viewer().WebBrowser1(), nullptr);
}

TEST_F(Form1ViewerTest, ProgressBarGoesAwayAlsoWhenTheCountTextIsEmpty)
{
    m_form->setProgress(100, 60);
    m_form->setCountText(QString());
    m_form->setProgress(100, 0);
    auto* panel = m_form->findChild<QLabel*>("pnlProgress");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->pixmap().isNull());
}

TEST_F(Form1ViewerTest, RestoringFromMinimizedIsAnnounced)
{
    int restored = 0;
    QObject::connect(m_form.get(), &Form1::restoredFromMinimized, [&] { ++restored; });
    m_form->showMinimized();
    m_form->showNormal();
    EXPECT_EQ(restored, 1);
}

} // namespace
