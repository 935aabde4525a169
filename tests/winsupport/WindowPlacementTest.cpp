#include <gtest/gtest.h>

#include "support/QtPrinters.h"
#include "winsupport/WindowPlacement.h"

static void PrintTo(const QRect& r, std::ostream* os)
{
    *os << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height();
}

TEST(WindowPlacement, KeptOnScreen)
{
    const QRect screen(0, 0, 1280, 900);
    const struct {
        QRect frame;
        QRect kept;
    } rows[] = {
        { QRect(100, 100, 820, 620), QRect(100, 100, 820, 620) },
        { QRect(300, 500, 820, 620), QRect(300, 280, 820, 620) }, // below the screen
        { QRect(-50, -20, 820, 620), QRect(0, 0, 820, 620) },
        { QRect(900, 100, 820, 620), QRect(460, 100, 820, 620) },
        { QRect(10, 10, 1400, 1000), QRect(0, 0, 1280, 900) }, // larger than the screen
    };
    for (const auto& row : rows)
        EXPECT_EQ(KeptOnScreen(row.frame, screen), row.kept) << testing::PrintToString(row.frame);
    // A second screen to the right, with a panel at its top.
    EXPECT_EQ(KeptOnScreen(QRect(1200, 0, 400, 300), QRect(1280, 30, 1920, 1050)),
        QRect(1280, 30, 400, 300));
}

TEST(WindowPlacement, PlacedBesideTheDialogOnTheScreen)
{
    const QRect screen(0, 0, 1280, 900);
    const struct {
        QRect dialog;
        QRect placed;
    } rows[] = {
        { QRect(100, 100, 300, 200), QRect(400, 100, 820, 620) }, // right
        { QRect(900, 100, 300, 200), QRect(80, 100, 820, 620) }, // no room right: left
        { QRect(500, 60, 300, 200), QRect(460, 260, 820, 620) }, // neither side: below
        { QRect(500, 650, 300, 200), QRect(460, 30, 820, 620) }, // low: above
        { QRect(477, 335, 325, 187), QRect(460, 522, 820, 378) }, // smaller, below
    };
    for (const auto& row : rows) {
        const QRect placed = PlacedBeside(QSize(820, 620), QSize(400, 300), row.dialog, screen);
        EXPECT_EQ(placed, row.placed) << testing::PrintToString(row.dialog);
        EXPECT_FALSE(placed.intersects(row.dialog)) << testing::PrintToString(row.dialog);
    }
}
