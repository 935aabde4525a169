#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QList>
#include <QObject>
#include <QSize>
#include <functional>

#include "winsupport/ISubclass.h"
#include "winsupport/MSubclass.h"
#include "winsupport/QmError.h"
#include "winsupport/SizeLimitsEvent.h"

namespace {

const auto kMessage = static_cast<QEvent::Type>(QEvent::registerEventType());
const auto kOtherMessage = static_cast<QEvent::Type>(QEvent::registerEventType());

// A window that counts the events of kMessage that reach it.
class Window final : public QObject {
public:
    int delivered = 0;

protected:
    void customEvent(QEvent* event) override
    {
        if (event->type() == kMessage)
            ++delivered;
    }
};

class Subscriber final : public ISubclass {
public:
    explicit Subscriber(QList<Subscriber*>* log = nullptr, qint32 response = PassOn)
        : m_log(log)
        , m_response(response)
    {
    }

    int calls = 0;
    int seenActive = 0;
    std::function<void()> onCall;

    qint32 MsgResponse() override { return m_response; }
    void setMsgResponse(qint32 response) override { m_response = response; }
    qint32 WindowProc(QObject*, int, QEvent*) override
    {
        ++calls;
        seenActive = ActiveMessage();
        if (m_log)
            m_log->append(this);
        if (onCall)
            onCall();
        return 0;
    }

private:
    QList<Subscriber*>* m_log;
    qint32 m_response;
};

void send(QObject* window, QEvent::Type type = kMessage)
{
    QEvent event(type);
    QCoreApplication::sendEvent(window, &event);
}

} // namespace

TEST(MSubclass, KeepsSubscribersInOrderAndShiftsOnRemoval)
{
    Window window;
    Subscriber first, second, other;
    SubscribeMessage(&first, &window, kMessage);
    SubscribeMessage(&second, &window, kMessage);
    SubscribeMessage(&other, &window, kOtherMessage);
    EXPECT_EQ(RegistrationCount(&window), 3);
    EXPECT_EQ(SubscriberCount(&window, kMessage), 2);
    EXPECT_EQ(SubscriberAt(&window, kMessage, 1), &first);
    EXPECT_EQ(SubscriberAt(&window, kMessage, 2), &second);

    UnsubscribeMessage(&first, &window, kMessage);
    EXPECT_EQ(SubscriberCount(&window, kMessage), 1);
    EXPECT_EQ(SubscriberAt(&window, kMessage, 1), &second);
    EXPECT_EQ(SubscriberAt(&window, kMessage, 2), nullptr);
    EXPECT_EQ(RegistrationCount(&window), 2);
    EXPECT_TRUE(IsHooked(&window));

    UnsubscribeMessage(&second, &window, kMessage);
    EXPECT_TRUE(IsHooked(&window));
    UnsubscribeMessage(&other, &window, kOtherMessage);
    EXPECT_EQ(RegistrationCount(&window), 0);
    EXPECT_FALSE(IsHooked(&window));

    send(&window);
    EXPECT_EQ(first.calls + second.calls + other.calls, 0);
    EXPECT_EQ(window.delivered, 1);
}

TEST(MSubclass, DispatchesInSubscriptionOrderWithTheActiveMessage)
{
    Window window;
    QList<Subscriber*> log;
    Subscriber first(&log), second(&log), other(&log);
    SubscribeMessage(&first, &window, kMessage);
    SubscribeMessage(&second, &window, kMessage);
    SubscribeMessage(&other, &window, kOtherMessage);

    send(&window);
    EXPECT_EQ(log, (QList<Subscriber*>{&first, &second}));
    EXPECT_EQ(first.seenActive, kMessage);
    EXPECT_EQ(ActiveMessage(), 0);
    EXPECT_EQ(window.delivered, 1);
}

TEST(MSubclass, ConsumingSubscriberStopsTheEvent)
{
    Window window;
    Subscriber consumer(nullptr, ISubclass::Consume), later;
    SubscribeMessage(&consumer, &window, kMessage);
    SubscribeMessage(&later, &window, kMessage);
    send(&window);
    EXPECT_EQ(consumer.calls, 1);
    EXPECT_EQ(later.calls, 0);
    EXPECT_EQ(window.delivered, 0);
}

TEST(MSubclass, UnknownRegistrationChangesNothing)
{
    Window window;
    Subscriber stranger;
    UnsubscribeMessage(&stranger, &window, kMessage);
    EXPECT_EQ(RegistrationCount(&window), 0);
    EXPECT_FALSE(IsHooked(&window));

    // A later subscription is still dispatched, and removing a subscriber that was never
    // registered neither drops the registered one nor unhooks the window.
    Subscriber member;
    SubscribeMessage(&member, &window, kMessage);
    UnsubscribeMessage(&stranger, &window, kMessage);
    UnsubscribeMessage(&member, &window, kOtherMessage);
    EXPECT_EQ(SubscriberAt(&window, kMessage, 1), &member);
    EXPECT_EQ(RegistrationCount(&window), 1);
    send(&window);
    EXPECT_EQ(member.calls, 1);
}

TEST(MSubclass, SubscriberMayUnsubscribeWhileDispatched)
{
    Window window;
    Subscriber leaving, staying;
    leaving.onCall = [&] { UnsubscribeMessage(&leaving, &window, kMessage); };
    SubscribeMessage(&leaving, &window, kMessage);
    SubscribeMessage(&staying, &window, kMessage);
    send(&window);
    send(&window);
    EXPECT_EQ(leaving.calls, 1);
    EXPECT_EQ(staying.calls, 2);

    // Removing a later subscriber during the dispatch keeps it from being called.
    Subscriber remover, removed;
    remover.onCall = [&] { UnsubscribeMessage(&removed, &window, kOtherMessage); };
    SubscribeMessage(&remover, &window, kOtherMessage);
    SubscribeMessage(&removed, &window, kOtherMessage);
    send(&window, kOtherMessage);
    EXPECT_EQ(removed.calls, 0);
}

TEST(MSubclass, RefusesBadSubscriptions)
{
    Window window;
    Subscriber subscriber;
    const struct {
        ISubclass* subscriber;
        QObject* window;
        qint32 number;
        const char* description;
    } rows[] = {
        {nullptr, &window, MSubclassErrors::kCantSubclass, "Can't subclass window"},
        {&subscriber, nullptr, MSubclassErrors::kInvalidWindow, "Invalid window"},
    };
    for (const auto& row : rows) {
        try {
            SubscribeMessage(row.subscriber, row.window, kMessage);
            ADD_FAILURE() << row.description;
        } catch (const QmError& error) {
            EXPECT_EQ(error.number, row.number);
            EXPECT_EQ(error.description, row.description);
            EXPECT_TRUE(error.source.endsWith(".WindowProc"));
        }
    }
    SubscribeMessage(&subscriber, &window, kMessage);
    EXPECT_THROW(SubscribeMessage(&subscriber, &window, kMessage), QmError);
    EXPECT_EQ(RegistrationCount(&window), 1);
    EXPECT_EQ(SubscriberCount(&window, kMessage), 1);
}

TEST(SizeLimitsEvent, AnswersOnlyTheSizeLimitsQuery)
{
    SizeLimitsEvent query(QSize(10, 10));
    EXPECT_TRUE(SizeLimitsEvent::answer(&query, 320, 240));
    EXPECT_EQ(query.minTrackSize(), QSize(320, 240));
    QEvent other(kMessage);
    EXPECT_FALSE(SizeLimitsEvent::answer(&other, 320, 240));
}
