#include "platform/webengine/WebEngineHarvestBrowser.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QVariant>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <utility>

#include "builders/NavigationErrors.h"
#include "platform/webengine/BrowserProfile.h"
#include "platform/webengine/HarvestCertificates.h"
#include "platform/webengine/HarvestRequestFilter.h"
#include "platform/webengine/HarvestScripts.h"
#include "platform/webengine/QuietPage.h"

namespace
{

// A page that never shows a script dialog or a console message and never opens a window.
class SilentPage final : public QuietPage
{
public:
    using QuietPage::QuietPage;

protected:
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
};

// Marks the time spent inside navigate(), stop() or collectEntries(): no handler may run
// then.
class InCall final
{
public:
    explicit InCall(int& depth)
        : m_depth(depth)
    {
        ++m_depth;
    }
    ~InCall() { --m_depth; }
    InCall(const InCall&) = delete;
    InCall& operator=(const InCall&) = delete;

private:
    int& m_depth;
};

// Chromium's network error codes (net/base/net_error_list.h) met in practice, mapped
// onto the URL-moniker codes whose messages describe them.
qint32 statusForNetError(int error)
{
    using namespace NavigationStatus;
    switch (error) {
    case -3: // ABORTED
        return INET_E_TERMINATED_BIND;
    case -6: // FILE_NOT_FOUND
        return INET_E_OBJECT_NOT_FOUND;
    case -7: // TIMED_OUT
    case -118: // CONNECTION_TIMED_OUT
        return INET_E_CONNECTION_TIMEOUT;
    case -20: // BLOCKED_BY_CLIENT
    case -21: // BLOCKED_BY_ADMINISTRATOR
    case -27: // BLOCKED_BY_RESPONSE
        return INET_E_SECURITY_PROBLEM;
    case -100: // CONNECTION_CLOSED
    case -101: // CONNECTION_RESET
    case -324: // EMPTY_RESPONSE
        return INET_E_DOWNLOAD_FAILURE;
    case -105: // NAME_NOT_RESOLVED
    case -137: // NAME_RESOLUTION_FAILED
        return INET_E_RESOURCE_NOT_FOUND;
    case -110: // SSL_CLIENT_AUTH_CERT_NEEDED
    case -127: // PROXY_AUTH_REQUESTED
        return INET_E_AUTHENTICATION_REQUIRED;
    case -300: // INVALID_URL
        return INET_E_INVALID_URL;
    case -301: // DISALLOWED_URL_SCHEME
    case -302: // UNKNOWN_URL_SCHEME
        return INET_E_UNKNOWN_PROTOCOL;
    case -303: // INVALID_REDIRECT
    case -310: // TOO_MANY_REDIRECTS
    case -311: // UNSAFE_REDIRECT
        return INET_E_REDIRECT_FAILED;
    default:
        break;
    }
    if (error <= -800 && error > -900) // DNS resolver errors
        return INET_E_RESOURCE_NOT_FOUND;
    if (error == -107 || error == -113 || (error <= -200 && error > -300)) // TLS, certificates
        return INET_E_SECURITY_PROBLEM;
    if (error <= -100 && error > -200) // connection errors
        return INET_E_CANNOT_CONNECT;
    if (error <= -300 && error > -400) // HTTP protocol errors
        return INET_E_CANNOT_LOAD_DATA;
    if (error <= -400 && error > -500) // cache errors
        return INET_E_DATA_NOT_AVAILABLE;
    return INET_E_DOWNLOAD_FAILURE;
}

// The size of the page's window, as an ordinary desktop browser window has it: a page
// that adapts to its window builds the same layout, menus and backgrounds for the harvest
// as for someone reading it there.
constexpr QSize kViewportSize(1280, 800);

// The style sheet that keeps every document out of the layout (see js/no-layout.js).
QWebEngineScript noLayoutScript()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("quillmarch-no-layout"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    // The page's own world: an isolated world would cost a second script context in
    // every frame.
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(HarvestScripts::noLayout());
    return script;
}

// The script that keeps media elements from loading (see js/idle-media.js), in every
// document from its creation, in the page's own world for the same reason as above.
QWebEngineScript idleMediaScript()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("quillmarch-idle-media"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(HarvestScripts::idleMedia());
    return script;
}

// Scrolling for lazy content: a step every kScrollStepMs, until the page's height stops
// growing (no growth for kScrollSettleMs: a page's timers may run only once a second),
// after kMaxScrollSteps steps or after kMaxScrollMs.
constexpr int kScrollStepMs = 250;
constexpr qint64 kScrollSettleMs = 1200;
constexpr int kMaxScrollSteps = 30;
constexpr qint64 kMaxScrollMs = 10000;

// The entries of the answer of the entries walk: [docs, items, kinds, thumbs, nexts],
// where docs holds each walked document's address, title and entry count, items an
// address and a text per entry, kinds a digit per entry (EntryKind's order), thumbs an
// entry's index and thumbnail address for each linked full-size picture and nexts the
// index of each link marked rel="next". nullopt when the answer has another shape.
std::optional<ListEntries> entriesFromAnswer(const QVariant& answer)
{
    if (answer.typeId() != QMetaType::QVariantList)
        return std::nullopt;
    const QVariantList parts = answer.toList();
    if (parts.size() != 5)
        return std::nullopt;
    const QVariantList docs = parts.at(0).toList();
    const QVariantList items = parts.at(1).toList();
    const QString kinds = parts.at(2).toString();
    if (items.size() != 2 * kinds.size())
        return std::nullopt;
    ListEntries entries;
    entries.reserve(kinds.size());
    qsizetype next = 0;
    for (qsizetype d = 0; d + 2 < docs.size(); d += 3) {
        // One copy of a document's address and title, shared by its entries.
        const QString page = docs.at(d).toString();
        const QString title = docs.at(d + 1).toString();
        const qsizetype end = std::min(kinds.size(), next + docs.at(d + 2).toLongLong());
        for (; next < end; ++next) {
            const int digit = kinds.at(next).unicode() - u'0';
            if (digit < 0 || digit > static_cast<int>(EntryKind::Poster))
                return std::nullopt;
            ListEntry entry;
            entry.url = items.at(2 * next).toString();
            entry.context.kind = static_cast<EntryKind>(digit);
            entry.context.text = items.at(2 * next + 1).toString();
            entry.context.page = page;
            entry.context.title = title;
            entries.append(std::move(entry));
        }
    }
    const QVariantList thumbs = parts.at(3).toList();
    for (qsizetype t = 0; t + 1 < thumbs.size(); t += 2) {
        const qsizetype index = thumbs.at(t).toLongLong();
        if (index >= 0 && index < entries.size())
            entries[index].context.thumbnail = thumbs.at(t + 1).toString();
    }
    for (const QVariant& index : parts.at(4).toList()) {
        if (const qsizetype at = index.toLongLong(); at >= 0 && at < entries.size())
            entries[at].context.relNext = true;
    }
    return entries;
}

} // namespace

