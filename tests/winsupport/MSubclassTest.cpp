#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QList>
#include <QObject>
#include <functional>

#include "winsupport/ISubclass.h"
#include "winsupport/MSubclass.h"
#include "winsupport/QmError.h"

namespace
{

const auto kMessage = static_cast<QEvent::Type>(QEvent::registerEventType());
const auto kOther = static_cast<QEvent::Type>(QEvent::registerEventType());

// A window that counts the events of kMessage that reach it.
struct Window final : QObject {
    int delivered = 0;
    void customEvent(QEvent* event) override { delivered += event->type() == kMessage; }
};

struct Subscriber final : ISubclass {
    explicit Subscriber(QList<Subscriber*>* log = nullptr, qint32 response = PassOn)
        : log(log)
        , response(response)
    {
    }
    QList<Subscriber*>* log;
    qint32 response;
    int calls = 0, seenActive = 0;
    std::function<void()> onCall;

    qint32 MsgResponse() override { return response; }
    void setMsgResponse(qint32 value) override { response = value; }
    qint32 WindowProc(QObject*, int, QEvent*) override
    {
        ++calls;
        seenActive = ActiveMessage();
        if (log)
            log->append(this);
        if (onCall)
            onCall();
        return 0;
    }
};

void send(QObject* window, QEvent::Type type = kMessage)
{
    QEvent event(type);
    QCoreApplication::sendEvent(window, &event);
}

} // namespace

TEST(MSubclass, CountsShiftsAndUnhooksOnlyAtTheLastRegistration)
{
    Window window;
    QList<Subscriber*> log;
    Subscriber first(&log), second(&log), other(&log);
    SubscribeMessage(&first, &window, kMessage);
    SubscribeMessage(&second, &window, kMessage);
    SubscribeMessage(&other, &window, kOther);
    EXPECT_EQ(registrationCount(&window), 3);
    EXPECT_EQ(subscriberCount(&window, kMessage), 2);

    send(&window);
    EXPECT_EQ(log, (QList<Subscriber*> { &first, &second }));
    EXPECT_EQ(first.seenActive, kMessage);
    EXPECT_EQ(ActiveMessage(), 0);
    EXPECT_EQ(window.delivered, 1);

    UnsubscribeMessage(&first, &window, kMessage);
    EXPECT_EQ(subscriberCount(&window, kMessage), 1);
    EXPECT_EQ(subscriberAt(&window, kMessage, 1), &second);
    EXPECT_EQ(subscriberAt(&window, kMessage, 2), nullptr);
    UnsubscribeMessage(&second, &window, kMessage);
    EXPECT_EQ(registrationCount(&window), 1);
    EXPECT_TRUE(isHooked(&window));
    UnsubscribeMessage(&other, &window, kOther);
    EXPECT_EQ(registrationCount(&window), 0);
    EXPECT_FALSE(isHooked(&window));

    log.clear();
    send(&window);
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(window.delivered, 2);
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
    Subscriber stranger, member;
    UnsubscribeMessage(&stranger, &window, kMessage);
    EXPECT_EQ(registrationCount(&window), 0);
    // Neither drops the registered subscriber nor unhooks the window.
    SubscribeMessage(&member, &window, kMessage);
    UnsubscribeMessage(&stranger, &window, kMessage);
    UnsubscribeMessage(&member, &window, kOther);
    EXPECT_EQ(subscriberAt(&window, kMessage, 1), &member);
    EXPECT_EQ(registrationCount(&window), 1);
    send(&window);
    EXPECT_EQ(member.calls, 1);
}

TEST(MSubclass, SubscribersMayUnsubscribeWhileDispatched)
{
    Window window;
    Subscriber leaving, removed;
    leaving.onCall = [&] {
        UnsubscribeMessage(&leaving, &window, kMessage);
        UnsubscribeMessage(&removed, &window, kMessage);
    };
    SubscribeMessage(&leaving, &window, kMessage);
    SubscribeMessage(&removed, &window, kMessage);
    send(&window);
    send(&window);
    EXPECT_EQ(leaving.calls, 1);
    EXPECT_EQ(removed.calls, 0);
    EXPECT_FALSE(isHooked(&window));
}

TEST(MSubclass, RefusesBadSubscriptions)
{
    Window window;
    Subscriber subscriber;
    try {
        SubscribeMessage(&subscriber, nullptr, kMessage);
        FAIL();
    } catch (const QmError& error) {
        EXPECT_EQ(error.number, MSubclassErrors::kInvalidWindow);
        EXPECT_EQ(error.source, "MSubclass.WindowProc");
        EXPECT_EQ(error.description, "Invalid window");
    }
    EXPECT_THROW(SubscribeMessage(nullptr, &window, kMessage), QmError);
    SubscribeMessage(&subscriber, &window, kMessage);
    EXPECT_THROW(SubscribeMessage(&subscriber, &window, kMessage), QmError);
    EXPECT_EQ(registrationCount(&window), 1);
}
