#include "platform/webengine/WebEngineHarvestBrowser.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
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

} // namespace

WebEngineHarvestBrowser::WebEngineHarvestBrowser(QObject* parent)
    : QObject(parent)
{
    m_page = new SilentPage(harvestProfile(), this);
    m_page->setUrlRequestInterceptor(new HarvestRequestFilter(m_page));
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
    }
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
