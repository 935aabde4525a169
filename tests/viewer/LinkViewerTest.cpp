#include <QCoreApplication>
#include <gtest/gtest.h>

#include "core/MainState.h"
#include "listops/LinkList.h"
#include "support/FakeBrowserWindows.h"
#include "support/RecordingMainView.h"
#include "viewer/LinkViewer.h"

namespace
{

class LinkViewerTest : public ::testing::Test
{
protected:
    void SetUp() override { m_list.addMany({ "http://a/1", "http://a/2", "http://a/3" }); }

    MainState m_state;
    LinkList m_list;
    RecordingMainView m_view;
    FakeBrowserWindows m_windows;
    int m_mainActivations = 0;
    LinkViewer m_viewer { m_state.prefs, m_state.window, m_list, m_view, m_windows,
        [this] { ++m_mainActivations; } };
};

TEST_F(LinkViewerTest, FirstOpenReusesAnHtmlWindowOrCreatesOne)
{
    struct Row {
        bool newwin;
        bool htmlWindowOpen;
        bool expectCreated;
    };
    for (const Row& row :
        { Row { false, true, false }, Row { false, false, true }, Row { true, true, true } }) {
        MainState state;
        state.prefs.newwin = row.newwin;
        FakeBrowserWindows windows;
        if (row.htmlWindowOpen)
            windows.htmlWindow = new FakeBrowserWindow;
        LinkViewer viewer(state.prefs, state.window, m_list, m_view, windows, {});
        ASSERT_TRUE(viewer.openStep(1));
        EXPECT_EQ(windows.created.size(), row.expectCreated ? 1 : 0) << row.newwin;
        EXPECT_EQ(state.window.openedone, row.expectCreated);
        auto* used = static_cast<FakeBrowserWindow*>(viewer.WebBrowser1());
        EXPECT_EQ(used->navigated, QStringList { "http://a/2" });
        // Later opens keep the same window.
        viewer.openCurrent();
        EXPECT_EQ(viewer.WebBrowser1(), used);
    }
}

TEST_F(LinkViewerTest, OpenStepKeepsTheFocusAndWaitsForAnEntry)
{
    EXPECT_FALSE(m_viewer.openStep(-1));
    FakeBrowserWindow* window = m_windows.last();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->visible);
    EXPECT_EQ(window->activations, 0);
    EXPECT_EQ(m_mainActivations, 1);
    EXPECT_TRUE(window->navigated.isEmpty());
    EXPECT_FALSE(m_viewer.openStep(3));
}

TEST_F(LinkViewerTest, SteppingSelectsOnlyTheNewEntryAndNeverWraps)
{
    m_list.setCurrentIndex(1);
    m_list.setRangeSelected(0, 2, true);
    m_viewer.stepForward();
    EXPECT_EQ(m_list.currentIndex(), 2);
    EXPECT_EQ(m_list.selectedIndexes(), QList<int> { 2 });
    m_viewer.stepForward(); // at the last entry: opens it again
    EXPECT_EQ(m_list.currentIndex(), 2);
    m_viewer.stepBack();
    m_viewer.stepBack();
    m_viewer.stepBack(); // at the first entry
    EXPECT_EQ(m_list.currentIndex(), 0);
    EXPECT_EQ(m_windows.last()->navigated,
        QStringList({ "http://a/3", "http://a/3", "http://a/2", "http://a/1", "http://a/1" }));

    m_list.setCurrentIndex(-1);
    m_viewer.stepBack();
    EXPECT_EQ(m_list.currentIndex(), -1);
}

TEST_F(LinkViewerTest, PrepareStopsARunningLoad)
{
    m_list.setCurrentIndex(0);
    m_viewer.openCurrent();
    FakeBrowserWindow* window = m_windows.last();
    ASSERT_TRUE(window->busy);
    m_viewer.stepForward();
    EXPECT_EQ(window->stops, 1);
}

TEST_F(LinkViewerTest, HiddenToggleLoadsInTheHiddenWindowAndShowingActivatesIt)
{
    m_viewer.toggleBrowser(); // no window yet: nothing to toggle
    EXPECT_EQ(m_viewer.hideBrImage(), LinkViewer::kShownImage);
    m_list.setCurrentIndex(0);
    m_viewer.openCurrent();
    FakeBrowserWindow* window = m_windows.last();
    m_viewer.toggleBrowser();
    EXPECT_FALSE(window->visible);
    EXPECT_EQ(m_viewer.hideBrTooltip(), "Show browser");
    m_viewer.stepForward();
    EXPECT_FALSE(window->visible);
    EXPECT_EQ(window->navigated.last(), "http://a/2");
    m_viewer.toggleBrowser();
    EXPECT_TRUE(window->visible);
    EXPECT_EQ(window->activations, 1);
    EXPECT_EQ(m_viewer.hideBrImage(), LinkViewer::kShownImage);
}

