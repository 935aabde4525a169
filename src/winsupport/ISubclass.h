#pragma once

#include <QtGlobal>

class QEvent;
class QObject;

// A subscriber to window messages (see MSubclass.h). On Linux a window is a QObject and a
// message is the number of a QEvent type delivered to it.
class ISubclass
{
public:
    // Values of MsgResponse.
    enum Response : qint32 {
        // WindowProc runs first, then the event goes on to the window as usual.
        PassOn = 0,
        // WindowProc runs and the event stops there: the window never sees it.
        Consume = 1,
    };

    virtual ~ISubclass() = default;

    // Asked by the dispatcher before each WindowProc call for the current message
    // (ActiveMessage() says which).
    virtual qint32 MsgResponse() = 0;
    virtual void setMsgResponse(qint32 response) = 0;
    // Handles one message; the result is the message's result (kept for the caller's
    // own use; a Qt event has no result word).
    virtual qint32 WindowProc(QObject* hWnd, int iMsg, QEvent* event) = 0;
};
