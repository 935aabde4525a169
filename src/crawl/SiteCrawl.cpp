#include "crawl/SiteCrawl.h"

#include <QDir>
#include <QUrl>
#include <algorithm>
#include <limits>

#include "builders/HarvestAcceptor.h"
#include "builders/NavigationErrors.h"
#include "crawl/NextPageLink.h"
#include "crawl/RobotsFetch.h"
#include "download/DownloadNames.h"

namespace
{

// A server that keeps answering "come back later" is given up after this many tries.
constexpr int kMaxTries = 3;
// The pause after a 429 or 503 without Retry-After, and the longest one honoured.
constexpr int kDefaultPauseSeconds = 30;
constexpr int kLongestPauseSeconds = 600;
// Browsers kept between pages.
constexpr size_t kIdleBrowsers = 4;

// Whether the last part of the address's path is named as pages usually are, so the
// lookup of its type by name, which costs more than every other check of a link, is
// not needed.
bool usualPageName(const QUrl& address)
{
    static const QSet<QString> pages { QStringLiteral("html"), QStringLiteral("htm"),
        QStringLiteral("xhtml"), QStringLiteral("shtml"), QStringLiteral("php"),
        QStringLiteral("asp"), QStringLiteral("aspx"), QStringLiteral("jsp") };
    const QString path = address.path();
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return name.isEmpty() || (dot >= 0 && pages.contains(name.mid(dot + 1).toLower()));
}

} // namespace

// One page being read.
struct SiteCrawl::Visit {
    CrawlVisit visit;
    QString site;
    std::unique_ptr<IHarvestBrowser> browser;
    QTimer timeout;
    std::optional<qint32> error;
    bool collecting = false;
};

SiteCrawl::SiteCrawl(const Preferences& prefs, const FilterState& filters,
    UrlListBuilder::BrowserFactory browsers, ITransferService* transfers, QString stateRoot,
    QObject* parent)
    : QObject(parent)
    , m_prefs(prefs)
    , m_filters(filters)
    , m_browsers(std::move(browsers))
    , m_transfers(transfers)
    , m_stateRoot(std::move(stateRoot))
{
    m_list.setMaxEntries(std::numeric_limits<int>::max());
    m_wake.setSingleShot(true);
    connect(&m_wake, &QTimer::timeout, this, &SiteCrawl::pump);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        finishSoon(
            QStringLiteral("reached the time limit of %1 seconds").arg(m_options.maxSeconds));
    });
}

SiteCrawl::~SiteCrawl()
{
    m_alive.reset();
    // Stopped browsers call no handler any more: they can go at once.
    for (auto& [id, v] : m_running) {
        if (v->browser)
            v->browser->stop();
    }
    m_running.clear();
    m_idle.clear();
}

void SiteCrawl::setProgressHandler(std::function<void(const CrawlProgress&)> handler)
{
    m_onProgress = std::move(handler);
}

void SiteCrawl::setFinishedHandler(std::function<void(const CrawlResult&)> handler)
{
    m_onFinished = std::move(handler);
}

bool SiteCrawl::canResume(const QString& startUrl, const CrawlOptions& options) const
{
    const QString start = CrawlFrontier::key(QUrl::fromUserInput(startUrl).toString());
    return CrawlStateStore(CrawlStateStore::folderFor(m_stateRoot, start, options)).exists();
}

void SiteCrawl::start(
    const QString& startUrl, const CrawlOptions& options, const HarvestScope& scope, bool resume)
{
    stopAll();
    m_startUrl = CrawlFrontier::key(QUrl::fromUserInput(startUrl).toString());
    m_options = options;
    m_options.perHost = std::max(options.perHost, 1);
    m_scope = scope;
    m_list.clear();
    m_failures.clear();
    m_done.clear();
    m_sites.clear();
    m_read = 0;
    m_startedNow = 0;
    m_notPages = 0;
    m_cancelled = false;
    m_finishing = false;
    m_stopReason.clear();
    m_active = true;
    m_clock.start();
    // Handlers are never called from inside start().
    QTimer::singleShot(0, this, [this, resume] { begin(resume); });
}

