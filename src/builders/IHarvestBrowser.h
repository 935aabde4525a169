#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

#include "core/HarvestScope.h"
#include "listops/EntryContext.h"

// The hidden harvest browser ("wb2") as the list builders see it: a page without a view
// that runs the page's scripts, never opens pop-up windows and never shows script
// dialogs. Every handler is called on the interface thread, never from inside a call
// to navigate(), stop() or collectEntries().
class IHarvestBrowser
{
public:
    // The entries of the loaded page the scope asks for, each with its context: the
    // document's own in document order, then each frame's document the same way, depth
    // first (links are the anchors and areas that have an address, made absolute; data:
    // and blob: addresses are left out). Frames whose document cannot be read are
    // skipped. nullopt when the page itself could not be read.
    using EntriesHandler = std::function<void(const std::optional<ListEntries>& entries)>;

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

    // How the next navigate() loads the page and what collectEntries() gathers. A page
    // whose media are collected loads its style sheets (for CSS backgrounds); a page that
    // is scrolled is laid out.
    virtual void setScope(const HarvestScope& scope) { m_scope = scope; }
    const HarvestScope& scope() const { return m_scope; }

    virtual void navigate(const QString& url) = 0;
    // Stops the load; no further handler calls follow.
    virtual void stop() = 0;
    // The entries of the current document as the scope asks for them (scrolled first
    // when it says so); done is called once, later.
    virtual void collectEntries(EntriesHandler done) = 0;
    // After a load: the address the page ended on when it is another page than the one
    // asked for (a redirect, such as to a sign-in page), else empty.
    virtual QString movedTo() const { return {}; }

    // Site visits: an answer that is no page (another type than HTML) or an HTTP error
    // ends the load as it is, where a single page would go on to the engine. Browsers
    // that read no answer themselves ignore it.
    virtual void setPagesOnly(bool pagesOnly) { m_pagesOnly = pagesOnly; }
    bool pagesOnly() const { return m_pagesOnly; }
    // After a load with pagesOnly: the media type of an answer that was no page (the load
    // completed with no entries), else empty.
    virtual QString notPageType() const { return {}; }
    // After a failed load: the seconds the server's Retry-After asked to wait, -1 when it
    // gave none or it is not known.
    virtual int retryAfterSeconds() const { return -1; }

private:
    HarvestScope m_scope;
    bool m_pagesOnly = false;
};
