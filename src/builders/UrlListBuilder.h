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
struct HandOver;
struct NavigationState;
struct Preferences;

// "Build list from URL" and the flows that end in a page harvest: the build from the
// current entry's target and the incoming link. The list is replaced (or appended to)
// only when the page's links arrive; a build that fails or is cancelled leaves it as it
// was. Owns the running harvest ("wb2"): a browser made by the factory for each load, or
// an adopted open window.
class UrlListBuilder final : public QObject
{
    Q_OBJECT
public:
    using BrowserFactory = std::function<std::unique_ptr<IHarvestBrowser>()>;

    UrlListBuilder(const Preferences& prefs, const FilterState& filters, HandOver& handover,
        NavigationState& nav, LinkList& list, IMainView& view, IUserPrompt& prompt,
        IShellWindows& shellWindows, IContentTypeFetcher& fetcher, BrowserFactory browserFactory,
        QObject* parent = nullptr);
    ~UrlListBuilder() override;

    // The whole operation: the dialog when goturl is empty (with the content-type
    // check), else goturl without either; adopts an open window showing exactly the
    // URL or loads it in a new hidden browser. Always leaves goturl empty.
    void mnufURL_Click();
    // Builds from the list's current entry: content-type check, "Select Desired
    // Action", then mnufURL_Click with goturl set.
    void mnusavpopbuild_Click();
    // Harvests handover.nurl (and empties it): adopts an open window showing it or loads
    // it hidden; asks "Select Desired Action" first when the list is not empty.
    // A request that arrives while a content-type check is pending takes over: the
    // pending request ends as cancelled.
    void incomingLink();
    // The Esc key: resets the status and progress and, while a harvest or a content-type
    // check runs, stops it and returns the window to idle.
    void cancel();
    // The window is closing: cancels whatever runs and refuses every later request. A
    // question of this builder that is still open unwinds by itself once answered, so
    // the builder is never destroyed from inside one.
    void shutdown();

    bool harvestRunning() const;
    bool isShutDown() const { return m_state == State::Closed; }

signals:
    // Every started harvest or refused/cancelled request ends with exactly one of these,
    // after the view was returned to idle and any message was shown: ok when the page's
    // links went through the acceptance rules; failed with the message shown when the
    // load failed, the content-type check refused the URL, the page could not be read or
    // no browser could be made; cancelled by the dialog or Esc.
    void harvestFinished(const Result<>& outcome);

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
    // A pending content-type check gives way to a newer request.
    void supersedeCheck();

    // The events.
    void onChecked(const Result<QString>& contentType);
    void onDocumentComplete(quint64 attempt);
    void onNavigateError(quint64 attempt, qint32 statusCode);
    void onProgress(quint64 attempt, int progress, int progressMax);
    void onLinks(quint64 attempt, const std::optional<ListEntries>& entries);

    void loadChecked(const QString& url);
    void askThenBuild(const QString& url);
    void recurseFramesFinish();
    void finishPageCompleted();
    void errorPath();
    void releaseBrowser();
    // Turns the URL down with the message (not HTML, a local file missing).
    void refuse(const QString& text);
    // Ends a request that stopped before a harvest began: idle view, Cancelled.
    void endWithoutHarvest();
    bool checking() const
    {
        return m_state == State::CheckingUrl || m_state == State::CheckingEntry;
    }
    bool closed() const { return m_state == State::Closed; }

    const Preferences& m_prefs;
    const FilterState& m_filters;
    HandOver& m_handover;
    NavigationState& m_nav;
    LinkList& m_list;
    IMainView& m_view;
    IUserPrompt& m_prompt;
    IShellWindows& m_shellWindows;
    IContentTypeFetcher& m_fetcher;
    BrowserFactory m_browserFactory;

    State m_state = State::Idle;
    QString m_checkedUrl; // the URL of the pending content-type check
    // "wb2": the browser of the running load, or the adopted window. Both empty when no
    // harvest runs. A released browser is destroyed later, outside its own callbacks.
    std::unique_ptr<IHarvestBrowser> m_browser;
    std::shared_ptr<IShellWindow> m_adopted;
    // Numbers each harvest: a released browser or window may still call back, and the
    // same window may be adopted again.
    quint64 m_attempt = 0;
};