WebEngineHarvestBrowser::WebEngineHarvestBrowser(QWebEngineProfile* profile, QObject* parent)
    : QObject(parent)
{
    m_page = new SilentPage(profile, this);
    // A page with no view has a window of no size at all. A view that is never shown
    // gives it a desktop window's size while it stays hidden (neither painted nor given
    // the timers of a page on screen). Views need a QApplication; without one the page
    // keeps its empty window.
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        m_view = std::make_unique<QWebEngineView>();
        m_view->setAttribute(Qt::WA_DontShowOnScreen);
        m_view->resize(kViewportSize);
        m_view->setPage(m_page);
    }
    // The windows' profile is released at quit, and only after its pages.
    if (!profile->isOffTheRecord())
        BrowserProfile::trackPage(m_page);
    m_filter = new HarvestRequestFilter(m_page);
    m_page->setUrlRequestInterceptor(m_filter);
    m_page->scripts().insert(noLayoutScript());
    QWebEngineSettings* settings = m_page->settings();
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, false);
    settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    // Scripts may not open windows: each window.open would otherwise cost a new page
    // (and its memory) before createWindow turns it down, and a page calling it in a
    // loop stalls the harvest.
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    connect(
        m_page, &QWebEnginePage::loadingChanged, this, &WebEngineHarvestBrowser::onLoadingChanged);
    connect(m_page, &QWebEnginePage::loadProgress, this, [this](int progress) {
        Q_ASSERT(QThread::currentThread() == thread());
        if (!m_stopped && m_onProgress)
            m_onProgress(progress, 100);
    });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
        &WebEngineHarvestBrowser::onRendererGone);
    // A request the page makes for a new window is left unanswered, so none opens.
    connect(m_page, &QWebEnginePage::newWindowRequested, this, [](QWebEngineNewWindowRequest&) {});
    connect(m_page, &QWebEnginePage::certificateError, this, &HarvestCertificates::decide);
}

WebEngineHarvestBrowser::~WebEngineHarvestBrowser()
{
    m_stopped = true;
    if (m_page)
        m_page->disconnect(this);
    // The view lets go of its page before the page goes.
    m_view.reset();
    delete m_page.data();
}

