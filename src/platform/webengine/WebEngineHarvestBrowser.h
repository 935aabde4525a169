#pragma once

#include <QObject>
#include <QPointer>
#include <QWebEngineLoadingInfo>
#include <memory>

#include "builders/IHarvestBrowser.h"

class QWebEnginePage;
class QWebEngineProfile;

// The hidden harvest browser: a QWebEnginePage with no view. Scripts run; script
// dialogs are answered silently and pop-up windows are never created. The page is
// never laid out or painted, and fetches nothing that cannot add a link (images, style
// sheets, fonts, media: HarvestRequestFilter). Loads use one
// off-the-record profile shared by every harvest browser of the process: nothing is
// written to disk, and a second Quillmarch process (the program and the command-line
// tool side by side) never competes for a profile folder.
class WebEngineHarvestBrowser final : public QObject, public IHarvestBrowser
{
    Q_OBJECT
public:
    explicit WebEngineHarvestBrowser(QObject* parent = nullptr);
    ~WebEngineHarvestBrowser() override;

    void setDocumentCompleteHandler(std::function<void()> handler) override;
    void setNavigateErrorHandler(std::function<void(qint32 statusCode)> handler) override;
    void setProgressHandler(std::function<void(int progress, int progressMax)> handler) override;
    void navigate(const QString& url) override;
    void stop() override;
    void collectLinks(LinksHandler done) override;

    QWebEnginePage* page() const;

    // The navigation status code for a failed load: HTTP status codes as themselves,
    // network and certificate failures as the URL-moniker code that fits.
    static qint32 statusCodeFor(QWebEngineLoadingInfo::ErrorDomain domain, int errorCode);
    // The link walk ("RecurseFrames") as a script that evaluates to an array of
    // absolute addresses.
    static QString recurseFramesScript();
    // Runs the link walk in a page; done is called once, later. nullopt when the page
    // is gone or the script gave no array.
    static void collectLinksFrom(QWebEnginePage* page, LinksHandler done);
    // The profile used by every harvest browser.
    static QWebEngineProfile* harvestProfile();

private:
    // The handlers' contract: called on this object's (the interface) thread and never
    // from inside navigate(), stop() or collectLinks().
    void assertHandlerContext() const;
    void onLoadingChanged(const QWebEngineLoadingInfo& info);
    void onRendererGone();

    QPointer<QWebEnginePage> m_page;
    std::function<void()> m_onComplete;
    std::function<void(qint32)> m_onError;
    std::function<void(int, int)> m_onProgress;
    bool m_stopped = false;
    bool m_loading = false; // navigated, and the load has not ended yet
    int m_inCall = 0; // inside navigate(), stop() or collectLinks()
    // The running link walk's handler; emptied once it was called.
    std::shared_ptr<LinksHandler> m_walk;
};
