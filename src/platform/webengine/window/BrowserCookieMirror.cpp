#include "platform/webengine/window/BrowserCookieMirror.h"

#include <QDateTime>
#include <QWebEngineCookieStore>

#include "download/NetscapeCookies.h"

BrowserCookieMirror::BrowserCookieMirror(QWebEngineCookieStore& store, QObject* parent)
    : QObject(parent)
{
    connect(&store, &QWebEngineCookieStore::cookieAdded, this, &BrowserCookieMirror::added);
    connect(&store, &QWebEngineCookieStore::cookieRemoved, this, &BrowserCookieMirror::removed);
    store.loadAllCookies();
}

void BrowserCookieMirror::added(const QNetworkCookie& cookie)
{
    removed(cookie);
    m_cookies.append(cookie);
}

void BrowserCookieMirror::removed(const QNetworkCookie& cookie)
{
    m_cookies.removeIf([&](const QNetworkCookie& kept) { return kept.hasSameIdentifier(cookie); });
}

QStringList BrowserCookieMirror::netscapeLines() const
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QStringList lines;
    for (const QNetworkCookie& cookie : m_cookies) {
        if (cookie.domain().isEmpty() || cookie.name().isEmpty()
            || (!cookie.isSessionCookie() && cookie.expirationDate() < now))
            continue;
        lines.append(NetscapeCookies::line(cookie.domain(), cookie.path(), cookie.isSecure(),
            cookie.isHttpOnly(),
            cookie.isSessionCookie() ? 0 : cookie.expirationDate().toSecsSinceEpoch(),
            cookie.name(), cookie.value()));
    }
    return lines;
}
