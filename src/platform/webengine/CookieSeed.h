#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QObject>
#include <functional>

class QWebEngineCookieStore;

// Cookies put into a profile's store before its pages load. The store takes them
// asynchronously, on another channel than the pages' requests, so a page started at once
// could go out without them: whenReady holds it until the store has reported each
// cookie back (or, for a cookie the engine refuses, until kPatienceMs have passed).
class CookieSeed final : public QObject
{
    Q_OBJECT
public:
    static constexpr int kPatienceMs = 3000;

    CookieSeed(QWebEngineCookieStore& store, const QList<QNetworkCookie>& cookies,
        QObject* parent = nullptr);

    bool pending() const { return !m_pending.isEmpty(); }
    void whenReady(QObject* context, std::function<void()> then);

private:
    void added(const QNetworkCookie& cookie);
    void release();

    QList<QNetworkCookie> m_pending;
    QList<std::function<void()>> m_waiting;
};
