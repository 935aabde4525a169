#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <optional>

#include "app/SiteCrawlChoices.h"
#include "crawl/ISiteCrawl.h"

class CRegSettings;
class IMainView;
class IUserPrompt;
class LinkList;
struct FilterState;
struct MainState;
struct Preferences;

// The window's side of "Build List from Site": the dialog with the stored choices, the
// offer to continue an unfinished harvest, the progress in the status panel while the
// crawl runs, and at its end (finished, stopped by Esc or by a limit) "Select Desired
// Action", the entries through the harvest's acceptance rules, and a summary of the pages
// that failed. The list changes only at the end, in one go.
class SiteCrawlFlow final
{
public:
    // Makes a crawl that takes entries by the preferences and filters in effect now.
    using CrawlFactory = std::function<std::unique_ptr<ISiteCrawl>(
        const Preferences& prefs, const FilterState& filters)>;
    // Shows the dialog over the stored choices; nullopt when it was cancelled.
    using AskChoices = std::function<std::optional<SiteCrawlChoices>(const SiteCrawlChoices&)>;

    // A null factory leaves the command unavailable: it says so and does nothing.
    SiteCrawlFlow(MainState& state, LinkList& list, IMainView& view, IUserPrompt& prompt,
        CRegSettings& settings, CrawlFactory factory, AskChoices askChoices);
    // A running crawl is cancelled (its state kept for a later continue) and destroyed;
    // its pending end is dropped. Safe while one of this flow's questions is open.
    ~SiteCrawlFlow();
    SiteCrawlFlow(const SiteCrawlFlow&) = delete;
    SiteCrawlFlow& operator=(const SiteCrawlFlow&) = delete;

    bool available() const { return static_cast<bool>(m_factory); }
    bool running() const { return m_crawl != nullptr; }

    // "Build List from Site": refused while a crawl runs or after shutdown().
    void buildFromSite();
    // Esc: stops the running crawl, whose end then applies what was found. False when
    // no crawl runs.
    bool cancel();
    // The window is closing: the crawl is stopped, nothing more is asked or applied.
    void shutdown();
    // Called after each crawl's end was handled, for the window's state pass.
    void setEnded(std::function<void()> ended) { m_ended = std::move(ended); }

    // The summary shown at the end: why a limit stopped the crawl and the pages that
    // failed with their reasons, at most kFailuresListed of them; empty when there is
    // nothing to tell.
    static QString summary(const CrawlResult& result);
    static QString progressText(const CrawlProgress& progress);
    static constexpr int kFailuresListed = 20;

private:
    void start(std::unique_ptr<ISiteCrawl> crawl, const SiteCrawlChoices& choices, bool resume);
    void finish(const CrawlResult& result);
    // Releases the crawl and ignores whatever it still reports.
    void release();
    bool stillWanted(const std::weak_ptr<char>& alive) const;

    MainState& m_state;
    LinkList& m_list;
    IMainView& m_view;
    IUserPrompt& m_prompt;
    CRegSettings& m_settings;
    CrawlFactory m_factory;
    AskChoices m_askChoices;
    std::function<void()> m_ended;

    std::unique_ptr<ISiteCrawl> m_crawl;
    quint64 m_run = 0; // numbers each crawl, so a late report of an earlier one is ignored
    bool m_stopping = false;
    bool m_closed = false;
    // Expires with the flow: a question's nested wait or a posted end checks it before
    // touching any member.
    std::shared_ptr<char> m_alive = std::make_shared<char>();
};