void WebEngineHarvestBrowser::assertHandlerContext() const
{
    Q_ASSERT(QThread::currentThread() == thread());
    Q_ASSERT(m_inCall == 0);
}

void WebEngineHarvestBrowser::setDocumentCompleteHandler(std::function<void()> handler)
{
    Q_ASSERT(QThread::currentThread() == thread());
    m_onComplete = std::move(handler);
}

void WebEngineHarvestBrowser::setNavigateErrorHandler(std::function<void(qint32)> handler)
{
    Q_ASSERT(QThread::currentThread() == thread());
    m_onError = std::move(handler);
}

void WebEngineHarvestBrowser::setProgressHandler(std::function<void(int, int)> handler)
{
    Q_ASSERT(QThread::currentThread() == thread());
    m_onProgress = std::move(handler);
}

void WebEngineHarvestBrowser::navigate(const QString& url)
{
    Q_ASSERT(QThread::currentThread() == thread());
    const InCall inCall(m_inCall);
    m_stopped = false;
    m_loading = true;
    m_requested = QUrl::fromUserInput(url);
    if (!m_page)
        return;
    if (!m_page->profile()->isOffTheRecord() || !BrowserProfile::detachedSeeding()) {
        m_page->load(m_requested);
        return;
    }
    // The cookies given to the profile go out with the page's first request.
    const QUrl requested = m_requested;
    BrowserProfile::whenDetachedReady(this, [this, requested] {
        if (m_page && !m_stopped && m_requested == requested)
            m_page->load(requested);
    });
}

QString WebEngineHarvestBrowser::movedTo() const
{
    if (!m_page)
        return {};
    // The same page under another fragment, or with the root path spelt out, did not move.
    const auto plain = [](const QUrl& url) {
        QUrl bare = url.adjusted(QUrl::RemoveFragment | QUrl::NormalizePathSegments);
        if (bare.path().isEmpty())
            bare.setPath(QStringLiteral("/"));
        return bare;
    };
    const QUrl now = m_page->url();
    if (now.isEmpty() || plain(now) == plain(m_requested))
        return {};
    return now.toString();
}

void WebEngineHarvestBrowser::stop()
{
    Q_ASSERT(QThread::currentThread() == thread());
    const InCall inCall(m_inCall);
    m_stopped = true;
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Stop);
}

void WebEngineHarvestBrowser::setScope(const HarvestScope& scope)
{
    Q_ASSERT(QThread::currentThread() == thread());
    IHarvestBrowser::setScope(scope);
    if (!m_page)
        return;
    // Media may be CSS backgrounds, which only the page's style sheets name.
    m_filter->setLoadStyleSheets(scope.media());
    QWebEngineScriptCollection& scripts = m_page->scripts();
    // Media harvests keep media elements idle. The watch for them costs a little on every
    // page with many elements, which a links harvest does not pay.
    const QList<QWebEngineScript> idleMedia = scripts.find(idleMediaScript().name());
    if (!scope.media()) {
        for (const QWebEngineScript& script : idleMedia)
            scripts.remove(script);
    } else if (idleMedia.isEmpty()) {
        scripts.insert(idleMediaScript());
    }
    // Scrolling needs a layout; the other harvests go without one.
    const QList<QWebEngineScript> noLayout = scripts.find(noLayoutScript().name());
    // A hidden page's timers are slowed to one a second and it renders no frames, so a
    // page that is scrolled counts as shown: its scripts then react as in a browser tab.
    m_page->setVisible(scope.scroll);
    if (scope.scroll) {
        for (const QWebEngineScript& script : noLayout)
            scripts.remove(script);
    } else if (noLayout.isEmpty()) {
        scripts.insert(noLayoutScript());
    }
}

void WebEngineHarvestBrowser::collectEntries(EntriesHandler done)
{
    Q_ASSERT(QThread::currentThread() == thread());
    const InCall inCall(m_inCall);
    auto pending = std::make_shared<EntriesHandler>(std::move(done));
    // What a renderer that went away calls: the walk ends with nullopt.
    auto walk = std::make_shared<WalkEnd>([pending] {
        if (*pending)
            std::exchange(*pending, nullptr)(std::nullopt);
    });
    m_walk = walk;
    const HarvestScope scope = this->scope();
    auto collect = [this, scope, walk, pending] {
        collectEntriesFrom(
            m_page, scope, [this, walk, pending](const std::optional<ListEntries>& entries) {
                if (!*pending)
                    return;
                *walk = nullptr;
                assertHandlerContext();
                std::exchange(*pending, nullptr)(entries);
            });
    };
    if (!scope.scroll) {
        collect();
        return;
    }
    scrollDown(walk, std::move(collect));
}

