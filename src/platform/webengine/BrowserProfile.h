#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QStringList>
#include <functional>

class QObject;
class QWebEnginePage;
class QWebEngineProfile;

// The browser profiles of the process.
//
// shared() is the browser windows' profile, kept in ProfileFolders: cookies (session
// cookies too, so a sign-in lasts), storage and cache. The window's process loads its
// hidden harvests with it as well, so a page the user signed in to in a window harvests
// as signed in, and its downloads send the same cookies (sharedCookies).
//
// detached() is a memory-only profile for a process that does not own that folder: the
// command-line tool, which may run beside a window and must not open the engine's files
// there (two engines would write the same databases). It starts with no cookie, or with
// those given to seedDetached.
class BrowserProfile final
{
public:
    BrowserProfile() = delete;

    // Made on first use; released when the application quits, after the pages of
    // trackPage and the calls of beforeRelease.
    static QWebEngineProfile* shared();
    // What must go before the shared profile (its windows): called at quit, in order.
    static void beforeRelease(std::function<void()> release);
    // A page of the shared profile that its owner may still hold at quit: deleted then.
    static void trackPage(QWebEnginePage* page);
    // The cookies of the shared profile now, as Netscape cookies.txt lines: those stored
    // in its folder, then what the engine reported since (making the profile if needed).
    static QStringList sharedCookies();
    // The same cookies as they are.
    static QList<QNetworkCookie> sharedCookieList();

    static QWebEngineProfile* detached();
    // Puts cookies into detached(); meant once, before its first page loads.
    static void seedDetached(const QList<QNetworkCookie>& cookies);
    // Whether detached() is still taking seeded cookies.
    static bool detachedSeeding();
    // Calls then (on context's thread, from the event loop) once detached() holds the
    // seeded cookies.
    static void whenDetachedReady(QObject* context, std::function<void()> then);
};
