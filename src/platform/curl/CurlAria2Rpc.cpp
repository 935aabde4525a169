#include "platform/curl/CurlAria2Rpc.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <curl/curl.h>

#include "platform/curl/CurlSetup.h"

namespace
{

constexpr qsizetype kMaxReplyBytes = 64 * 1024 * 1024;

struct Exchange {
    QByteArray reply;
    const std::atomic<bool>* abandon = nullptr;
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

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<Exchange*>(user)->abandon->load() ? 1 : 0;
}

Aria2Reply unreachable(const QString& why)
{
    Aria2Reply reply;
    reply.unreachable = true;
    reply.message = why;
    return reply;
}

// Posts one request body and reads the answer.
Aria2Reply post(const std::string& url, const QByteArray& body, long timeoutSeconds,
    const std::atomic<bool>& abandon)
{
    CURL* curl = curl_easy_init();
    if (!curl)
        return unreachable(QStringLiteral("the transfer library could not start"));
    Exchange exchange;
    exchange.abandon = &abandon;
    CurlSetup setup;
    setup.url = url;
    setup.connectTimeoutSeconds = std::min(timeoutSeconds, 10L);
    setup.onHeader = onHeader;
    setup.onBody = onBody;
    setup.onProgress = onProgress;
    setup.data = &exchange;
    setup.applyTo(curl);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, timeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.constData());
    curl_slist* headers
        = curl_slist_append(nullptr, "Content-Type: application/json-rpc; charset=utf-8");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    char error[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    if (code != CURLE_OK)
        return unreachable(QString::fromUtf8(error[0] ? error : curl_easy_strerror(code)));

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
    , m_worker(new QObject)
    , m_abandon(std::make_shared<std::atomic<bool>>(false))
{
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();
}

CurlAria2Rpc::~CurlAria2Rpc()
{
    m_abandon->store(true);
    m_thread.quit();
    m_thread.wait();
}

quint64 CurlAria2Rpc::call(const QString& method, const QJsonArray& params)
{
    const quint64 id = ++m_lastId;
    const QByteArray body = QJsonDocument(
        QJsonObject { { QStringLiteral("jsonrpc"), "2.0" },
            { QStringLiteral("id"), QString::number(id) }, { QStringLiteral("method"), method },
            { QStringLiteral("params"),
                params } }).toJson(QJsonDocument::Compact);
    const std::string url = m_url.toStdString();
    const long timeout = m_timeoutSeconds;
    const std::shared_ptr<std::atomic<bool>> abandon = m_abandon;
    QMetaObject::invokeMethod(m_worker, [this, id, url, body, timeout, abandon] {
        const Aria2Reply reply = post(url, body, timeout, *abandon);
        if (abandon->load())
            return;
        // Delivered on the owner's thread; dropped if the client is gone by then.
        QMetaObject::invokeMethod(
            this, [this, id, reply] { emit replied(id, reply); }, Qt::QueuedConnection);
    });
    return id;
}
