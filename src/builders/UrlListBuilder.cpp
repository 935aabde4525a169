#include "builders/UrlListBuilder.h"

#include <QPointer>
#include <QTimer>
#include <utility>

#include "builders/HarvestAcceptor.h"
#include "builders/IContentTypeFetcher.h"
#include "builders/IShellWindows.h"
#include "builders/LocalPage.h"
#include "builders/NavigationErrors.h"
#include "core/FilterState.h"
#include "core/IMainView.h"
#include "core/IUserPrompt.h"
#include "core/NavigationState.h"
#include "core/Preferences.h"
#include "listops/LinkList.h"
#include "listops/ListLimit.h"

namespace
{

const QString kErrorTitle = QStringLiteral("Error");
const QString kNotHtml = QStringLiteral(
    "Quillmarch cannot build a list from this URL. It does not point to a valid HTML document.");
const QString kHarvestProblem
    = QStringLiteral("Quillmarch encountered a problem building a list from this url.");
const QString kIncomingFailed = QStringLiteral(
    "Error listing links automatically. Please use \"Build list from URL\" in \"List\" menu.");

} // namespace

UrlListBuilder::UrlListBuilder(const Preferences& prefs, const FilterState& filters,
    NavigationState& nav, LinkList& list, IMainView& view, IUserPrompt& prompt,
    IShellWindows& shellWindows, IContentTypeFetcher& fetcher, BrowserFactory browserFactory,
    QObject* parent)
    : QObject(parent)
    , m_prefs(prefs)
    , m_filters(filters)
    , m_nav(nav)
    , m_list(list)
    , m_view(view)
    , m_prompt(prompt)
    , m_shellWindows(shellWindows)
    , m_fetcher(fetcher)
    , m_browserFactory(std::move(browserFactory))
{
}

UrlListBuilder::~UrlListBuilder()
{
    ++m_attempt;
    if (checking())
        m_fetcher.cancel();
}

bool UrlListBuilder::harvestRunning() const
{
    return m_browser || m_adopted || checking();
}

void UrlListBuilder::build(const UrlBuildRequest& request)
{
    if (closed())
        return;
    giveWay();
    m_nav.naverr = false;
    m_nav.navmsg.clear();
    m_append = request.append;
    QString url = request.url;

    m_view.setWindowEnabled(false);
    m_view.setWaitPointer(true);

    if (const std::shared_ptr<IShellWindow> window = findOpenWindow(url)) {
        releaseBrowser();
        harvestAdopted(window);
        return;
    }

    if (!request.checked) {
        // A local file has no server to ask for its content type: it is checked here.
        const LocalPage::Check local = LocalPage::check(url);
        switch (local.kind) {
        case LocalPage::Kind::NotLocal:
            startCheck(State::CheckingUrl, url);
            return;
        case LocalPage::Kind::Html:
            url = local.fileUrl;
            break;
        case LocalPage::Kind::NotHtml:
            refuse(kNotHtml);
            return;
        case LocalPage::Kind::Missing:
        case LocalPage::Kind::Unreadable:
            refuse(LocalPage::problemMessage(local));
            return;
        }
    }
    loadChecked(url);
}

void UrlListBuilder::checkEntry(const QString& url)
{
    if (closed())
        return;
    giveWay();

    // The window takes no input while the check runs, except Esc.
    m_view.setWindowEnabled(false);
    m_view.setWaitPointer(true);
    startCheck(State::CheckingEntry, url);
}

void UrlListBuilder::harvestIncoming(const QString& url, bool append)
{
    if (closed())
        return;
    giveWay();
    m_append = append;
    // Looked up now: a window may have closed while the caller's question was open.
    if (const std::shared_ptr<IShellWindow> window = findOpenWindow(url)) {
        releaseBrowser();
        harvestAdopted(window);
        return;
    }
    m_nav.naverr = false;
    m_nav.navmsg.clear();
    startHarvest(url, Origin::Incoming);
}

void UrlListBuilder::decline()
{
    emit harvestFinished(Result<>::cancelled());
}

void UrlListBuilder::cancel()
{
    m_view.returnToIdle();
    if (checking()) {
        m_state = State::Idle;
        m_fetcher.cancel();
        m_checkedUrl.clear();
        endWithoutHarvest();
        return;
    }
    if (!m_browser && !m_adopted)
        return;

    if (m_browser)
        m_browser->stop();
    recurseFramesFinish();
    m_view.SetListExtent();
    m_view.returnToIdle();
    releaseBrowser();
    emit harvestFinished(Result<>::cancelled());
}

