#pragma once

#include <QtGlobal>

class ISubclass;
class QObject;

// Registry of window-message subscribers. The bookkeeping lives in dynamic properties of
// the subscribed window itself, so it disappears with the window:
//   - a count of (message, subscriber) registrations on the window;
//   - per message, a count of subscribers and the subscribers in subscription order.
// When a window's first registration arrives, a dispatching event filter is installed on
// it; when its count reaches 0 through 1, the filter is removed again. The dispatcher
// sets ActiveMessage(), asks each subscriber of the event's type for MsgResponse and
// calls its WindowProc (see ISubclass::Response). Everything runs on the thread that
// owns the window.

// Throws QmError (source "MSubclass.WindowProc") for a null subscriber ("Can't subclass
// window"), a null window ("Invalid window"), a window owned by another thread ("Can't
// modify external window") and a subscriber already registered for the same message on
// the same window ("Message already handled by another class").
void SubscribeMessage(ISubclass* subscriber, QObject* window, int message);
// Removes the subscriber of that message from the window; later subscribers move up one
// place. A registration that does not exist changes nothing.
void UnsubscribeMessage(ISubclass* subscriber, QObject* window, int message);
// The message being dispatched at the moment, 0 outside a dispatch.
int ActiveMessage();

// Inspection of the bookkeeping.
int registrationCount(const QObject* window);
int subscriberCount(const QObject* window, int message);
// Subscriber number index (1-based) of the message, nullptr when out of range.
ISubclass* subscriberAt(const QObject* window, int message, int index);
// True while the dispatching filter is installed on the window.
bool isHooked(const QObject* window);

namespace MSubclassErrors
{
inline constexpr qint32 kCantSubclass = -2147220991; // 0x80040201
inline constexpr qint32 kAlreadyHandled = -2147220990; // 0x80040202
inline constexpr qint32 kInvalidWindow = -2147220989; // 0x80040203
inline constexpr qint32 kExternalWindow = -2147220988; // 0x80040204
} // namespace MSubclassErrors
