#include "platform/curl/CurlRedirectResolver.h"

#include <QUrl>
#include <curl/curl.h>
#include <future>
#include <memory>
#include <mutex>

#include "core/RequestUrl.h"
#include "download/Aria2Job.h"
#include "download/NetscapeCookies.h"
#include "platform/curl/CurlCall.h"
#include "platform/curl/CurlEngine.h"
#include "platform/curl/CurlMailbox.h"
#include "platform/curl/CurlSetup.h"

namespace
{

size_t onHeader(char*, size_t size, size_t count, void*)
{
    return size * count;
}

// The first byte of a body ends the request: only the status and Location matter.
size_t onBody(char*, size_t, size_t, void*)
{
    return 0;
}

QString originOf(const QString& url)
{
    return QUrl(url)
        .adjusted(
            QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo)
        .toString(QUrl::FullyEncoded)
        .toLower();
}

} // namespace

// One link's walk along its redirects; the curl thread's from begin() on, apart from
// the cancel flag.
struct CurlRedirectResolver::Resolution {
    Request request;
    QString origin;
    QString url; // the address being asked
    int hop = 0;
    Report report;
    std::atomic<bool> cancelled { false };
    std::mutex mutex;
    std::shared_ptr<CurlCall> call; // the request in flight, under mutex
    char error[CURL_ERROR_SIZE] = {};

    void cancel()
    {
        cancelled.store(true);
        std::lock_guard lock(mutex);
        if (call)
            call->cancel();
    }
};

CurlRedirectResolver::~CurlRedirectResolver()
{
    cancel();
}

void CurlRedirectResolver::cancel()
{
    for (const Running& running : std::exchange(m_running, {})) {
        running.withdrawn->store(true);
        if (const auto resolution = running.resolution.lock())
            resolution->cancel();
    }
    CurlEngine::instance().wake();
}

void CurlRedirectResolver::resolve(const RedirectQuery& query, QObject* context, Done done)
{
    std::erase_if(m_running, [](const Running& r) { return r.resolution.expired(); });
    // Set by a cancel: an outcome already on its way is dropped too.
    auto withdrawn = std::make_shared<std::atomic<bool>>(false);
    const std::shared_ptr<CurlMailbox> mailbox = CurlMailbox::to(context);
    const std::shared_ptr<Resolution> resolution
        = begin(query, [mailbox, withdrawn, done = std::move(done)](const Outcome& outcome) {
              mailbox->post([done, outcome, withdrawn] {
                  if (!withdrawn->load())
                      done(outcome);
              });
          });
    m_running.push_back({ resolution, withdrawn });
}

QList<CurlRedirectResolver::Outcome> CurlRedirectResolver::resolveAll(
    const QList<Request>& requests)
{
    std::vector<std::future<Outcome>> futures;
    for (const Request& request : requests) {
        auto promise = std::make_shared<std::promise<Outcome>>();
        futures.push_back(promise->get_future());
        begin(request, [promise](const Outcome& found) { promise->set_value(found); });
    }
    QList<Outcome> outcomes;
    for (auto& future : futures)
        outcomes.append(future.get());
    return outcomes;
}

std::shared_ptr<CurlRedirectResolver::Resolution> CurlRedirectResolver::begin(
    const Request& request, Report report)
{
    auto resolution = std::make_shared<Resolution>();
    resolution->request = request;
    resolution->origin = originOf(request.url);
    resolution->url = request.url;
    resolution->report = std::move(report);
    ask(resolution);
    return resolution;
}

// Asks the current address (from any thread), or reports where the walk ends.
void CurlRedirectResolver::ask(const std::shared_ptr<Resolution>& resolution)
{
    Resolution& r = *resolution;
    const Request& request = r.request;
    if (r.cancelled.load())
        return r.report({ {}, QStringLiteral("cancelled") });
    if (r.hop > request.maxRedirects)
        return r.report({ {},
            QStringLiteral("more than %1 redirects").arg(QString::number(request.maxRedirects)) });
    const QString scheme = QUrl(r.url).scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return r.report({ r.url, {} });
    auto call = std::make_shared<CurlCall>();
    CURL* curl = call->handle();
    if (!curl)
        return r.report({ {}, QStringLiteral("the transfer library could not start") });
    CurlSetup setup;
    setup.url = RequestUrl(r.url).toStdString();
    setup.connectTimeoutSeconds = std::min(request.timeoutSeconds, 30);
    if (!request.userAgent.isEmpty())
        setup.userAgent = request.userAgent.toStdString();
    setup.onHeader = onHeader;
    setup.onBody = onBody;
    setup.applyTo(curl);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(request.timeoutSeconds));
    const bool ownOrigin = originOf(r.url) == r.origin;
    curl_slist* headers = nullptr;
    for (const QString& line : request.headers) {
        if (ownOrigin || !Aria2Job::isCredentialHeader(line))
            headers = curl_slist_append(headers, line.toUtf8().constData());
    }
    call->setHeaders(headers);
    if (!request.referer.isEmpty())
        curl_easy_setopt(curl, CURLOPT_REFERER, request.referer.toUtf8().constData());
    const QString cookie = NetscapeCookies::headerFor(request.cookies, r.url);
    if (!cookie.isEmpty())
        curl_easy_setopt(curl, CURLOPT_COOKIE, cookie.toUtf8().constData());
    r.error[0] = '\0';
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, r.error);
    call->setEnded([resolution](CurlCall&, CURLcode code) { answered(resolution, code); });
    {
        std::lock_guard lock(r.mutex);
        r.call = call;
    }
    if (r.cancelled.load())
        call->cancel();
    CurlEngine::instance().start(call);
}

// On the curl thread: the current address has answered.
void CurlRedirectResolver::answered(const std::shared_ptr<Resolution>& resolution, CURLcode code)
{
    Resolution& r = *resolution;
    std::shared_ptr<CurlCall> call;
    {
        std::lock_guard lock(r.mutex);
        call = std::exchange(r.call, nullptr);
    }
    if (r.cancelled.load())
        return r.report({ {}, QStringLiteral("cancelled") });
    long status = 0;
    curl_easy_getinfo(call->handle(), CURLINFO_RESPONSE_CODE, &status);
    if (code != CURLE_OK && !(code == CURLE_WRITE_ERROR && status > 0))
        return r.report({ {}, QString::fromUtf8(r.error[0] ? r.error : curl_easy_strerror(code)) });
    char* next = nullptr;
    if (status < 300 || status >= 400
        || curl_easy_getinfo(call->handle(), CURLINFO_REDIRECT_URL, &next) != CURLE_OK || !next)
        return r.report({ r.url, {} });
    r.url = QString::fromUtf8(next);
    ++r.hop;
    ask(resolution);
}
