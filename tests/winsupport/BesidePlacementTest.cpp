#include <gtest/gtest.h>

#include "support/QtPrinters.h"
#include "winsupport/BesidePlacement.h"

TEST(BesidePlacementTest, RightThenLeftWithinTheScreenElseNothing)
{
    const QRect area(0, 30, 1920, 1050); // below a 30-pixel panel
    const QSize size(900, 700);
    struct Row {
        QRect main;
        std::optional<QPoint> expected;
    };
    const Row rows[] = {
        { QRect(100, 100, 500, 400), QPoint(600, 100) }, // room on the right
        { QRect(1300, 200, 500, 400), QPoint(400, 200) }, // only on the left
        { QRect(300, 600, 500, 600), QPoint(800, 380) }, // top moved up to fit
        { QRect(0, 0, 500, 400), QPoint(500, 30) }, // never under the panel
        { QRect(600, 100, 700, 400), std::nullopt }, // no side has room
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.main.x());
        EXPECT_EQ(BesidePlacement::beside(row.main, size, area), row.expected);
    }
    EXPECT_EQ(BesidePlacement::beside(QRect(0, 0, 10, 10), QSize(100, 2000), area), std::nullopt);
}
