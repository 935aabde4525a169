#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QObject>
#include <QStringList>

class QWebEngineCookieStore;

// The cookies of the browser windows' profile as they are now. The engine hands them
// out only through signals and loads its stored ones some time after the profile is
// made, so this starts from the cookies read from the profile's file before the engine
// opened it (stored) and follows the store from then on: added cookies replace one of
// the same name, domain and path, removed ones go.
class BrowserCookieMirror final : public QObject
{
    Q_OBJECT
public:
    BrowserCookieMirror(
        QWebEngineCookieStore& store, QList<QNetworkCookie> stored, QObject* parent = nullptr);

    QList<QNetworkCookie> cookies() const { return m_cookies; }
    // Each cookie as a Netscape cookies.txt line; expired ones left out.
    QStringList netscapeLines() const;

private:
    void added(const QNetworkCookie& cookie);
    void removed(const QNetworkCookie& cookie);

    QList<QNetworkCookie> m_cookies;
};
