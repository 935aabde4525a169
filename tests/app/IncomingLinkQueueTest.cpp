#include <QCoreApplication>
#include <QStringList>
#include <gtest/gtest.h>

#include "app/IncomingLinkQueue.h"

namespace
{

TEST(IncomingLinkQueueTest, RefusesBeyondTheLimitAndOnceClosed)
{
    IncomingLinkQueue queue([](const QString&) {});
    for (qsizetype i = 0; i < IncomingLinkQueue::kMaxWaiting; ++i)
        ASSERT_TRUE(queue.offer(QStringLiteral("https://a.example/%1").arg(i)));
    EXPECT_FALSE(queue.offer(QStringLiteral("https://a.example/over")));
    queue.close();
    EXPECT_EQ(queue.waiting(), 0);
    EXPECT_FALSE(queue.offer(QStringLiteral("https://a.example/late")));
}

// A link offered while an earlier step waits is taken after that step has returned,
// in order, and never inside the call that offered it.
TEST(IncomingLinkQueueTest, StepsRunOneAtATimeInOrder)
{
    QStringList log;
    IncomingLinkQueue* self = nullptr;
    IncomingLinkQueue queue([&](const QString& link) {
        log << QStringLiteral("begin ") + link;
        if (link == QLatin1String("1")) {
            self->offer(QStringLiteral("3"));
            QCoreApplication::processEvents(); // a question's event loop
        }
        log << QStringLiteral("end ") + link;
    });
    self = &queue;
    queue.offer(QStringLiteral("1"));
    queue.offer(QStringLiteral("2"));
    EXPECT_TRUE(log.isEmpty());
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(log, QStringList({ "begin 1", "end 1", "begin 2", "end 2", "begin 3", "end 3" }));
}

TEST(IncomingLinkQueueTest, HeldLinksWaitAndAreTakenInOrderOnceReleased)
{
    QStringList taken;
    IncomingLinkQueue queue([&](const QString& link) { taken << link; });
    queue.setHeld(true);
    queue.offer(QStringLiteral("1"));
    queue.offer(QStringLiteral("2"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(taken.isEmpty());
    queue.setHeld(false);
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(taken, QStringList({ "1", "2" }));
}

} // namespace
