#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "core/MainState.h"
#include "listops/LinkList.h"
#include "settings/CRegSettings.h"
#include "support/FakeBrowserWindows.h"
#include "support/RecordingMainView.h"
#include "support/ScriptedPrompt.h"
#include "support/TempSettingsStore.h"
#include "support/WaitFor.h"
#include "viewer/LinkViewer.h"
#include "viewer/Slideshow.h"

namespace
{

SlideshowOptions options(bool justSelected, bool fromLoadComplete, int interval = 1)
{
    return SlideshowOptions { justSelected, fromLoadComplete, interval };
}

class SlideshowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_list.addMany({ "http://a/1", "http://a/2", "http://a/3" });
        m_viewer.setSlideshow(&m_show);
        // One "second" of the interval lasts 5 ms.
        m_show.setMillisecondsPerSecond(5);
    }

    FakeBrowserWindow* window() { return m_windows.last(); }

    TempSettingsStore m_temp;
    CRegSettings m_settings = m_temp.settings();
    MainState m_state;
    LinkList m_list;
    RecordingMainView m_view;
    ScriptedPrompt m_prompt;
    FakeBrowserWindows m_windows;
    LinkViewer m_viewer { m_state.prefs, m_state.window, m_list, m_view, m_windows, {} };
    Slideshow m_show { m_viewer, m_list, m_view, m_prompt, m_settings };
};

TEST_F(SlideshowTest, OptionsStartFromDefaultsAndAreKept)
{
    EXPECT_EQ(Slideshow::LoadOptions(m_settings), options(true, true, 4));
    m_prompt.slideshowOptions.push_back(options(false, false, 120));
    m_show.buttonClicked(true);
    EXPECT_EQ(m_settings.GetSetting("slideshow", "Interval", ""), "120");
    EXPECT_EQ(m_settings.GetSetting("slideshow", "Include Files", ""), "0");
    EXPECT_EQ(m_settings.GetSetting("slideshow", "Wait", ""), "0");
    EXPECT_EQ(m_show.timerInterval(), 120 * 5);
    m_show.stopByOtherButton();

    m_prompt.slideshowOptions.push_back(std::nullopt);
    m_show.buttonClicked(true);
    EXPECT_EQ(m_prompt.lastSlideshowStored, options(false, false, 120));
    EXPECT_FALSE(m_show.running());
}

TEST_F(SlideshowTest, JustSelectedWithoutSelectionAsksAgain)
{
    m_prompt.slideshowOptions.push_back(options(true, true));
    m_prompt.slideshowOptions.push_back(std::nullopt);
    m_view.setStatus(StatusKind::Other, "Before");
    m_show.buttonClicked(true);
    EXPECT_EQ(m_view.status, "Before");
    EXPECT_EQ(m_view.kind, StatusKind::Other);
    EXPECT_EQ(m_prompt.slideshowOptionsAsked, 2);
    ASSERT_EQ(m_prompt.messages.size(), 1);
    EXPECT_EQ(m_prompt.messages[0].title, "Oops!");
    EXPECT_FALSE(m_show.running());
    EXPECT_TRUE(m_windows.created.isEmpty());
}

TEST_F(SlideshowTest, LoadCompleteModeCountsFromEachCompletionAndEndsAtTheLastSlide)
{
    m_list.setSelected(0, true);
    m_list.setSelected(2, true);
    m_prompt.slideshowOptions.push_back(options(true, true));
    m_show.buttonClicked(true);
    ASSERT_TRUE(m_show.running());
    EXPECT_EQ(m_show.batchlinks(), QStringList({ "http://a/1", "http://a/3" }));
    EXPECT_EQ(window()->navigated, QStringList { "http://a/1" });
    EXPECT_FALSE(m_show.timerActive());

    window()->finishLoad();
    EXPECT_TRUE(m_show.timerActive());
    EXPECT_EQ(m_view.status, "Slideshow in progress.");
    ASSERT_TRUE(waitFor([&] { return window()->navigated.size() == 2; }));
    EXPECT_FALSE(m_show.timerActive());
    EXPECT_EQ(window()->navigated.last(), "http://a/3");

    window()->finishLoad();
    EXPECT_FALSE(m_show.running());
    EXPECT_FALSE(m_show.timerActive());
    EXPECT_EQ(m_view.status, "Idle");
    EXPECT_EQ(m_view.countText, "3 links found");
}

TEST_F(SlideshowTest, LoadStartModeWaitsForABusyPageBeforeTheNextSlide)
{
    m_prompt.slideshowOptions.push_back(options(false, false));
    m_show.buttonClicked(true);
    ASSERT_TRUE(m_show.timerActive());
    // The first page is still loading when the interval ends.
    ASSERT_TRUE(waitFor([&] { return m_show.position() == 2; }));
    EXPECT_EQ(window()->navigated.size(), 1);
    window()->finishLoad();
    ASSERT_TRUE(waitFor([&] { return window()->navigated.size() == 2; }));
    EXPECT_EQ(window()->navigated.last(), "http://a/2");
    EXPECT_TRUE(m_show.timerActive());
}

TEST_F(SlideshowTest, PauseResumesOrStops)
{
    m_prompt.slideshowOptions.push_back(options(false, true));
    m_show.buttonClicked(true);
    m_prompt.slideshowResumes.push_back(true);
    m_show.buttonClicked(false);
    EXPECT_TRUE(m_show.running());
    EXPECT_TRUE(m_show.timerActive()); // the interval starts again at once
    EXPECT_EQ(m_view.status, "Slideshow in progress.");

    m_prompt.slideshowResumes.push_back(false);
    m_show.buttonClicked(false);
    EXPECT_FALSE(m_show.running());
    EXPECT_TRUE(m_show.stopped());
    EXPECT_FALSE(m_show.timerActive());
    EXPECT_EQ(m_view.status, "Idle");
    // A page completing after the stop does not bring the show back.
    window()->finishLoad();
    EXPECT_FALSE(m_show.timerActive());
}

TEST_F(SlideshowTest, ClosingTheWindowEndsTheShowForGood)
{
    m_prompt.slideshowOptions.push_back(options(false, true));
    m_show.buttonClicked(true);
    window()->closeByUser();
    EXPECT_FALSE(m_show.running());
    EXPECT_FALSE(m_show.timerActive());
    // Opening a link later in a new window must not restart the old show.
    m_list.setCurrentIndex(0);
    m_viewer.openCurrent();
    window()->finishLoad();
    EXPECT_FALSE(m_show.timerActive());
}

TEST_F(SlideshowTest, StopDuringAWaitingAdvanceDropsIt)
{
    m_prompt.slideshowOptions.push_back(options(false, false));
    m_show.buttonClicked(true);
    ASSERT_TRUE(waitFor([&] { return m_show.position() == 2; }));
    m_show.stopByOtherButton();
    window()->finishLoad();
    QCoreApplication::processEvents();
    EXPECT_EQ(window()->navigated.size(), 1);
    EXPECT_EQ(m_view.status, "Idle");
}

TEST_F(SlideshowTest, StartCopiesTheLinks)
{
    m_prompt.slideshowOptions.push_back(options(false, true));
    m_show.buttonClicked(true);
    m_list.clear();
    window()->finishLoad();
    ASSERT_TRUE(waitFor([&] { return window()->navigated.size() == 2; }));
    EXPECT_EQ(window()->navigated.last(), "http://a/2");
}

} // namespace
