#include "platform/curl/CurlAria2Rpc.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <curl/curl.h>

#include "platform/curl/CurlCall.h"
#include "platform/curl/CurlEngine.h"
#include "platform/curl/CurlMailbox.h"
#include "platform/curl/CurlSetup.h"

namespace
{

constexpr qsizetype kMaxReplyBytes = 64 * 1024 * 1024;

// One call's request body and answer, alive as long as its request.
struct Exchange {
    QByteArray body;
    QByteArray reply;
    char error[CURL_ERROR_SIZE] = {};
};

size_t onBody(char* data, size_t size, size_t count, void* user)
{
    auto* exchange = static_cast<Exchange*>(user);
    const size_t bytes = size * count;
    if (exchange->reply.size() + static_cast<qsizetype>(bytes) > kMaxReplyBytes)
        return 0; // a reply this big is no answer of the daemon's
    exchange->reply.append(data, static_cast<qsizetype>(bytes));
    return bytes;
}

size_t onHeader(char*, size_t size, size_t count, void*)
{
    return size * count;
}

Aria2Reply unreachable(const QString& why)
{
    Aria2Reply reply;
    reply.unreachable = true;
    reply.message = why;
    return reply;
}

// Sets call up to post exchange's body to url.
void prepare(CurlCall& call, Exchange& exchange, const std::string& url, long timeoutSeconds)
{
    CURL* curl = call.handle();
    CurlSetup setup;
    setup.url = url;
    setup.connectTimeoutSeconds = std::min(timeoutSeconds, 10L);
    setup.onHeader = onHeader;
    setup.onBody = onBody;
    setup.data = &exchange;
    setup.applyTo(curl);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, timeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(exchange.body.size()));
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, exchange.body.constData());
    call.setHeaders(
        curl_slist_append(nullptr, "Content-Type: application/json-rpc; charset=utf-8"));
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, exchange.error);
}

// What the request's end means.
Aria2Reply replyOf(CurlCall& call, const Exchange& exchange, CURLcode code)
{
    long status = 0;
    curl_easy_getinfo(call.handle(), CURLINFO_RESPONSE_CODE, &status);
    if (code != CURLE_OK)
        return unreachable(
            QString::fromUtf8(exchange.error[0] ? exchange.error : curl_easy_strerror(code)));

    // The daemon answers a fault with a status of 400 and the fault in the body.
    const QJsonObject answer = QJsonDocument::fromJson(exchange.reply).object();
    Aria2Reply reply;
    if (answer.contains(QStringLiteral("result"))) {
        reply.ok = true;
        reply.result = answer.value(QStringLiteral("result"));
    } else if (answer.value(QStringLiteral("error")).isObject()) {
        const QJsonObject fault = answer.value(QStringLiteral("error")).toObject();
        reply.code = fault.value(QStringLiteral("code")).toInt();
        reply.message = fault.value(QStringLiteral("message")).toString();
    } else {
        return unreachable(
            QStringLiteral("HTTP status %1 without a JSON-RPC answer (is this an aria2 daemon?)")
                .arg(status));
    }
    return reply;
}

} // namespace

CurlAria2Rpc::CurlAria2Rpc(QString url, int timeoutSeconds, QObject* parent)
    : IAria2Rpc(parent)
    , m_url(std::move(url))
    , m_timeoutSeconds(timeoutSeconds)
    , m_mailbox(CurlMailbox::to(this))
{
}

CurlAria2Rpc::~CurlAria2Rpc()
{
    // A call in flight is abandoned: its reply is not delivered.
    m_mailbox->close();
    if (m_inFlight) {
        m_inFlight->cancel();
        CurlEngine::instance().wake();
    }
}

quint64 CurlAria2Rpc::call(const QString& method, const QJsonArray& params)
{
    const quint64 id = ++m_lastId;
    const QByteArray body = QJsonDocument(
        QJsonObject { { QStringLiteral("jsonrpc"), "2.0" },
            { QStringLiteral("id"), QString::number(id) }, { QStringLiteral("method"), method },
            { QStringLiteral("params"),
                params } }).toJson(QJsonDocument::Compact);
    m_waiting.push_back({ id, body });
    if (!m_inFlight)
        sendNext();
    return id;
}

// One call at a time, so the replies come in the order the calls were made.
void CurlAria2Rpc::sendNext()
{
    if (m_waiting.empty())
        return;
    const auto [id, body] = m_waiting.front();
    m_waiting.pop_front();
    auto exchange = std::make_shared<Exchange>();
    exchange->body = body;
    m_inFlight = std::make_shared<CurlCall>();
    prepare(*m_inFlight, *exchange, m_url.toStdString(), m_timeoutSeconds);
    const std::shared_ptr<CurlMailbox> mailbox = m_mailbox;
    m_inFlight->setEnded([this, id, exchange, mailbox](CurlCall& call, CURLcode code) {
        const Aria2Reply reply = replyOf(call, *exchange, code);
        mailbox->post([this, id, reply] {
            m_inFlight.reset();
            sendNext();
            emit replied(id, reply);
        });
    });
    CurlEngine::instance().start(m_inFlight);
}
