#pragma once

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QWebEngineLoadingInfo>
#include <memory>

#include "builders/IHarvestBrowser.h"

class HarvestRequestFilter;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

// The hidden harvest browser: a QWebEnginePage in a view that is never shown, so the page
// sees a 1280x800 window as in a desktop browser. Scripts run; script
// dialogs are answered silently and pop-up windows are never created. The page is
// never laid out or painted, and fetches nothing that cannot add an entry (images, fonts,
// media, and style sheets unless media are collected: HarvestRequestFilter); its audio
// and video elements do not even start loading. A page that is scrolled is laid out. Loads use the
// profile given: the browser windows' own (BrowserProfile::shared) in the window's process, so
// sign-ins hold, or the memory-only BrowserProfile::detached, whose seeded cookies are in place
// before a load starts.
class WebEngineHarvestBrowser final : public QObject, public IHarvestBrowser
{
    Q_OBJECT
public:
    explicit WebEngineHarvestBrowser(
        QWebEngineProfile* profile = defaultProfile(), QObject* parent = nullptr);
    ~WebEngineHarvestBrowser() override;

    void setDocumentCompleteHandler(std::function<void()> handler) override;
    void setNavigateErrorHandler(std::function<void(qint32 statusCode)> handler) override;
    void setProgressHandler(std::function<void(int progress, int progressMax)> handler) override;
    void navigate(const QString& url) override;
    void stop() override;
    void setScope(const HarvestScope& scope) override;
    void collectEntries(EntriesHandler done) override;
    QString movedTo() const override;

    QWebEnginePage* page() const;

    // The navigation status code for a failed load: HTTP status codes as themselves,
    // network and certificate failures as the URL-moniker code that fits.
    static qint32 statusCodeFor(QWebEngineLoadingInfo::ErrorDomain domain, int errorCode);
    // Runs the entries walk in a page (never scrolled); done is called once, later, with
    // nullopt when the page is gone or the script gave no answer of that shape.
    static void collectEntriesFrom(
        QWebEnginePage* page, const HarvestScope& scope, EntriesHandler done);
    // BrowserProfile::detached(): the harvests' profile unless one is given.
    static QWebEngineProfile* defaultProfile();

private:
    // The handlers' contract: called on this object's (the interface) thread and never
    // from inside navigate(), stop() or collectEntries().
    void assertHandlerContext() const;
    void onLoadingChanged(const QWebEngineLoadingInfo& info);
    void onRendererGone();
    // Scrolls the page down step by step, then calls then, unless the walk ended first.
    // Ends a running walk with nullopt; emptied once called.
    using WalkEnd = std::function<void()>;
    void scrollDown(const std::shared_ptr<WalkEnd>& walk, std::function<void()> then);

    QPointer<QWebEnginePage> m_page;
    // Never shown: it gives the page the size of a desktop window (null without a
    // QApplication).
    std::unique_ptr<QWebEngineView> m_view;
    HarvestRequestFilter* m_filter = nullptr; // owned by the page
    std::function<void()> m_onComplete;
    std::function<void(qint32)> m_onError;
    std::function<void(int, int)> m_onProgress;
    QUrl m_requested; // the address of the last navigate()
    bool m_stopped = false;
    bool m_loading = false; // navigated, and the load has not ended yet
    int m_inCall = 0; // inside navigate(), stop() or collectEntries()
    // The running walk's end, called when the renderer goes away.
    std::shared_ptr<WalkEnd> m_walk;
};
