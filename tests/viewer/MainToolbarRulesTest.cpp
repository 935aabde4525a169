#include <gtest/gtest.h>

#include "viewer/MainToolbarRules.h"

namespace
{

TEST(MainToolbarRulesTest, EnabledStatesFollowSelectionCountAndCurrentEntry)
{
    using S = MainToolbarRules::States;
    struct Row {
        int n, c, current;
        bool browser;
        S expected;
    };
    // One selected entry: every command but hiding the browser; back and forward vary.
    auto oneSelected = [](bool back, bool fwd) {
        return S { .mnufsav = true,
            .sav = true,
            .savtgt = true,
            .savelist = true,
            .back = back,
            .fwd = fwd,
            .slideshow = true,
            .mnufileopen = true,
            .mnusavpopbuild = true,
            .mnusavpopopen = true,
            .mnusavepoptrgt = true,
            .mnusavpopremove = true };
    };
    const Row rows[] = {
        { 0, 0, -1, false, S {} },
        { 0, 3, -1, true, S { .sav = true, .savelist = true, .slideshow = true, .hide_br = true } },
        { 1, 3, 0, false, oneSelected(false, true) },
        { 2, 3, 1, false,
            S { .mnufsav = true,
                .sav = true,
                .savtgt = true,
                .savelist = true,
                .back = true,
                .fwd = true,
                .slideshow = true,
                .mnusavepoptrgt = true } },
        { 1, 3, 2, false, oneSelected(true, false) },
        { 1, 1, 0, false, oneSelected(false, false) },
    };
    for (const Row& row : rows)
        EXPECT_EQ(MainToolbarRules::states(row.n, row.c, row.current, row.browser), row.expected)
            << row.n << " " << row.c << " " << row.current;
}

TEST(MainToolbarRulesTest, OnlyTheModeBrowserAndSlideshowButtonsLeaveAShowRunning)
{
    for (const char* key : { "resize", "slideshow", "hide_br" })
        EXPECT_FALSE(MainToolbarRules::stopsSlideshow(QString::fromLatin1(key))) << key;
    for (const char* key : { "back", "fwd", "sav", "help", "list_url", "Resize" })
        EXPECT_TRUE(MainToolbarRules::stopsSlideshow(QString::fromLatin1(key))) << key;
}

TEST(MainToolbarRulesTest, OnlyALoadingLinkOrARunningShowKeepsItsStatusAfterHover)
{
    for (StatusKind kind : { StatusKind::LoadingLink, StatusKind::Slideshow })
        EXPECT_TRUE(MainToolbarRules::statusIsReported(kind));
    for (StatusKind kind :
        { StatusKind::Idle, StatusKind::Building, StatusKind::SlideshowPaused, StatusKind::Other })
        EXPECT_FALSE(MainToolbarRules::statusIsReported(kind));
}

} // namespace