void SiteCrawl::begin(bool resume)
{
    Result<CrawlScope> scope = CrawlScope::make(QUrl(m_startUrl), m_options);
    if (!scope) {
        m_stopReason = scope.message();
        finish();
        return;
    }
    m_crawlScope = std::move(scope).value();
    const QString folder = CrawlStateStore::folderFor(m_stateRoot, m_startUrl, m_options);
    m_store = std::make_unique<CrawlStateStore>(folder);
    m_frontier = std::make_unique<CrawlFrontier>(folder, m_memoryBound);
    m_robots
        = m_options.robots && m_transfers ? std::make_unique<RobotsFetch>(*m_transfers) : nullptr;

    const bool resuming = resume && m_store->exists();
    if (resuming) {
        CrawlSavedState saved = m_store->read();
        m_done = saved.done;
        for (const QString& key : std::as_const(saved.done))
            m_frontier->markKnown(key);
        for (const CrawlVisit& visit : std::as_const(saved.queued))
            m_frontier->add(visit);
        m_list.addEntries(saved.entries);
        m_failures = saved.failures;
        m_read = std::max(0, saved.visited - static_cast<int>(saved.failures.size()));
    }
    // Without a folder to write, the harvest runs all the same; it cannot be continued.
    if (!m_store->open(!resuming))
        m_store.reset();
    if (!resuming) {
        const CrawlVisit first { m_startUrl, 0 };
        m_frontier->add(first);
        if (m_store)
            m_store->queued({ first });
    }
    if (m_options.maxSeconds > 0)
        m_deadline.start(m_options.maxSeconds * 1000);
    report();
    pump();
}

QString SiteCrawl::siteOf(const QString& url)
{
    const QUrl address(url);
    return address
        .adjusted(
            QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo)
        .toString();
}

bool SiteCrawl::ready(const CrawlVisit& visit)
{
    Site& site = m_sites[siteOf(visit.url)];
    if (m_robots && site.robots == Site::Robots::Unknown) {
        site.robots = Site::Robots::Fetching;
        const QString origin = siteOf(visit.url);
        m_robots->fetch(origin, [this, origin](const RobotsRules& rules) {
            Site& known = m_sites[origin];
            known.rules = rules;
            known.robots = Site::Robots::Known;
            pump();
        });
    }
    if (m_robots && site.robots != Site::Robots::Known)
        return false;
    return site.running < m_options.perHost && nowMs() >= site.readyAtMs;
}

void SiteCrawl::pump()
{
    if (!m_active || m_finishing || !m_frontier)
        return;
    while (!m_finishing && m_startedNow < m_options.maxPages) {
        const std::optional<CrawlVisit> visit
            = m_frontier->take([this](const CrawlVisit& v) { return ready(v); });
        if (!visit)
            break;
        startVisit(*visit);
    }
    if (m_finishing || !m_running.empty())
        return;
    if (m_frontier->isEmpty()) {
        finishSoon({});
        return;
    }
    if (m_startedNow >= m_options.maxPages) {
        finishSoon(QStringLiteral("reached the limit of %1 pages").arg(m_options.maxPages));
        return;
    }
    // Every waiting page's site is paused or its robots.txt is on its way: look again
    // when the first pause ends.
    qint64 next = std::numeric_limits<qint64>::max();
    for (const Site& site : std::as_const(m_sites)) {
        if (site.readyAtMs > nowMs())
            next = std::min(next, site.readyAtMs);
    }
    if (next != std::numeric_limits<qint64>::max())
        m_wake.start(static_cast<int>(std::clamp<qint64>(next - nowMs(), 1, 60000)));
}

void SiteCrawl::startVisit(const CrawlVisit& visit)
{
    const QString origin = siteOf(visit.url);
    Site& site = m_sites[origin];
    const QUrl address(visit.url);
    if (m_robots
        && !site.rules.allows(address.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority
            | QUrl::RemoveFragment | QUrl::FullyEncoded))) {
        // Not visited, and not a failure: the site asked for it.
        m_done.insert(visit.url);
        if (m_store)
            m_store->done(visit.url);
        if (visit.url == m_startUrl && visit.depth == 0)
            m_stopReason = QStringLiteral("the site's robots.txt forbids %1").arg(visit.url);
        return;
    }
    ++site.running;
    site.readyAtMs = nowMs() + static_cast<qint64>(site.rules.crawlDelay() * 1000);
    ++m_startedNow;

    const quint64 id = ++m_nextId;
    auto running = std::make_unique<Visit>();
    Visit& v = *running;
    v.visit = visit;
    v.site = origin;
    m_running.emplace(id, std::move(running));
    m_open.insert(id);
    if (!m_idle.empty()) {
        v.browser = std::move(m_idle.back());
        m_idle.pop_back();
    } else if (m_browsers) {
        v.browser = m_browsers();
    }
    if (!v.browser) {
        fail(v, QStringLiteral("no browser could be made"));
        QTimer::singleShot(0, this, [this, id] { endVisit(id, true); });
        return;
    }
    v.browser->setScope(m_scope);
    v.browser->setPagesOnly(true);
    // A browser may outlive this crawl for a moment (it goes once control is back in the
    // event loop), and an engine page answers its pending calls as it goes.
    const std::weak_ptr<char> alive = m_alive;
    v.browser->setNavigateErrorHandler([this, id, alive](qint32 status) {
        if (alive.expired())
            return;
        if (const auto it = m_running.find(id); it != m_running.end())
            it->second->error = status;
    });
    v.browser->setDocumentCompleteHandler([this, id, alive] {
        if (!alive.expired())
            onComplete(id);
    });
    v.browser->setProgressHandler([](int, int) {});
    v.timeout.setSingleShot(true);
    connect(&v.timeout, &QTimer::timeout, this, [this, id] { onTimeout(id); });
    v.timeout.start(m_pageTimeoutSeconds * 1000);
    v.browser->navigate(visit.url);
    report();
}

