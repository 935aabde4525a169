#include "platform/webengine/WebEngineHarvestBrowser.h"

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
#include <utility>

#include "builders/NavigationErrors.h"
#include "platform/webengine/HarvestRequestFilter.h"
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

// Marks the time spent inside navigate(), stop() or collectLinks(): no handler may run then.
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

// Nobody sees a harvest page, and laying out and painting a large document costs far
// more than parsing it: every document, frames included, gets a style sheet that takes
// its root out of the layout from the moment it is created. Links, frames and scripts
// do not need a layout. Plug-in elements (object, embed) load their content, which may
// be a document with links, only once they are laid out, so a document that holds one
// when its parsing ends drops the sheet again.
QWebEngineScript noLayoutScript()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("quillmarch-no-layout"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    // The page's own world: an isolated world would cost a second script context in
    // every frame.
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(QStringLiteral(R"JS(
(function () {
    try {
        var sheet = new CSSStyleSheet();
        sheet.replaceSync('html { display: none !important; }');
        document.adoptedStyleSheets = [sheet];
        document.addEventListener('DOMContentLoaded', function () {
            if (document.querySelector('object, embed'))
                sheet.replaceSync('');
        });
    } catch (e) {}
})()
)JS"));
    return script;
}

// Scrolling for lazy content: a step every kScrollStepMs, until the page's height stops
// growing (no growth for kScrollSettleMs: a page's timers may run only once a second),
// after kMaxScrollSteps steps or after kMaxScrollMs.
constexpr int kScrollStepMs = 250;
constexpr qint64 kScrollSettleMs = 1200;
constexpr int kMaxScrollSteps = 30;
constexpr qint64 kMaxScrollMs = 10000;

// The part of both page walks that takes a document's frames in turn: by index until the
// index no longer gives a window, calling walk(child window, its document) for each frame
// whose document can be read.
const QString kWalkFrames = QStringLiteral(R"JS(
        for (var f = 0; f <= 32767; ++f) {
            var child = null, sub = null;
            try {
                child = win[f];
                if (!child || child.window !== child)
                    child = null;
            } catch (e) { child = null; }
            if (!child)
                break;
            try { sub = child.document; } catch (e) { sub = null; }
            if (sub)
                walk(child, sub);
        }
)JS");

// Scrolls to the bottom and gives the page's height before the scroll.
const QString kScrollStepScript = QStringLiteral(R"JS(
(function () {
    var e = document.scrollingElement || document.documentElement;
    if (!e)
        return -1;
    var height = e.scrollHeight;
    window.scrollTo(0, height);
    return height;
})()
)JS");

// The entries of the answer of collectEntriesScript: [docs, items, kinds], where docs
// holds each walked document's address, title and entry count, items an address and a
// text per entry, and kinds a digit per entry (EntryKind's order). nullopt when the
// answer has another shape.
std::optional<ListEntries> entriesFromAnswer(const QVariant& answer)
{
    if (answer.typeId() != QMetaType::QVariantList)
        return std::nullopt;
    const QVariantList parts = answer.toList();
    if (parts.size() != 3)
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
            if (digit < 0 || digit > static_cast<int>(EntryKind::Object))
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
    return entries;
}

} // namespace

WebEngineHarvestBrowser::WebEngineHarvestBrowser(QObject* parent)
    : QObject(parent)
{
    m_page = new SilentPage(harvestProfile(), this);
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
}

WebEngineHarvestBrowser::~WebEngineHarvestBrowser()
{
    m_stopped = true;
    if (m_page) {
        m_page->disconnect(this);
        delete m_page.data();
    }
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
    if (m_page)
        m_page->load(QUrl::fromUserInput(url));
}

void WebEngineHarvestBrowser::stop()
{
    Q_ASSERT(QThread::currentThread() == thread());
    const InCall inCall(m_inCall);
    m_stopped = true;
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Stop);
}

void WebEngineHarvestBrowser::collectLinks(LinksHandler done)
{
    Q_ASSERT(QThread::currentThread() == thread());
    const InCall inCall(m_inCall);
    auto walk = std::make_shared<LinksHandler>(std::move(done));
    m_walk = walk;
    collectLinksFrom(m_page, [this, walk](const std::optional<QStringList>& hrefs) {
        if (*walk) {
            assertHandlerContext();
            std::exchange(*walk, nullptr)(hrefs);
        }
    });
}