void UrlListBuilder::shutdown()
{
    const bool wasChecking = checking();
    const bool wasRunning = harvestRunning();
    // Closed first: whatever the end of the running request triggers is refused.
    m_state = State::Closed;
    if (wasChecking) {
        m_fetcher.cancel();
        m_checkedUrl.clear();
        endWithoutHarvest();
    } else if (wasRunning) {
        cancel();
    }
}

void UrlListBuilder::endWithoutHarvest()
{
    m_view.returnToIdle();
    emit harvestFinished(Result<>::cancelled());
}

void UrlListBuilder::startCheck(State checking, const QString& url)
{
    releaseBrowser();
    m_state = checking;
    m_checkedUrl = url;
    // The answer may come before fetchContentType returns; nothing follows the call.
    m_fetcher.fetchContentType(
        url, this, [this](const Result<QString>& contentType) { onChecked(contentType); });
}

void UrlListBuilder::giveWay()
{
    if (!checking())
        return;
    m_state = State::Idle;
    m_fetcher.cancel();
    m_checkedUrl.clear();
    // The newer request takes the view over.
    emit harvestFinished(Result<>::cancelled());
}

void UrlListBuilder::onChecked(const Result<QString>& contentType)
{
    if (!checking())
        return;
    const State was = std::exchange(m_state, State::Idle);
    const QString url = std::exchange(m_checkedUrl, QString());
    // A check that failed refuses the URL like a page that is not HTML (the command line
    // tells why it failed). XHTML pages are pages too.
    if (!contentType.isOk() && m_tellCauses) {
        refuse(contentType.message(), contentType.failureKind());
        return;
    }
    const bool html = contentType.isOk()
        && (contentType.value().contains(QLatin1StringView("text/html"), Qt::CaseInsensitive)
            || contentType.value().contains(
                QLatin1StringView("application/xhtml+xml"), Qt::CaseInsensitive));
    if (!html) {
        refuse(kNotHtml);
        return;
    }
    if (was == State::CheckingUrl)
        loadChecked(url);
    else
        emit entryIsPage(url);
}

void UrlListBuilder::loadChecked(const QString& url)
{
    startHarvest(url, Origin::UrlBuild);
}

void UrlListBuilder::startHarvest(const QString& url, Origin origin)
{
    releaseBrowser();
    std::unique_ptr<IHarvestBrowser> browser;
    if (m_browserFactory)
        browser = m_browserFactory();
    if (!browser) {
        m_view.returnToIdle();
        const QString& text = origin == Origin::Incoming ? kIncomingFailed : kHarvestProblem;
        m_prompt.message(PromptIcon::Critical, kErrorTitle, text);
        emit harvestFinished(Result<>::failed(text));
        return;
    }

    const quint64 attempt = ++m_attempt;
    m_state = State::Loading;
    m_browser = std::move(browser);
    m_browser->setDocumentCompleteHandler([this, attempt] { onDocumentComplete(attempt); });
    m_browser->setNavigateErrorHandler(
        [this, attempt](qint32 statusCode) { onNavigateError(attempt, statusCode); });
    m_browser->setProgressHandler([this, attempt](int progress, int progressMax) {
        onProgress(attempt, progress, progressMax);
    });
    m_browser->setScope(m_filters.harvest);
    m_browser->navigate(url);
}

std::shared_ptr<IShellWindow> UrlListBuilder::findOpenWindow(const QString& url) const
{
    for (const std::shared_ptr<IShellWindow>& window : m_shellWindows.windows()) {
        if (window && window->isHtmlDocument() && window->locationUrl() == url)
            return window;
    }
    return nullptr;
}

void UrlListBuilder::harvestAdopted(const std::shared_ptr<IShellWindow>& window)
{
    const quint64 attempt = ++m_attempt;
    m_state = State::Adopted;
    m_adopted = window;
    QPointer<UrlListBuilder> self(this);
    window->collectEntries(
        m_filters.harvest, [self, attempt](const std::optional<ListEntries>& entries) {
            if (self)
                self->onLinks(attempt, entries);
        });
}

