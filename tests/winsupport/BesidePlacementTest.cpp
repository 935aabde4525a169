#include <gtest/gtest.h>

#include "support/QtPrinters.h"
#include "winsupport/BesidePlacement.h"

TEST(BesidePlacementTest, BesideWhereThereIsRoomElseOverButOnTheScreen)
{
    const QRect area(0, 30, 1600, 970); // below a 30-pixel panel
    struct Row {
        QRect main;
        QSize size;
        QRect expected;
    };
    const Row rows[] = {
        { QRect(100, 100, 500, 400), QSize(900, 700), QRect(600, 100, 900, 700) }, // right
        { QRect(1000, 200, 500, 400), QSize(900, 700), QRect(100, 200, 900, 700) }, // left
        { QRect(300, 600, 300, 600), QSize(900, 700), QRect(600, 300, 900, 700) }, // top up
        { QRect(0, 0, 500, 400), QSize(900, 700), QRect(500, 30, 900, 700) }, // under panel
        // Too wide for either side: narrowed into the wider one.
        { QRect(100, 100, 700, 400), QSize(1200, 750), QRect(800, 100, 800, 750) },
        { QRect(900, 100, 600, 400), QSize(1200, 750), QRect(0, 100, 900, 750) },
        // No side has the minimum: over the main window, moved onto the screen.
        { QRect(500, 100, 600, 400), QSize(1200, 750), QRect(400, 100, 1200, 750) },
        // Larger than the screen: the screen's size, at its corner.
        { QRect(500, 100, 600, 400), QSize(2000, 1200), QRect(0, 30, 1600, 970) },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.main.x());
        const QRect placed = BesidePlacement::place(row.main, row.size, area);
        EXPECT_EQ(placed, row.expected);
        EXPECT_TRUE(area.contains(placed));
    }
}
