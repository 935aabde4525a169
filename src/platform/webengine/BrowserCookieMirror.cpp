#include "platform/webengine/BrowserCookieMirror.h"

#include <QWebEngineCookieStore>

#include "platform/ProfileCookieReader.h"

BrowserCookieMirror::BrowserCookieMirror(
    QWebEngineCookieStore& store, QList<QNetworkCookie> stored, QObject* parent)
    : QObject(parent)
    , m_cookies(std::move(stored))
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
    return ProfileCookieReader::netscapeLines(m_cookies);
}