void WebEngineHarvestBrowser::scrollDown(
    const std::shared_ptr<WalkEnd>& walk, std::function<void()> then)
{
    struct Scroll {
        QElapsedTimer clock;
        int steps = 0;
        double lastHeight = -1;
        qint64 grewAt = 0; // when the height last grew
        std::function<void()> then;
        std::function<void()> step;
    };
    auto scroll = std::make_shared<Scroll>();
    scroll->clock.start();
    scroll->then = std::move(then);
    QPointer<WebEngineHarvestBrowser> self(this);
    const std::weak_ptr<Scroll> weak = scroll;
    scroll->step = [self, walk, weak] {
        const std::shared_ptr<Scroll> s = weak.lock();
        if (!s || !self || !self->m_page || !*walk || self->m_stopped)
            return;
        self->m_page->runJavaScript(HarvestScripts::scrollStep(), QWebEngineScript::MainWorld,
            [self, walk, s](const QVariant& answer) {
                if (!self || !*walk || self->m_stopped)
                    return;
                const double height = answer.toDouble();
                ++s->steps;
                if (height > s->lastHeight) {
                    s->lastHeight = height;
                    s->grewAt = s->clock.elapsed();
                }
                const bool settled = s->clock.elapsed() - s->grewAt >= kScrollSettleMs;
                if (settled || s->steps >= kMaxScrollSteps || s->clock.elapsed() >= kMaxScrollMs) {
                    std::exchange(s->then, nullptr)();
                    return;
                }
                QTimer::singleShot(kScrollStepMs, self, [s] { s->step(); });
            });
    };
    // The first step runs from the event loop: no handler may run inside collectEntries.
    QTimer::singleShot(0, this, [scroll] { scroll->step(); });
}

void WebEngineHarvestBrowser::onRendererGone()
{
    // The page's renderer process ended (a crash, or killed for memory): neither the
    // load nor a link walk will report anything any more, so they end here instead of
    // leaving the harvest waiting for ever.
    if (m_stopped)
        return;
    assertHandlerContext();
    if (m_walk && *m_walk) {
        std::exchange(*m_walk, nullptr)();
        return;
    }
    if (!m_loading)
        return;
    m_loading = false;
    if (m_onError)
        m_onError(NavigationStatus::INET_E_DOWNLOAD_FAILURE);
    if (!m_stopped && m_onComplete)
        m_onComplete();
}

QWebEnginePage* WebEngineHarvestBrowser::page() const
{
    return m_page;
}

void WebEngineHarvestBrowser::onLoadingChanged(const QWebEngineLoadingInfo& info)
{
    if (m_stopped)
        return;
    assertHandlerContext();
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        m_loading = false;
        if (m_onComplete)
            m_onComplete();
        break;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        m_loading = false;
        if (m_onError)
            m_onError(statusCodeFor(info.errorDomain(), info.errorCode()));
        // The handler may have released this browser; the page is still alive until
        // control returns to the event loop.
        if (!m_stopped && m_onComplete)
            m_onComplete();
        break;
    default:
        break;
    }
}

qint32 WebEngineHarvestBrowser::statusCodeFor(
    QWebEngineLoadingInfo::ErrorDomain domain, int errorCode)
{
    switch (domain) {
    case QWebEngineLoadingInfo::HttpStatusCodeDomain:
        return errorCode;
    case QWebEngineLoadingInfo::CertificateErrorDomain:
        return NavigationStatus::INET_E_SECURITY_PROBLEM;
    case QWebEngineLoadingInfo::DnsErrorDomain:
        return NavigationStatus::INET_E_RESOURCE_NOT_FOUND;
    case QWebEngineLoadingInfo::ConnectionErrorDomain:
    case QWebEngineLoadingInfo::HttpErrorDomain:
    case QWebEngineLoadingInfo::FtpErrorDomain:
    case QWebEngineLoadingInfo::InternalErrorDomain:
        return statusForNetError(errorCode);
    case QWebEngineLoadingInfo::NoErrorDomain:
        break;
    }
    return NavigationStatus::INET_E_DOWNLOAD_FAILURE;
}

void WebEngineHarvestBrowser::collectEntriesFrom(
    QWebEnginePage* page, const HarvestScope& scope, EntriesHandler done)
{
    if (!page) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [done] { done(std::nullopt); }, Qt::QueuedConnection);
        return;
    }
    page->runJavaScript(HarvestScripts::collectEntries(scope), QWebEngineScript::MainWorld,
        [done](const QVariant& answer) { done(entriesFromAnswer(answer)); });
}

QWebEngineProfile* WebEngineHarvestBrowser::defaultProfile()
{
    return BrowserProfile::detached();
}
