#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>
#include <optional>

// The hidden harvest browser ("wb2") as the list builders see it: a page without a view
// that runs the page's scripts, never opens pop-up windows and never shows script
// dialogs. Every handler is called on the interface thread, never from inside a call
// to navigate(), stop() or collectLinks().
class IHarvestBrowser
{
public:
    // The addresses of the loaded page's links ("RecurseFrames"): the document's anchors
    // and areas that have an address, absolute, in document order, then each frame's
    // document the same way, depth first. Frames whose document cannot be read are
    // skipped. nullopt when the page itself could not be read.
    using LinksHandler = std::function<void(const std::optional<QStringList>& hrefs)>;

    virtual ~IHarvestBrowser() = default;

    // The top-level document finished loading (frames completing earlier are not
    // reported). Also called after a failed load, once the browser gave up.
    virtual void setDocumentCompleteHandler(std::function<void()> handler) = 0;
    // The load of the page failed; statusCode as in navigationErrorMessage. Reported
    // before the document-complete call. A frame that fails inside a page that loaded is
    // not reported: the engine gives no load result per frame, so that frame simply adds
    // no links to the walk.
    virtual void setNavigateErrorHandler(std::function<void(qint32 statusCode)> handler) = 0;
    virtual void setProgressHandler(std::function<void(int progress, int progressMax)> handler) = 0;

    virtual void navigate(const QString& url) = 0;
    // Stops the load; no further handler calls follow.
    virtual void stop() = 0;
    // Runs the link walk on the current document; done is called once, later.
    virtual void collectLinks(LinksHandler done) = 0;
};