void SiteCrawl::onComplete(quint64 id)
{
    const auto it = m_running.find(id);
    if (it == m_running.end() || it->second->collecting)
        return;
    Visit& v = *it->second;
    if (v.error) {
        const qint32 status = *v.error;
        if ((status == 429 || status == 503) && v.visit.tries + 1 < kMaxTries) {
            // The server asked to come back later: its site pauses and the page waits
            // its turn again.
            const int asked = v.browser->retryAfterSeconds();
            const int pause
                = std::min(asked >= 0 ? asked : kDefaultPauseSeconds, kLongestPauseSeconds);
            Site& site = m_sites[v.site];
            site.readyAtMs = std::max(site.readyAtMs, nowMs() + pause * 1000LL);
            CrawlVisit again = v.visit;
            ++again.tries;
            m_frontier->requeue(again);
            --m_startedNow;
            endVisit(id, false);
            return;
        }
        const NavigationCause cause = navigationCause(status);
        fail(v, cause.text, cause.kind);
        endVisit(id, true);
        return;
    }
    if (!v.browser->notPageType().isEmpty()) {
        ++m_notPages;
        endVisit(id, true);
        return;
    }
    v.collecting = true;
    v.browser->collectEntries([this, id, alive = std::weak_ptr<char>(m_alive)](
                                  const std::optional<ListEntries>& entries) {
        if (!alive.expired())
            onEntries(id, entries);
    });
}

void SiteCrawl::onEntries(quint64 id, const std::optional<ListEntries>& entries)
{
    const auto it = m_running.find(id);
    if (it == m_running.end())
        return;
    Visit& v = *it->second;
    if (!entries)
        fail(v, QStringLiteral("the page could not be read"));
    else
        m_ended[id] = [this, visit = v.visit, moved = v.browser->movedTo(), found = *entries] {
            takePage(visit, moved, found);
        };
    endVisit(id, true);
}

void SiteCrawl::onTimeout(quint64 id)
{
    const auto it = m_running.find(id);
    if (it == m_running.end())
        return;
    Visit& v = *it->second;
    v.browser->stop();
    fail(v, QStringLiteral("the page did not load within %1 seconds").arg(m_pageTimeoutSeconds),
        FailureKind::Network);
    endVisit(id, true, false);
}

void SiteCrawl::takePage(const CrawlVisit& visit, const QString& moved, ListEntries entries)
{
    QString page = visit.url;
    if (!moved.isEmpty()) {
        // A redirect to a page already read gives nothing new; one to a page still
        // waiting reads it now.
        page = CrawlFrontier::key(moved);
        if (m_done.contains(page) && page != visit.url)
            return;
        m_frontier->markKnown(page);
        m_done.insert(page);
        if (m_store)
            m_store->done(page);
    }
    ++m_read;
    for (ListEntry& entry : entries)
        entry.context.depth = visit.depth;
    const int before = m_list.count();
    HarvestAcceptor(m_prefs, m_filters, m_list).accept(entries);
    if (m_store && m_list.count() > before)
        m_store->entries(m_list.listEntries().mid(before));
    if (m_crawlScope->contains(QUrl(page)))
        queueLinks(visit, page, entries);
}

