#include "winsupport/MSubclass.h"

#include <QByteArray>
#include <QEvent>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <QVariant>
#include <algorithm>

#include "winsupport/ISubclass.h"
#include "winsupport/QmError.h"

namespace
{

// Property names on the subscribed window. The prefix keeps them apart from the
// window's own dynamic properties.
const char* const kCountName = "qm.subclass.C";
const char* const kHookedName = "qm.subclass.H";

QByteArray messageCountName(int message)
{
    return "qm.subclass." + QByteArray::number(message) + "C";
}

QByteArray subscriberName(int message, int index)
{
    return "qm.subclass." + QByteArray::number(message) + "#" + QByteArray::number(index);
}

int readInt(const QObject* window, const char* name)
{
    return window->property(name).toInt();
}

int activeMessage = 0;

void raise(qint32 number, const char* description)
{
    throw QmError(number, QStringLiteral("MSubclass.WindowProc"), QString::fromLatin1(description));
}

int findSubscriber(const QObject* window, int message, const ISubclass* subscriber)
{
    const int count = subscriberCount(window, message);
    for (int i = 1; i <= count; ++i) {
        if (subscriberAt(window, message, i) == subscriber)
            return i;
    }
    return 0;
}

// The event filter that stands in for a replaced window procedure: it hands the events
// of subscribed types to their subscribers and lets everything else through untouched.
class Dispatcher final : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const int message = event->type();
        const int count = subscriberCount(watched, message);
        if (count <= 0)
            return false;
        // Subscribers may unsubscribe (themselves or others) while they run, so work on
        // a snapshot and skip anyone no longer registered when their turn comes.
        QList<ISubclass*> subscribers;
        for (int i = 1; i <= count; ++i)
            subscribers.append(subscriberAt(watched, message, i));

        const QPointer<QObject> window(watched);
        const int outer = activeMessage;
        bool consumed = false;
        for (ISubclass* subscriber : subscribers) {
            if (!window) {
                consumed = true;
                break;
            }
            if (findSubscriber(watched, message, subscriber) == 0)
                continue;
            activeMessage = message;
            const qint32 response = subscriber->MsgResponse();
            activeMessage = message;
            subscriber->WindowProc(watched, message, event);
            if (response == ISubclass::Consume) {
                consumed = true;
                break;
            }
        }
        activeMessage = outer;
        return consumed || !window;
    }
};

// One dispatcher per thread: an event filter must live in the thread of the objects it
// watches.
Dispatcher* dispatcher()
{
    thread_local Dispatcher* instance = new Dispatcher;
    return instance;
}

} // namespace

void SubscribeMessage(ISubclass* subscriber, QObject* window, int message)
{
    if (!subscriber)
        raise(MSubclassErrors::kCantSubclass, "Can't subclass window");
    if (!window)
        raise(MSubclassErrors::kInvalidWindow, "Invalid window");
    if (window->thread() != QThread::currentThread())
        raise(MSubclassErrors::kExternalWindow, "Can't modify external window");
    if (findSubscriber(window, message, subscriber) != 0)
        raise(MSubclassErrors::kAlreadyHandled, "Message already handled by another class");

    if (!isHooked(window)) {
        window->installEventFilter(dispatcher());
        window->setProperty(kHookedName, true);
    }
    window->setProperty(kCountName, std::max(0, registrationCount(window)) + 1);

    const int count = std::max(0, subscriberCount(window, message)) + 1;
    window->setProperty(subscriberName(message, count).constData(),
        QVariant::fromValue(reinterpret_cast<quintptr>(subscriber)));
    window->setProperty(messageCountName(message).constData(), count);
}

void UnsubscribeMessage(ISubclass* subscriber, QObject* window, int message)
{
    if (!subscriber || !window || window->thread() != QThread::currentThread())
        return;
    const int position = findSubscriber(window, message, subscriber);
    if (position == 0)
        return;

    const int count = subscriberCount(window, message);
    for (int i = position + 1; i <= count; ++i)
        window->setProperty(subscriberName(message, i - 1).constData(),
            window->property(subscriberName(message, i).constData()));
    window->setProperty(subscriberName(message, count).constData(), QVariant());
    window->setProperty(messageCountName(message).constData(), count - 1);

    const int registrations = registrationCount(window);
    if (registrations == 1) {
        window->removeEventFilter(dispatcher());
        window->setProperty(kHookedName, QVariant());
        window->setProperty(kCountName, QVariant());
    } else {
        window->setProperty(kCountName, registrations - 1);
    }
}

int ActiveMessage()
{
    return activeMessage;
}

int registrationCount(const QObject* window)
{
    return window ? readInt(window, kCountName) : 0;
}

int subscriberCount(const QObject* window, int message)
{
    return window ? readInt(window, messageCountName(message).constData()) : 0;
}

ISubclass* subscriberAt(const QObject* window, int message, int index)
{
    if (!window || index < 1 || index > subscriberCount(window, message))
        return nullptr;
    const QVariant value = window->property(subscriberName(message, index).constData());
    return reinterpret_cast<ISubclass*>(value.value<quintptr>());
}

bool isHooked(const QObject* window)
{
    return window && window->property(kHookedName).toBool();
}
