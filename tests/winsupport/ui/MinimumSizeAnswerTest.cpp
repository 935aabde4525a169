#include <gtest/gtest.h>

#include <QWidget>

#include "winsupport/ISubclass.h"
#include "winsupport/MSubclass.h"
#include "winsupport/SizeLimitsEvent.h"
#include "winsupport/ui/MinimumSizeAnswer.h"

namespace
{

// Answers the size-limits query the way the main window does.
struct MinimumTracker final : ISubclass {
    int meX = 320, meY = 240;
    qint32 MsgResponse() override { return 0; }
    void setMsgResponse(qint32) override { }
    qint32 WindowProc(QObject*, int, QEvent* event) override
    {
        SizeLimitsEvent::answer(event, meX, meY);
        return 0;
    }
};

} // namespace

TEST(MinimumSizeAnswer, SubscribersAnswerBecomesTheMinimumSize)
{
    QWidget window;
    window.resize(400, 300);
    MinimumTracker tracker;
    SubscribeMessage(&tracker, &window, SizeLimitsEvent::queryType());
    EXPECT_EQ(MinimumSizeAnswer::query(&window), QSize(320, 240));
    window.resize(100, 100);
    EXPECT_EQ(window.size(), QSize(320, 240));

    // A smaller minimum, as for the compact mode, lets the window shrink.
    tracker.meX = 150;
    tracker.meY = 60;
    EXPECT_EQ(MinimumSizeAnswer::query(&window), QSize(150, 60));

    // Without a subscriber the query leaves the minimum as it is.
    UnsubscribeMessage(&tracker, &window, SizeLimitsEvent::queryType());
    tracker.meX = 500;
    EXPECT_EQ(MinimumSizeAnswer::query(&window), QSize(150, 60));
}