void SiteCrawl::queueLinks(const CrawlVisit& from, const QString& page, const ListEntries& entries)
{
    // Every link counts, not only those the filters keep: a harvest of pictures still
    // walks the pages that show them.
    QList<CrawlVisit> queued;
    for (const ListEntry& entry : entries) {
        if (entry.context.kind != EntryKind::Link)
            continue;
        const QUrl address
            = QUrl(entry.url).adjusted(QUrl::RemoveFragment | QUrl::NormalizePathSegments);
        const QString key = address.toString(QUrl::FullyEncoded);
        if (m_frontier->knownKey(key) || (!usualPageName(address) && LinkNamesFile(key)))
            continue;
        const bool next = m_options.nextPages && NextPageLink::isNext(entry, page)
            && m_crawlScope->contains(address);
        const bool deeper = from.depth < m_options.depth && m_crawlScope->follows(address);
        if (!next && !deeper)
            continue;
        // The next page continues its page: it keeps the page's depth.
        const CrawlVisit visit { key, next ? from.depth : from.depth + 1 };
        if (m_frontier->add(visit))
            queued.append(visit);
    }
    if (m_store)
        m_store->queued(queued);
}

void SiteCrawl::fail(Visit& v, const QString& reason, FailureKind kind)
{
    const CrawlFailure failure { v.visit.url, reason, kind };
    m_failures.append(failure);
    if (m_store)
        m_store->failed(failure);
}

void SiteCrawl::endVisit(quint64 id, bool done, bool reuse)
{
    const auto it = m_running.find(id);
    if (it == m_running.end())
        return;
    std::shared_ptr<Visit> v(std::move(it->second));
    m_running.erase(it);
    v->timeout.stop();
    if (Site& site = m_sites[v->site]; site.running > 0)
        --site.running;
    // The page counts as done once its entries are kept, so a harvest killed in between
    // reads it again when continued.
    std::function<void()> take = std::move(m_ended[id]);
    m_ended[id] = [this, take = std::move(take), url = v->visit.url, done] {
        if (take)
            take();
        if (done) {
            m_done.insert(url);
            if (m_store)
                m_store->done(url);
        }
    };
    drainInOrder();
    // The browser may be inside its own handler: it goes, or waits for the next page,
    // once control is back in the event loop.
    QTimer::singleShot(0, this, [this, v, reuse] {
        if (reuse && v->browser && m_active && !m_finishing && m_idle.size() < kIdleBrowsers) {
            m_idle.push_back(std::move(v->browser));
            pump();
        }
    });
    report();
    pump();
}

void SiteCrawl::drainInOrder()
{
    while (!m_open.empty()) {
        const auto ended = m_ended.find(*m_open.begin());
        if (ended == m_ended.end())
            return;
        const std::function<void()> take = std::move(ended->second);
        m_ended.erase(ended);
        m_open.erase(m_open.begin());
        if (take)
            take();
    }
}

void SiteCrawl::stopAll()
{
    m_wake.stop();
    m_deadline.stop();
    if (m_robots)
        m_robots->cancelAll();
    for (auto& [id, v] : m_running) {
        v->timeout.stop();
        if (v->browser)
            v->browser->stop();
        std::shared_ptr<Visit> gone(std::move(v));
        QTimer::singleShot(0, this, [gone] {});
    }
    m_running.clear();
    // The pages read behind one that was stopped are kept all the same; the stopped
    // ones wait in the kept state.
    for (auto& [id, take] : m_ended) {
        if (take)
            take();
    }
    m_ended.clear();
    m_open.clear();
}

void SiteCrawl::cancel()
{
    if (!m_active || m_finishing)
        return;
    m_cancelled = true;
    finishSoon({});
}

void SiteCrawl::finishSoon(const QString& reason)
{
    if (m_finishing)
        return;
    m_finishing = true;
    if (m_stopReason.isEmpty())
        m_stopReason = reason;
    // The pages still loading stay waiting in the kept state.
    stopAll();
    QTimer::singleShot(0, this, &SiteCrawl::finish);
}

void SiteCrawl::finish()
{
    m_finishing = true;
    m_active = false;
    stopAll();
    CrawlResult result;
    result.entries = m_list.listEntries();
    result.failures = m_failures;
    result.progress = progress();
    result.cancelled = m_cancelled;
    result.stopReason = m_stopReason;
    const bool complete
        = !m_cancelled && m_stopReason.isEmpty() && m_frontier && m_frontier->isEmpty();
    if (m_store && complete)
        m_store->remove();
    m_store.reset();
    m_frontier.reset();
    m_robots.reset();
    m_idle.clear();
    if (m_onFinished)
        m_onFinished(result);
}

CrawlProgress SiteCrawl::progress() const
{
    CrawlProgress now;
    now.visited = m_read;
    now.waiting = static_cast<int>((m_frontier ? m_frontier->waiting() : 0) + m_running.size());
    now.failed = static_cast<int>(m_failures.size());
    now.entries = m_list.count();
    return now;
}

void SiteCrawl::report()
{
    if (m_onProgress && !m_finishing)
        m_onProgress(progress());
}
