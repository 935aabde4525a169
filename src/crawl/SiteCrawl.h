#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "builders/UrlListBuilder.h"
#include "core/FilterState.h"
#include "core/Preferences.h"
#include "crawl/CrawlFrontier.h"
#include "crawl/CrawlScope.h"
#include "crawl/CrawlStateStore.h"
#include "crawl/ISiteCrawl.h"
#include "crawl/RobotsRules.h"
#include "listops/LinkList.h"

class ITransferService;
class RobotsFetch;

// The site harvest: breadth first from the start page, each page read by a harvest
// browser from the factory (a page that cannot change itself by the parser, any other
// by the engine), its entries taken by the same acceptance rules as a single page's,
// its links to further pages in scope queued. Pages load side by side, at most
// CrawlOptions::perHost at once per site and no faster than its robots.txt asks; a
// server answering 429 or 503 is left alone for the time it asks. The state is kept in
// a folder (CrawlStateStore) as the harvest goes, so one stopped for any reason can be
// continued.
class SiteCrawl final : public QObject, public ISiteCrawl
{
    Q_OBJECT
public:
    // transfers: fetches robots.txt (null: no site's robots.txt is read). stateRoot: where
    // the states of unfinished harvests are kept (CrawlStateStore::defaultRoot()).
    SiteCrawl(const Preferences& prefs, const FilterState& filters,
        UrlListBuilder::BrowserFactory browsers, ITransferService* transfers,
        QString stateRoot = CrawlStateStore::defaultRoot(), QObject* parent = nullptr);
    ~SiteCrawl() override;

    void setProgressHandler(std::function<void(const CrawlProgress&)> handler) override;
    void setFinishedHandler(std::function<void(const CrawlResult&)> handler) override;
    void start(const QString& startUrl, const CrawlOptions& options, const HarvestScope& scope,
        bool resume) override;
    bool canResume(const QString& startUrl, const CrawlOptions& options) const override;
    void cancel() override;

    // A page that has not loaded after this long fails (120 s unless set).
    void setPageTimeoutSeconds(int seconds) { m_pageTimeoutSeconds = seconds; }
    // The waiting pages held in memory before the rest goes to a file.
    void setMemoryBound(qsizetype visits) { m_memoryBound = visits; }
    // How many visits ended as answers that were no page (by their type).
    int notPages() const { return m_notPages; }

private:
    struct Visit;
    struct Site {
        int running = 0;
        qint64 readyAtMs = 0; // no page of the site starts before this
        enum class Robots { Unknown, Fetching, Known } robots = Robots::Unknown;
        RobotsRules rules;
    };

    void begin(bool resume);
    void pump();
    bool ready(const CrawlVisit& visit);
    void startVisit(const CrawlVisit& visit);
    void onComplete(quint64 id);
    void onEntries(quint64 id, const std::optional<ListEntries>& entries);
    void onTimeout(quint64 id);
    // A page read: its entries are taken and its links queued once every page started
    // before it has ended, so the list and the order of visits do not depend on which
    // page loads faster.
    void takePage(const CrawlVisit& visit, const QString& movedTo, ListEntries entries);
    void queueLinks(const CrawlVisit& visit, const QString& page, const ListEntries& entries);
    // Runs the waiting ends of pages, in the order the pages started.
    void drainInOrder();
    void fail(Visit& visit, const QString& reason, FailureKind kind = FailureKind::Other);
    // done: the page is not to be visited again; reuse: its browser may read another.
    void endVisit(quint64 id, bool done, bool reuse = true);
    void stopAll();
    void finishSoon(const QString& reason);
    void finish();
    void report();
    CrawlProgress progress() const;
    qint64 nowMs() const { return m_clock.elapsed(); }
    static QString siteOf(const QString& url);

    Preferences m_prefs;
    FilterState m_filters;
    UrlListBuilder::BrowserFactory m_browsers;
    ITransferService* m_transfers;
    QString m_stateRoot;
    int m_pageTimeoutSeconds = 120;
    qsizetype m_memoryBound = 10000;

    std::function<void(const CrawlProgress&)> m_onProgress;
    std::function<void(const CrawlResult&)> m_onFinished;

    // The running harvest.
    QString m_startUrl;
    CrawlOptions m_options;
    HarvestScope m_scope;
    std::optional<CrawlScope> m_crawlScope;
    std::unique_ptr<CrawlFrontier> m_frontier;
    std::unique_ptr<CrawlStateStore> m_store;
    std::unique_ptr<RobotsFetch> m_robots;
    LinkList m_list;
    QList<CrawlFailure> m_failures;
    QSet<QString> m_done; // frontier keys of pages whose visit ended
    QHash<QString, Site> m_sites;
    std::map<quint64, std::unique_ptr<Visit>> m_running;
    // Browsers whose page ended, for the next pages: a browser keeps its engine page, so
    // scripted pages do not each start one anew.
    std::vector<std::unique_ptr<IHarvestBrowser>> m_idle;
    // Expires as the crawl goes: a browser's late answer then finds nobody.
    std::shared_ptr<char> m_alive = std::make_shared<char>();
    quint64 m_nextId = 0; // also the order pages start in
    // The pages started and not yet taken, by start order: what to do once every
    // earlier one is taken (null: nothing, or not ended yet when absent).
    std::map<quint64, std::function<void()>> m_ended;
    std::set<quint64> m_open;
    int m_read = 0;
    int m_startedNow = 0; // visits started by this run (the page limit)
    int m_notPages = 0;
    QElapsedTimer m_clock;
    QTimer m_wake; // a site's pause ends
    QTimer m_deadline; // the time limit
    bool m_active = false; // between start() and the finished handler
    bool m_cancelled = false;
    bool m_finishing = false;
    QString m_stopReason;
};
