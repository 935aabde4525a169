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
    // Fields: mnufsav sav savtgt savelist back fwd slideshow hide_br mnufileopen
    // mnusavpopbuild mnusavpopopen mnusavepoptrgt mnusavpopremove.
    const Row rows[] = {
        { 0, 0, -1, false,
            S { false, false, false, false, false, false, false, false, false, false, false, false,
                false } },
        { 0, 3, -1, true,
            S { false, true, false, true, false, false, true, true, false, false, false, false,
                false } },
        { 1, 3, 0, false,
            S { true, true, true, true, false, true, true, false, true, true, true, true, true } },
        { 2, 3, 1, false,
            S { true, true, true, true, true, true, true, false, false, false, false, true,
                false } },
        { 1, 3, 2, false,
            S { true, true, true, true, true, false, true, false, true, true, true, true, true } },
        { 1, 1, 0, false,
            S { true, true, true, true, false, false, true, false, true, true, true, true, true } },
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

} // namespace
