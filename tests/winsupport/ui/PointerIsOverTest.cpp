#include <gtest/gtest.h>

#include <QCursor>
#include <QWidget>

#include "winsupport/ui/PointerIsOver.h"

TEST(PointerIsOver, IncludesTheEdgesOfTheControl)
{
    QWidget container;
    container.setGeometry(40, 50, 300, 200);
    auto* control = new QWidget(&container);
    control->setGeometry(10, 20, 50, 30); // right edge 60, bottom edge 50
    container.show();

    const struct {
        QPoint inContainer;
        bool over;
    } rows[] = {
        { { 10, 20 }, true },
        { { 60, 50 }, true },
        { { 35, 35 }, true },
        { { 60, 20 }, true },
        { { 9, 35 }, false },
        { { 61, 35 }, false },
        { { 35, 19 }, false },
        { { 35, 51 }, false },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PointerIsOver(control, container.mapToGlobal(row.inContainer)), row.over)
            << row.inContainer.x() << "," << row.inContainer.y();
    }
    EXPECT_FALSE(PointerIsOver(nullptr, QPoint(0, 0)));
}
