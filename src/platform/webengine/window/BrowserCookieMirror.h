#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QObject>
#include <QStringList>

class QWebEngineCookieStore;

// The cookies of the browser windows' profile as they are now. The engine hands them
// out only through signals, so this keeps a copy from the first load on: added cookies
// replace one of the same name, domain and path, removed ones go.
class BrowserCookieMirror final : public QObject
{
    Q_OBJECT
public:
    explicit BrowserCookieMirror(QWebEngineCookieStore& store, QObject* parent = nullptr);

    // Each cookie as a Netscape cookies.txt line; expired ones left out.
    QStringList netscapeLines() const;

private:
    void added(const QNetworkCookie& cookie);
    void removed(const QNetworkCookie& cookie);

    QList<QNetworkCookie> m_cookies;
};