void WebEngineHarvestBrowser::setScope(const HarvestScope& scope)
{
    Q_ASSERT(QThread::currentThread() == thread());
    IHarvestBrowser::setScope(scope);
    if (!m_page)
        return;
    // Media may be CSS backgrounds, which only the page's style sheets name.
    m_filter->setLoadStyleSheets(scope.media());
    // Scrolling needs a layout; the other harvests go without one.
    QWebEngineScriptCollection& scripts = m_page->scripts();
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
    auto walk = std::make_shared<LinksHandler>([this, pending](const std::optional<QStringList>&) {
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
    const std::shared_ptr<LinksHandler>& walk, std::function<void()> then)
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
        self->m_page->runJavaScript(kScrollStepScript, QWebEngineScript::MainWorld,
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
        std::exchange(*m_walk, nullptr)(std::nullopt);
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

QString WebEngineHarvestBrowser::recurseFramesScript()
{
    // Runs in the page's own world. An isolated world would shield the walk from the
    // page's scripts, but Chromium then builds a second script context for every frame
    // the walk touches, which costs several milliseconds a frame (seconds on a page of
    // a few hundred frames). The walk therefore relies only on what a page's scripts
    // cannot replace by accident:
    //  - the globals `window` and `document` and a window's `window` and `document`
    //    are unforgeable, and a document's `links`, a collection's `length` and index
    //    and a link's `href` are getters that an assignment does not shadow;
    //  - a window's `frames` and `length` are replaceable (a page's global
    //    `var length = 3` replaces them), so frames are taken by index until the index
    //    no longer gives a window (`w.window === w` holds only for windows);
    //  - results are stored by index, not with Array.prototype.push.
    // A frame from another origin throws on access to its document and is skipped.
    return QStringLiteral(R"JS(
(function () {
    var out = [];
    function walk(win, doc) {
        var links = null, n = 0;
        try { links = doc.links; n = links.length; } catch (e) { n = 0; }
        if (typeof n !== 'number')
            n = 0;
        for (var i = 0; i < n; ++i) {
            try {
                var href = links[i].href;
                if (typeof href === 'string')
                    out[out.length] = href;
            } catch (e) {}
        }
)JS") + kWalkFrames
        + QStringLiteral(R"JS(    }
    walk(window, window.document);
    return out;
})()
)JS");
}

void WebEngineHarvestBrowser::collectLinksFrom(QWebEnginePage* page, LinksHandler done)
{
    if (!page) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [done] { done(std::nullopt); }, Qt::QueuedConnection);
        return;
    }
    page->runJavaScript(
        recurseFramesScript(), QWebEngineScript::MainWorld, [done](const QVariant& result) {
            if (result.typeId() != QMetaType::QVariantList) {
                done(std::nullopt);
                return;
            }
            done(result.toStringList());
        });
}

QString WebEngineHarvestBrowser::collectEntriesScript(const HarvestScope& scope)
{
    // Runs in the page's own world, relying only on what the link walk relies on (see
    // recurseFramesScript), plus the elements' own properties and attributes. Links alone
    // come from each document's links collection, as the link walk takes them; media (and
    // links beside them) from one pass over every element in document order, the
    // elements of an open shadow root right after its host. Relative addresses from
    // attributes are resolved by an anchor of their document, never by the URL
    // constructor, which a page's global `var URL` would replace. The computed style of
    // an element is read only when one of its document's (or shadow root's) sheets may
    // set an image, or its own style attribute names one: computing style costs far more
    // than the rest of the pass on a large page.
    const int mode = (scope.links() ? 1 : 0) | (scope.media() ? 2 : 0);
    return QStringLiteral(R"JS(
(function (mode) {
    // mode: 1 links, 2 media, 3 both. The answer: [docs, items, kinds] where docs holds
    // page, title and entry count of each document walked, items an address and a text
    // per entry, and kinds one digit per entry (0 link, 1 image, 2 video, 3 audio,
    // 4 background, 5 object).
    var docs = [], items = [], kinds = '';
    var wantLinks = (mode & 1) !== 0, wantMedia = (mode & 2) !== 0;
    var LAZY = { 'data-src': 1, 'data-original': 1, 'data-lazy-src': 1, 'data-lazy': 1,
        'data-original-src': 1, 'data-hi-res-src': 1, 'data-full-src': 1, 'data-url': 1 };
    var LAZYSET = { 'data-srcset': 1, 'data-lazy-srcset': 1, 'data-original-set': 1 };
    var SPACE = /\s/;
    function clean(t) {
        if (typeof t !== 'string' || t === '')
            return '';
        if (t.length > 800)
            t = t.slice(0, 800);
        t = t.replace(/\s+/g, ' ').trim();
        return t.length > 200 ? t.slice(0, 200) : t;
    }
    function attr(el, name) {
        var v = el.getAttribute(name);
        return v === null ? '' : v;
    }
    function label(el) {
        return el ? clean(attr(el, 'alt')) || clean(attr(el, 'title')) : '';
    }
    function add(url, kind, text) {
        if (typeof url !== 'string' || url === '')
            return;
        var head = url.slice(0, 5).toLowerCase();
        if (head === 'data:' || head === 'blob:')
            return;
        items[items.length] = url;
        items[items.length] = text;
        kinds += kind;
    }
    function linkText(el) {
        var text = clean(el.textContent) || label(el);
        if (!text && el.querySelector) {
            var img = el.querySelector('img[alt]');
            text = label(img);
        }
        return text;
    }
    // The largest candidate of a srcset: an address runs to the next white space, so
    // commas inside it stay; width descriptors outrank density ones, and the fallback
    // (already absolute) counts as density 1.
    function largest(set, resolve, fallback) {
        var best = '', bestW = -1, bestX = -1, s = set, n = s.length, i = 0;
        if (fallback) { best = fallback; bestX = 1; }
        var chosen = null;
        while (i < n) {
            while (i < n && (s.charAt(i) === ',' || SPACE.test(s.charAt(i))))
                ++i;
            if (i >= n)
                break;
            var b = i;
            while (i < n && !SPACE.test(s.charAt(i)))
                ++i;
            var url = s.slice(b, i), desc = '';
            if (url.charAt(url.length - 1) === ',') {
                url = url.replace(/,+$/, '');
            } else {
                var depth = 0;
                b = i;
                for (; i < n; ++i) {
                    var c = s.charAt(i);
                    if (c === '(') ++depth;
                    else if (c === ')') { if (depth) --depth; }
                    else if (c === ',' && !depth) break;
                }
                desc = s.slice(b, i);
            }
            var m = /(\d*\.?\d+(?:e[+-]?\d+)?)\s*([wx])/i.exec(desc);
            var v = m ? parseFloat(m[1]) : 1;
            if (m && (m[2] === 'w' || m[2] === 'W')) {
                if (v > bestW) { bestW = v; chosen = url; }
            } else if (bestW < 0 && v > bestX) {
                bestX = v; chosen = url;
            }
        }
        return chosen !== null ? resolve(chosen) : best;
    }
    function image(el, resolve) {
        var src = '', set = '';
        // Names only: reading the attributes as nodes would make a node of each.
        var names = el.getAttributeNames();
        for (var a = 0; a < names.length; ++a) {
            var name = names[a];
            if (LAZY[name] === 1 && !src && attr(el, name)) src = resolve(attr(el, name));
            else if (LAZYSET[name] === 1 && !set) set = attr(el, name);
        }
        if (!set) set = attr(el, 'srcset');
        if (!src) src = el.src;
        add(set ? largest(set, resolve, src) : src, '1', label(el));
    }
    function backgrounds(el, win) {
        var style = null;
        try { style = win.getComputedStyle(el); } catch (e) { return; }
        var value = style ? style.backgroundImage : '';
        if (!value || value === 'none')
            return;
        var re = /url\(\s*(?:"((?:[^"\\]|\\.)*)"|'((?:[^'\\]|\\.)*)'|([^)\s]*))\s*\)/g, m;
        while ((m = re.exec(value)) !== null) {
            var url = (m[1] !== undefined ? m[1] : m[2] !== undefined ? m[2] : m[3] || '');
            add(url.replace(/\\(.)/g, '$1'), '4', clean(attr(el, 'title')));
        }
    }
    // Whether a style sheet of root may give an element a background image: a readable
    // rule with an address in it (a font's excepted), or a sheet that cannot be read.
    function sheetsMaySetImages(root) {
        function rulesUse(rules, depth) {
            if (depth > 16) return true;
            for (var r = 0; r < rules.length; ++r) {
                var rule = rules[r];
                if (rule.styleSheet && sheetUses(rule.styleSheet, depth + 1)) return true;
                if (rule.cssRules && rulesUse(rule.cssRules, depth + 1)) return true;
                if (rule.type !== 5 && rule.style && /url\(/i.test(rule.style.cssText)) return true;
            }
            return false;
        }
        function sheetUses(sheet, depth) {
            var rules;
            try { rules = sheet.cssRules; } catch (e) { return true; }
            return rules ? rulesUse(rules, depth) : false;
        }
        var lists = [];
        try { lists[lists.length] = root.styleSheets; } catch (e) {}
        try { lists[lists.length] = root.adoptedStyleSheets; } catch (e) {}
        for (var l = 0; l < lists.length; ++l) {
            var list = lists[l];
            if (!list) continue;
            for (var s = 0; s < list.length; ++s)
                if (sheetUses(list[s], 0)) return true;
        }
        return false;
    }
    function tree(root, win, resolve, styled) {
        styled = styled || (wantMedia && sheetsMaySetImages(root));
        var all = root.querySelectorAll('*');
        for (var i = 0; i < all.length; ++i) {
            var el = all[i], tag = el.localName, parent;
            if (wantLinks && (tag === 'a' || tag === 'area')) {
                if (typeof el.href === 'string' && el.hasAttribute('href'))
                    add(el.href, '0', linkText(el));
            } else if (wantMedia) {
                switch (tag) {
                case 'img':
                    image(el, resolve);
                    break;
                case 'source':
                    parent = el.parentElement;
                    if (parent && parent.localName === 'picture') {
                        var set = attr(el, 'srcset') || attr(el, 'data-srcset');
                        if (set) add(largest(set, resolve, ''), '1', label(parent.querySelector('img')));
                    } else if (parent && (parent.localName === 'video' || parent.localName === 'audio')) {
                        add(el.src, parent.localName === 'video' ? '2' : '3', label(parent));
                    }
                    break;
                case 'video':
                case 'audio':
                    add(el.getAttribute('src') !== null ? el.src : '', tag === 'video' ? '2' : '3', label(el));
                    if (tag === 'video' && el.getAttribute('poster')) add(el.poster, '1', label(el));
                    break;
                case 'track':
                    parent = el.parentElement;
                    add(el.src, parent && parent.localName === 'audio' ? '3' : '2',
                        clean(attr(el, 'label')) || label(parent));
                    break;
                case 'embed':
                    if (el.getAttribute('src')) add(el.src, '5', label(el));
                    break;
                case 'object':
                    if (el.getAttribute('data')) add(el.data, '5', label(el));
                    break;
                }
            }
            if (wantMedia && (styled || (el.hasAttribute('style') && /url\(/i.test(attr(el, 'style')))))
                backgrounds(el, win);
            if (el.shadowRoot)
                tree(el.shadowRoot, win, resolve, styled);
        }
    }
    function linksOf(doc) {
        var links = null, n = 0;
        try { links = doc.links; n = links.length; } catch (e) { n = 0; }
        if (typeof n !== 'number')
            n = 0;
        for (var i = 0; i < n; ++i) {
            try {
                var link = links[i], href = link.href;
                if (typeof href === 'string')
                    add(href, '0', linkText(link));
            } catch (e) {}
        }
    }
    function walk(win, doc) {
        var first = kinds.length, page = '', title = '';
        try { page = doc.URL; title = doc.title; } catch (e) {}
        try {
            if (mode === 1) {
                linksOf(doc);
            } else {
                var anchor = doc.createElement('a');
                var resolve = function (url) {
                    anchor.setAttribute('href', url);
                    return anchor.href;
                };
                tree(doc, win, resolve, false);
            }
        } catch (e) {}
        docs[docs.length] = typeof page === 'string' ? page : '';
        docs[docs.length] = typeof title === 'string' ? title : '';
        docs[docs.length] = kinds.length - first;
)JS") + kWalkFrames
        + QStringLiteral(R"JS(    }
    walk(window, window.document);
    return [docs, items, kinds];
}))JS") + QStringLiteral("(%1)").arg(mode);
}

void WebEngineHarvestBrowser::collectEntriesFrom(
    QWebEnginePage* page, const HarvestScope& scope, EntriesHandler done)
{
    if (!page) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [done] { done(std::nullopt); }, Qt::QueuedConnection);
        return;
    }
    page->runJavaScript(collectEntriesScript(scope), QWebEngineScript::MainWorld,
        [done](const QVariant& answer) { done(entriesFromAnswer(answer)); });
}

QWebEngineProfile* WebEngineHarvestBrowser::harvestProfile()
{
    // Created on the first harvest, so Qt WebEngine starts only when a page is needed.
    static QPointer<QWebEngineProfile> profile;
    if (!profile) {
        profile = new QWebEngineProfile(QCoreApplication::instance());
        profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    }
    return profile;
}
