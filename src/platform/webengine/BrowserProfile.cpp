#include "platform/webengine/BrowserProfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include "platform/ProfileCookieReader.h"
#include "platform/ProfileFolders.h"
#include "platform/webengine/BrowserCookieMirror.h"
#include "platform/webengine/CookieSeed.h"

namespace
{

QPointer<QWebEngineProfile>& sharedSlot()
{
    static QPointer<QWebEngineProfile> profile;
    return profile;
}

QList<std::function<void()>>& releases()
{
    static QList<std::function<void()>> calls;
    return calls;
}

QList<QPointer<QWebEnginePage>>& trackedPages()
{
    static QList<QPointer<QWebEnginePage>> pages;
    return pages;
}

} // namespace

QWebEngineProfile* BrowserProfile::shared()
{
    QPointer<QWebEngineProfile>& profile = sharedSlot();
    if (profile)
        return profile;
    ProfileFolders::adoptBrowserProfile();
    // Read before the engine opens the file: what it holds is known at once, while the
    // engine reports its stored cookies only some time later.
    const Result<ProfileCookieReader::Cookies> stored = ProfileCookieReader::readProfile();
    if (!stored)
        qWarning("%s", qPrintable(stored.message()));

    profile = new QWebEngineProfile(QStringLiteral("browser"));
    const QString data = ProfileFolders::dataFolder();
    const QString cache = ProfileFolders::cacheFolder();
    profile->setPersistentStoragePath(QDir(data).filePath(QStringLiteral("browser")));
    profile->setCachePath(QDir(cache).filePath(QStringLiteral("browser")));
    // Session cookies are kept too, so a site the user logged into stays logged in.
    profile->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
    new BrowserCookieMirror(*profile->cookieStore(),
        stored ? stored.value().cookies : QList<QNetworkCookie>(), profile);
    // The profile writes its cookies when it is destroyed, which must happen after its
    // pages are gone.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] {
        for (const std::function<void()>& release : std::exchange(releases(), {}))
            release();
        for (const QPointer<QWebEnginePage>& page : std::exchange(trackedPages(), {}))
            delete page.data();
        delete sharedSlot().data();
    });
    return profile;
}

void BrowserProfile::beforeRelease(std::function<void()> release)
{
    releases().append(std::move(release));
}

void BrowserProfile::trackPage(QWebEnginePage* page)
{
    QList<QPointer<QWebEnginePage>>& pages = trackedPages();
    pages.removeIf([](const QPointer<QWebEnginePage>& kept) { return kept.isNull(); });
    pages.append(page);
}

QStringList BrowserProfile::sharedCookies()
{
    const auto* mirror = shared()->findChild<BrowserCookieMirror*>();
    return mirror ? mirror->netscapeLines() : QStringList();
}

QList<QNetworkCookie> BrowserProfile::sharedCookieList()
{
    const auto* mirror = shared()->findChild<BrowserCookieMirror*>();
    return mirror ? mirror->cookies() : QList<QNetworkCookie>();
}

QWebEngineProfile* BrowserProfile::detached()
{
    // Created on first use, so Qt WebEngine starts only when a page is needed.
    static QPointer<QWebEngineProfile> profile;
    if (!profile) {
        profile = new QWebEngineProfile(QCoreApplication::instance());
        profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    }
    return profile;
}

void BrowserProfile::seedDetached(const QList<QNetworkCookie>& cookies)
{
    QWebEngineProfile* profile = detached();
    new CookieSeed(*profile->cookieStore(), cookies, profile);
}

bool BrowserProfile::detachedSeeding()
{
    const QList<CookieSeed*> seeds = detached()->findChildren<CookieSeed*>();
    return !seeds.isEmpty() && seeds.last()->pending();
}

void BrowserProfile::whenDetachedReady(QObject* context, std::function<void()> then)
{
    const QList<CookieSeed*> seeds = detached()->findChildren<CookieSeed*>();
    if (seeds.isEmpty()) {
        QTimer::singleShot(0, context, std::move(then));
        return;
    }
    seeds.last()->whenReady(context, std::move(then));
}
