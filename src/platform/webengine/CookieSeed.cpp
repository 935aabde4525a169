#include "platform/webengine/CookieSeed.h"

#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWebEngineCookieStore>

namespace
{

QString bareDomain(const QString& domain)
{
    return domain.startsWith(QLatin1Char('.')) ? domain.mid(1) : domain;
}

bool sameCookie(const QNetworkCookie& a, const QNetworkCookie& b)
{
    return a.name() == b.name() && a.path() == b.path()
        && bareDomain(a.domain()).compare(bareDomain(b.domain()), Qt::CaseInsensitive) == 0;
}

} // namespace

CookieSeed::CookieSeed(
    QWebEngineCookieStore& store, const QList<QNetworkCookie>& cookies, QObject* parent)
    : QObject(parent)
    , m_pending(cookies)
{
    connect(&store, &QWebEngineCookieStore::cookieAdded, this, &CookieSeed::added);
    for (const QNetworkCookie& cookie : cookies) {
        const QString host = bareDomain(cookie.domain());
        const QUrl origin(
            (cookie.isSecure() ? QStringLiteral("https://") : QStringLiteral("http://")) + host
            + QLatin1Char('/'));
        // A cookie without a leading dot is its host's alone: set without a domain, the
        // engine keeps it host-only instead of widening it to the names below the host.
        QNetworkCookie set = cookie;
        if (!cookie.domain().startsWith(QLatin1Char('.')))
            set.setDomain(QString());
        store.setCookie(set, origin);
    }
    if (!m_pending.isEmpty())
        QTimer::singleShot(kPatienceMs, this, &CookieSeed::release);
}

void CookieSeed::added(const QNetworkCookie& cookie)
{
    m_pending.removeIf([&](const QNetworkCookie& seeded) { return sameCookie(seeded, cookie); });
    if (m_pending.isEmpty())
        release();
}

void CookieSeed::release()
{
    m_pending.clear();
    for (const std::function<void()>& then : std::exchange(m_waiting, {}))
        then();
}

void CookieSeed::whenReady(QObject* context, std::function<void()> then)
{
    if (m_pending.isEmpty()) {
        QTimer::singleShot(0, context, std::move(then));
        return;
    }
    m_waiting.append([guard = QPointer<QObject>(context), then = std::move(then)] {
        if (guard)
            QTimer::singleShot(0, guard, then);
    });
}
