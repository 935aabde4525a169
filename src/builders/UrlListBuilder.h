#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "builders/IHarvestBrowser.h"
#include "core/Result.h"

class IContentTypeFetcher;
class IMainView;
class IShellWindow;
class IShellWindows;
class IUserPrompt;
class LinkList;
struct FilterState;
struct NavigationState;
struct Preferences;

// What a build from a page reads and what it does with the links.
struct UrlBuildRequest {
    QString url;
    bool append = false; // add the page's links to the list (true) or replace it
    // The URL is known to be a page (the current entry after its check): neither the
    // content-type check nor the local-file check runs.
    bool checked = false;
};

// Builds the list from a page: "Build list from URL", the build from the current entry's
// target and the incoming link end here. It asks no questions (UrlBuildFlow asks the
// window's); the prompt shows its messages only. The list is replaced (or appended to)
// only when the page's links arrive; a build that fails or is cancelled leaves it as it
// was. Owns the running harvest ("wb2"): a browser made by the factory for each load, or
// an adopted open window.
class UrlListBuilder final : public QObject
{
    Q_OBJECT
public:
    using BrowserFactory = std::function<std::unique_ptr<IHarvestBrowser>()>;

    UrlListBuilder(const Preferences& prefs, const FilterState& filters, NavigationState& nav,
        LinkList& list, IMainView& view, IUserPrompt& prompt, IShellWindows& shellWindows,
        IContentTypeFetcher& fetcher, BrowserFactory browserFactory, QObject* parent = nullptr);
    ~UrlListBuilder() override;

    // Builds from the request's URL: the content-type check (or, for a local file, the
    // file check) unless request.checked, then adopts an open window showing exactly the
    // URL or loads it in a new hidden browser. The window takes no input meanwhile.
    void build(const UrlBuildRequest& request);
    // Checks the content type of the list's current entry (url); when it is a page,
    // entryIsPage asks the caller to go on, else the URL is refused.
    void checkEntry(const QString& url);
    // Harvests a link delivered from outside: adopts an open window showing it or loads
    // it hidden, without any check; the window keeps taking input.
    void harvestIncoming(const QString& url, bool append);
    // A pending content-type check gives way to a newer request, which takes the view
    // over: the pending request ends as cancelled.
    void giveWay();
    // A request that ended at its question (the dialog cancelled): reports Cancelled.
    void decline();
    // Ends a request that stopped before a harvest began: idle view, Cancelled.
    void endWithoutHarvest();
    // The Esc key: resets the status and progress and, while a harvest or a content-type
    // check runs, stops it and returns the window to idle.
    void cancel();
    // The window is closing: cancels whatever runs and refuses every later request. A
    // question of this builder that is still open unwinds by itself once answered, so
    // the builder is never destroyed from inside one.
    void shutdown();

    bool harvestRunning() const;
    // The command line's messages: a failed check or load names its cause ("host not
    // found", "the server answered 401 Unauthorized") in place of the window's message,
    // and the failed outcome carries its kind.
    void setTellCauses(bool tell) { m_tellCauses = tell; }
    // Waits this long after the load completes before the links are collected, for
    // those a page's scripts add later (0: at once).
    void setSettleMs(int ms) { m_settleMs = ms; }
    // Collects the links of a page still loading, as if it had completed (a command
    // line's timeout keeps what the page gave so far); false when no page is loading.
    bool collectEarly();
    bool isShutDown() const { return m_state == State::Closed; }

signals:
    // Every started harvest or refused/cancelled request ends with exactly one of these,
    // after the view was returned to idle and any message was shown: ok when the page's
    // links went through the acceptance rules; failed with the message shown when the
    // load failed, the content-type check refused the URL, the page could not be read or
    // no browser could be made; cancelled by the dialog or Esc.
    void harvestFinished(const Result<>& outcome);
    // The current entry passed its check (checkEntry): the caller asks its question and
    // builds from url, or ends the request with endWithoutHarvest.
    void entryIsPage(const QString& url);
    // The loaded page ended on another address than the one asked for (a redirect): its
    // links are those of finalUrl. Sent before harvestFinished.
    void pageMoved(const QString& finalUrl);

private:
    // Where the builder is. Every event is handled by one member below; the state says
    // which events still matter.
    enum class State {
        Idle,
        CheckingUrl, // the URL from the dialog waits for its content-type check
        CheckingEntry, // the list's current entry waits for its content-type check
        Loading, // a hidden browser loads the page
        Collecting, // the loaded page's links are being read
        Adopted, // the links of an open window are being read
        Closed, // the window is closing; every request is refused
    };
    enum class Origin { UrlBuild, Incoming };

    void startHarvest(const QString& url, Origin origin);
    std::shared_ptr<IShellWindow> findOpenWindow(const QString& url) const;
    void harvestAdopted(const std::shared_ptr<IShellWindow>& window);
    void startCheck(State checking, const QString& url);

    // The events.
    void onChecked(const Result<QString>& contentType);
    void onDocumentComplete(quint64 attempt);
    void collect(quint64 attempt);
    void onNavigateError(quint64 attempt, qint32 statusCode);
    void onProgress(quint64 attempt, int progress, int progressMax);
    void onLinks(quint64 attempt, const std::optional<ListEntries>& entries);

    void loadChecked(const QString& url);
    void recurseFramesFinish();
    void finishPageCompleted();
    void errorPath();
    void releaseBrowser();
    // Turns the URL down with the message (not HTML, a local file missing).
    void refuse(const QString& text, FailureKind kind = FailureKind::Other);
    bool checking() const
    {
        return m_state == State::CheckingUrl || m_state == State::CheckingEntry;
    }
    bool closed() const { return m_state == State::Closed; }

    const Preferences& m_prefs;
    const FilterState& m_filters;
    NavigationState& m_nav;
    LinkList& m_list;
    IMainView& m_view;
    IUserPrompt& m_prompt;
    IShellWindows& m_shellWindows;
    IContentTypeFetcher& m_fetcher;
    BrowserFactory m_browserFactory;

    State m_state = State::Idle;
    bool m_append = false; // the running build adds to the list rather than replacing it
    QString m_checkedUrl; // the URL of the pending content-type check
    bool m_tellCauses = false;
    int m_settleMs = 0;
    qint32 m_navStatus = 0; // the status of the load's navigation error
    // "wb2": the browser of the running load, or the adopted window. Both empty when no
    // harvest runs. A released browser is destroyed later, outside its own callbacks.
    std::unique_ptr<IHarvestBrowser> m_browser;
    std::shared_ptr<IShellWindow> m_adopted;
    // Numbers each harvest: a released browser or window may still call back, and the
    // same window may be adopted again.
    quint64 m_attempt = 0;
};
