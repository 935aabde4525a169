#pragma once

#include <QJsonArray>
#include <QJsonValue>
#include <QObject>
#include <QString>

// The answer to one JSON-RPC call: its result, or the daemon's fault (code and message),
// or, with unreachable set, why no answer came (the daemon is not there, the connection
// broke, the reply was not JSON-RPC).
struct Aria2Reply {
    bool ok = false;
    QJsonValue result;
    bool unreachable = false;
    int code = 0;
    QString message;
};

// JSON-RPC calls to an aria2 daemon at one address, answered on the thread that owns the
// client in the order they were sent. The caller puts the "token:SECRET" parameter
// first where the daemon wants one.
class IAria2Rpc : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~IAria2Rpc() override = default;

    // Sends method with params and returns the id its reply comes with.
    virtual quint64 call(const QString& method, const QJsonArray& params) = 0;

signals:
    void replied(quint64 id, const Aria2Reply& reply);
};
