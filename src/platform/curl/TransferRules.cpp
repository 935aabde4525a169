#include "platform/curl/TransferRules.h"

#include <QUrl>

#include "core/HeaderField.h"
#include "download/NetscapeCookies.h"
#include "platform/curl/HeaderText.h"

namespace TransferRules
{

using HeaderText::lower;
using HeaderText::trimmed;

// A whole non-negative number, or -1.
qint64 parseCount(const std::string& text)
{
    if (text.empty() || text.size() > 18)
        return -1;
    qint64 value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// HTTP/2 and later send no reason phrase; the usual ones are filled in.
QString reasonFor(long status)
{
    switch (status) {
    case 400:
        return QStringLiteral("Bad Request");
    case 401:
        return QStringLiteral("Unauthorized");
    case 403:
        return QStringLiteral("Forbidden");
    case 404:
        return QStringLiteral("Not Found");
    case 410:
        return QStringLiteral("Gone");
    case 429:
        return QStringLiteral("Too Many Requests");
    case 500:
        return QStringLiteral("Internal Server Error");
    case 502:
        return QStringLiteral("Bad Gateway");
    case 503:
        return QStringLiteral("Service Unavailable");
    case 504:
        return QStringLiteral("Gateway Timeout");
    default:
        return QStringLiteral("HTTP Error");
    }
}

bool transientStatus(long status)
{
    return status == 408 || status == 429 || status == 502 || status == 503 || status == 504;
}

FailureKind failureKindOfStatus(long status)
{
    if (status == 401 || status == 407)
        return FailureKind::Authentication;
    return status >= 400 ? FailureKind::Server : FailureKind::Other;
}

FailureKind failureKindOfCode(CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_TOO_MANY_REDIRECTS:
        return FailureKind::Network;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_USE_SSL_FAILED:
        return FailureKind::Tls;
    case CURLE_WRITE_ERROR:
        return FailureKind::FileSystem;
    case CURLE_LOGIN_DENIED:
    case CURLE_AUTH_ERROR:
        return FailureKind::Authentication;
    default:
        return FailureKind::Other;
    }
}

std::string causeOf(CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return "host not found";
    case CURLE_COULDNT_RESOLVE_PROXY:
        return "proxy not found";
    case CURLE_COULDNT_CONNECT:
        return "connection refused";
    case CURLE_OPERATION_TIMEDOUT:
        return "no answer in time";
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
        return "certificate not trusted";
    default:
        return curl_easy_strerror(code);
    }
}

bool transientCode(CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
        return true;
    default:
        return false;
    }
}

// "bytes FIRST-LAST/TOTAL": the first byte and the total (-1 for "*" or no number).
bool parseContentRange(const std::string& value, qint64* first, qint64* total)
{
    const std::string text = lower(value);
    if (text.rfind("bytes ", 0) != 0)
        return false;
    const std::string range = trimmed(text.substr(6));
    const auto dash = range.find('-');
    const auto slash = range.find('/');
    if (dash == std::string::npos || slash == std::string::npos || dash > slash)
        return false;
    *first = parseCount(range.substr(0, dash));
    *total = parseCount(range.substr(slash + 1));
    return *first >= 0;
}

// Why the request must not be sent: a referrer, user agent, header line or cookie that
// would end its header line early and smuggle in lines of its own. Empty when it may go.
QString requestProblem(const TransferRequest& r)
{
    if (const QString why = HeaderField::valueProblem(r.referer); !why.isEmpty())
        return QStringLiteral("the Referer %1").arg(why);
    if (const QString why = HeaderField::valueProblem(r.userAgent); !why.isEmpty())
        return QStringLiteral("the User-Agent %1").arg(why);
    for (const QString& line : r.headers) {
        if (const QString why = HeaderField::lineProblem(line); !why.isEmpty())
            return QStringLiteral("the header line \"%1\": %2")
                .arg(line.section(QLatin1Char(':'), 0, 0).left(40), why);
    }
    return NetscapeCookies::sendProblem(r.cookies);
}

// Scheme, host and port: credentials written for one origin go to that origin only.
std::string originOf(const std::string& url)
{
    const QUrl parsed(QString::fromStdString(url));
    return QStringLiteral("%1://%2:%3")
        .arg(parsed.scheme().toLower(), parsed.host(QUrl::FullyEncoded).toLower(),
            QString::number(
                parsed.port(parsed.scheme().toLower() == QLatin1String("https") ? 443 : 80)))
        .toStdString();
}

// A header that carries credentials (or cookies): never sent to another origin than
// the link's own.
bool isCredentialHeader(const QString& line)
{
    const QString name = line.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
    return name == QLatin1String("authorization") || name == QLatin1String("cookie")
        || name == QLatin1String("proxy-authorization");
}

std::string maskedHeaderLine(const std::string& line)
{
    const QString text = QString::fromLatin1(line);
    const QString name = text.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
    if (!isCredentialHeader(text) && name != QLatin1String("set-cookie"))
        return line;
    return line.substr(0, line.find(':')) + ": ***";
}

} // namespace TransferRules
