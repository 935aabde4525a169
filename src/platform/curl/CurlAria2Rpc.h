#pragma once

#include <QString>
#include <deque>
#include <memory>

#include "download/IAria2Rpc.h"

class CurlCall;
class CurlMailbox;

// JSON-RPC over HTTP POST to an aria2 daemon with libcurl, one call at a time on the
// curl thread; replies come back on the owner's thread. Closing the client abandons a
// call in flight and drops the calls still waiting.
class CurlAria2Rpc final : public IAria2Rpc
{
    Q_OBJECT
public:
    explicit CurlAria2Rpc(QString url, int timeoutSeconds = 30, QObject* parent = nullptr);
    ~CurlAria2Rpc() override;

    quint64 call(const QString& method, const QJsonArray& params) override;

private:
    void sendNext();

    QString m_url;
    int m_timeoutSeconds;
    std::shared_ptr<CurlMailbox> m_mailbox;
    std::deque<std::pair<quint64, QByteArray>> m_waiting; // calls not sent yet
    std::shared_ptr<CurlCall> m_inFlight;
    quint64 m_lastId = 0;
};
