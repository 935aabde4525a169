#include "platform/curl/ServerCookies.h"

#include <QDateTime>
#include <QNetworkCookie>
#include <QUrl>

#include "core/HeaderField.h"
#include "download/CookieDomain.h"
#include "download/NetscapeCookies.h"

namespace ServerCookies
{

QStringList lines(const std::vector<std::string>& setCookies, const QString& url)
{
    const QUrl from(url);
    const QString host = from.host().toLower();
    QStringList kept;
    for (const std::string& value : setCookies) {
        const QList<QNetworkCookie> cookies
            = QNetworkCookie::parseCookies(QByteArray::fromStdString(value));
        for (QNetworkCookie cookie : cookies) {
            const bool domainCookie = !cookie.domain().isEmpty();
            // A Domain that does not cover the host, or is a public suffix, is refused.
            if (domainCookie && !CookieDomain::admits(cookie.domain(), true, host))
                continue;
            cookie.normalize(from);
            const QString name = QString::fromUtf8(cookie.name());
            const QString text = QString::fromUtf8(cookie.value());
            if (!HeaderField::isToken(name) || !HeaderField::valueProblem(text).isEmpty())
                continue;
            qint64 expiry = 0; // a session cookie
            if (!cookie.isSessionCookie()) {
                expiry = cookie.expirationDate().toSecsSinceEpoch();
                if (expiry <= QDateTime::currentSecsSinceEpoch())
                    continue;
            }
            QString domain = cookie.domain().toLower();
            while (domain.startsWith(u'.'))
                domain.remove(0, 1);
            kept.append(NetscapeCookies::line(domainCookie ? QLatin1Char('.') + domain : host,
                cookie.path(), cookie.isSecure(), cookie.isHttpOnly(), expiry, cookie.name(),
                cookie.value()));
        }
    }
    return kept;
}

} // namespace ServerCookies