void UrlListBuilder::onDocumentComplete(quint64 attempt)
{
    if (attempt != m_attempt || m_state != State::Loading)
        return;
    if (m_nav.naverr) {
        const NavigationCause cause = navigationCause(m_navStatus);
        const QString text = m_tellCauses
            ? cause.text
            : kHarvestProblem + QStringLiteral("\r\n\r\nError: ") + m_nav.navmsg;
        m_prompt.message(PromptIcon::Critical, kErrorTitle, text);
        recurseFramesFinish();
        finishPageCompleted();
        emit harvestFinished(Result<>::failed(text, cause.kind));
        return;
    }
    if (m_settleMs <= 0) {
        collect(attempt);
        return;
    }
    QPointer<UrlListBuilder> self(this);
    QTimer::singleShot(m_settleMs, this, [self, attempt] {
        if (self && attempt == self->m_attempt && self->m_state == State::Loading)
            self->collect(attempt);
    });
}

void UrlListBuilder::collect(quint64 attempt)
{
    m_state = State::Collecting;
    QPointer<UrlListBuilder> self(this);
    m_browser->collectEntries([self, attempt](const std::optional<ListEntries>& entries) {
        if (self)
            self->onLinks(attempt, entries);
    });
}

bool UrlListBuilder::collectEarly()
{
    if (m_state != State::Loading || !m_browser)
        return false;
    collect(m_attempt);
    return true;
}

void UrlListBuilder::onNavigateError(quint64 attempt, qint32 statusCode)
{
    if (attempt != m_attempt)
        return;
    m_nav.naverr = true;
    m_nav.navmsg = navigationErrorMessage(statusCode);
    m_navStatus = statusCode;
}

void UrlListBuilder::onProgress(quint64 attempt, int progress, int progressMax)
{
    if (attempt != m_attempt)
        return;
    m_view.setCountText(QString());
    if (progress < 1)
        m_view.setProgress(100, 0);
    else
        m_view.setProgress(progressMax, progress);
}

void UrlListBuilder::onLinks(quint64 attempt, const std::optional<ListEntries>& entries)
{
    if (attempt != m_attempt || (m_state != State::Collecting && m_state != State::Adopted))
        return;
    if (!entries) {
        errorPath();
        emit harvestFinished(Result<>::failed(kHarvestProblem));
        return;
    }
    // The list is replaced only by links that arrived: every failure before this point
    // (a load error, a refused URL, a cancel, a crashed page) leaves it as it was.
    if (!m_append)
        m_list.clear();
    HarvestAcceptor acceptor(m_prefs, m_filters, m_list);
    acceptor.accept(*entries);
    recurseFramesFinish();
    if (m_list.isEmpty())
        m_view.setCountText(nothingFoundText(m_filters.harvest.collect));
    // A page that sent the browser elsewhere (often to a sign-in page) gave that page's
    // links, which the count must not pass off as the ones asked for.
    const QString moved = m_browser ? m_browser->movedTo() : QString();
    if (!moved.isEmpty()) {
        m_view.setCountText(QStringLiteral("%1 links found (the page moved to %2)")
                                .arg(QString::number(m_list.count()), moved));
        emit pageMoved(moved);
    }
    finishPageCompleted();
    if (acceptor.limitReached())
        m_prompt.message(
            PromptIcon::Exclamation, ListLimit::title(), ListLimit::message(acceptor.notAdded()));
    emit harvestFinished(Result<>::ok());
}

void UrlListBuilder::recurseFramesFinish()
{
    m_view.setLinkCount(m_list.count());
}

void UrlListBuilder::finishPageCompleted()
{
    m_view.SetListExtent();
    m_view.returnToIdle();
    releaseBrowser();
}

void UrlListBuilder::errorPath()
{
    recurseFramesFinish();
    finishPageCompleted();
    m_prompt.message(PromptIcon::Critical, kErrorTitle, kHarvestProblem);
}

void UrlListBuilder::releaseBrowser()
{
    ++m_attempt;
    if (!closed() && !checking())
        m_state = State::Idle;
    m_adopted.reset();
    if (!m_browser)
        return;
    // The release may happen inside one of the browser's own callbacks: destroy it once
    // control is back in the event loop.
    std::shared_ptr<IHarvestBrowser> retired(std::move(m_browser));
    QTimer::singleShot(0, this, [retired] {});
}

void UrlListBuilder::refuse(const QString& text, FailureKind kind)
{
    m_view.setWaitPointer(false);
    m_prompt.message(PromptIcon::Exclamation, kErrorTitle, text);
    recurseFramesFinish();
    releaseBrowser();
    m_view.returnToIdle();
    emit harvestFinished(Result<>::failed(text, kind));
}
