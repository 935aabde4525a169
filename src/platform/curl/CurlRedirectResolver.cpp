#include "platform/curl/CurlRedirectResolver.h"

#include <QUrl>
#include <curl/curl.h>
#include <memory>

#include "core/RequestUrl.h"
#include "download/Aria2Job.h"
#include "download/NetscapeCookies.h"
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

int onProgress(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
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

CurlRedirectResolver::Outcome CurlRedirectResolver::resolve(const Request& request)
{
    const QString origin = originOf(request.url);
    QString url = request.url;
    for (int hop = 0; hop <= request.maxRedirects; ++hop) {
        const QString scheme = QUrl(url).scheme().toLower();
        if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
            return { url, {} };
        std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(
            curl_easy_init(), curl_easy_cleanup);
        if (!curl)
            return { {}, QStringLiteral("the transfer library could not start") };
        CurlSetup setup;
        setup.url = RequestUrl(url).toStdString();
        setup.connectTimeoutSeconds = std::min(request.timeoutSeconds, 30);
        if (!request.userAgent.isEmpty())
            setup.userAgent = request.userAgent.toStdString();
        setup.onHeader = onHeader;
        setup.onBody = onBody;
        setup.onProgress = onProgress;
        setup.applyTo(curl.get());
        curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, static_cast<long>(request.timeoutSeconds));
        const bool ownOrigin = originOf(url) == origin;
        curl_slist* headers = nullptr;
        for (const QString& line : request.headers) {
            if (ownOrigin || !Aria2Job::isCredentialHeader(line))
                headers = curl_slist_append(headers, line.toUtf8().constData());
        }
        curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers);
        if (!request.referer.isEmpty())
            curl_easy_setopt(curl.get(), CURLOPT_REFERER, request.referer.toUtf8().constData());
        const QString cookie = NetscapeCookies::headerFor(request.cookies, url);
        if (!cookie.isEmpty())
            curl_easy_setopt(curl.get(), CURLOPT_COOKIE, cookie.toUtf8().constData());
        char error[CURL_ERROR_SIZE] = {};
        curl_easy_setopt(curl.get(), CURLOPT_ERRORBUFFER, error);
        const CURLcode code = curl_easy_perform(curl.get());
        curl_slist_free_all(headers);
        long status = 0;
        curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
        if (code != CURLE_OK && !(code == CURLE_WRITE_ERROR && status > 0))
            return { {}, QString::fromUtf8(error[0] ? error : curl_easy_strerror(code)) };
        char* next = nullptr;
        if (status < 300 || status >= 400
            || curl_easy_getinfo(curl.get(), CURLINFO_REDIRECT_URL, &next) != CURLE_OK || !next)
            return { url, {} };
        url = QString::fromUtf8(next);
    }
    return { {},
        QStringLiteral("more than %1 redirects").arg(QString::number(request.maxRedirects)) };
}
