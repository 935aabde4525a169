#pragma once

#include <QString>
#include <QThread>
#include <atomic>
#include <memory>

#include "download/IAria2Rpc.h"

// JSON-RPC over HTTP POST to an aria2 daemon with libcurl, one call at a time on a
// worker thread of its own; replies come back on the owner's thread. Closing the client
// abandons a call in flight.
class CurlAria2Rpc final : public IAria2Rpc
{
    Q_OBJECT
public:
    explicit CurlAria2Rpc(QString url, int timeoutSeconds = 30, QObject* parent = nullptr);
    ~CurlAria2Rpc() override;

    quint64 call(const QString& method, const QJsonArray& params) override;

private:
    QString m_url;
    int m_timeoutSeconds;
    QThread m_thread;
    QObject* m_worker;
    std::shared_ptr<std::atomic<bool>> m_abandon;
    quint64 m_lastId = 0;
};