TEST_F(LinkViewerTest, LoadEventsDriveTheStatusBar)
{
    m_list.setCurrentIndex(0);
    m_viewer.openCurrent();
    FakeBrowserWindow* window = m_windows.last();
    window->startLoad();
    EXPECT_EQ(m_view.status, "Loading link...");
    EXPECT_EQ(m_view.kind, StatusKind::LoadingLink);
    EXPECT_TRUE(m_view.arrowHourglass);
    emit window->ProgressChange(40, 100);
    EXPECT_EQ(m_view.progressMax, 100);
    EXPECT_EQ(m_view.progressValue, 40);
    emit window->ProgressChange(-1, 100);
    EXPECT_EQ(m_view.progressValue, 0);
    window->finishLoad();
    EXPECT_EQ(m_view.status, "Idle");
    EXPECT_EQ(m_view.kind, StatusKind::Idle);
    EXPECT_FALSE(m_view.waitPointer);
    EXPECT_EQ(m_view.countText, "3 links found");

    // Another window's events are not this viewer's business.
    FakeBrowserWindow other;
    emit other.BeforeNavigate2();
    EXPECT_EQ(m_view.status, "Idle");
}

// A build (or a download job) holds the main window: a page loading or the window
// closing meanwhile leaves the status, the pointer and the disabled window to it.
TEST_F(LinkViewerTest, WhileTheMainWindowIsHeldTheWindowsEventsLeaveItAlone)
{
    m_viewer.setMainWindowHeld([] { return true; });
    m_list.setCurrentIndex(0);
    m_viewer.openCurrent();
    FakeBrowserWindow* window = m_windows.last();
    m_view.setStatus(StatusKind::Building, "Building");
    m_view.setWindowEnabled(false);
    m_view.setWaitPointer(true);
    m_view.setProgress(100, 30);
    window->startLoad();
    emit window->ProgressChange(60, 100);
    window->finishLoad();
    window->closeByUser();
    EXPECT_EQ(m_view.status, "Building");
    EXPECT_FALSE(m_view.windowEnabled);
    EXPECT_TRUE(m_view.waitPointer);
    EXPECT_EQ(m_view.progressValue, 30);
    EXPECT_EQ(m_view.countText, "(untouched)");
    EXPECT_EQ(m_viewer.WebBrowser1(), nullptr);
    EXPECT_FALSE(m_state.window.openedone);
}

// A file opened in the link window or in the tour is handed on to be saved.
TEST_F(LinkViewerTest, FilesOpenedInEitherWindowAreHandedOn)
{
    QStringList requested;
    QObject::connect(&m_viewer, &LinkViewer::downloadRequested,
        [&](const QString& url) { requested.append(url); });
    m_viewer.openStep(0);
    emit m_windows.last()->FileDownload("http://a/f.zip");
    m_viewer.openTour("file:///help/tour1.shtml");
    emit m_windows.last()->FileDownload("http://a/g.bin");
    EXPECT_EQ(requested, QStringList({ "http://a/f.zip", "http://a/g.bin" }));
}

TEST_F(LinkViewerTest, ClosedWindowIsForgottenAndTheNextOpenStartsAgain)
{
    m_list.setCurrentIndex(0);
    m_viewer.openCurrent();
    m_windows.last()->startLoad();
    m_windows.last()->closeByUser();
    EXPECT_EQ(m_viewer.WebBrowser1(), nullptr);
    EXPECT_FALSE(m_state.window.openedone);
    EXPECT_TRUE(m_view.isIdle());
    m_viewer.openCurrent();
    EXPECT_EQ(m_windows.created.size(), 2);
}

// Closing one of the program's two windows leaves openedone set while the other one
// is still open, so leaving the program still asks about it.
TEST_F(LinkViewerTest, TourWindowIsReusedAndOpenedOneFollowsBothWindows)
{
    m_viewer.openTour("file:///help/QuillmarchTour/tour1.shtml");
    m_viewer.openTour("file:///help/QuillmarchTour/tour1.shtml");
    ASSERT_EQ(m_windows.created.size(), 1);
    FakeBrowserWindow* tour = m_windows.last();
    EXPECT_TRUE(tour->maximized);
    EXPECT_EQ(tour->navigated.size(), 2);
    EXPECT_TRUE(m_state.window.openedone);

    m_state.prefs.newwin = true;
    m_viewer.openStep(0);
    tour->closeByUser();
    EXPECT_TRUE(m_state.window.openedone);
    m_windows.last()->closeByUser();
    EXPECT_FALSE(m_state.window.openedone);
}

} // namespace
