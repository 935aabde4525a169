#include "builders/UrlListBuilder.h"

#include <QPointer>
#include <QTimer>
#include <utility>

#include "builders/HarvestAcceptor.h"
#include "builders/IContentTypeFetcher.h"
#include "builders/IShellWindows.h"
#include "builders/NavigationErrors.h"
#include "core/FilterState.h"
#include "core/HandOver.h"
#include "core/IMainView.h"
#include "core/IUserPrompt.h"
#include "core/NavigationState.h"
#include "core/Preferences.h"
#include "listops/LinkList.h"
#include "listops/ListLimit.h"

namespace
{

const QString kBuildingStatus = QStringLiteral("Bulding list (press \"Esc\" to cancel).");
const QString kErrorTitle = QStringLiteral("Error");
const QString kNotHtml = QStringLiteral(
    "Quillmarch cannot build a list from this URL. It does not point to a valid HTML document.");
const QString kHarvestProblem
    = QStringLiteral("Quillmarch encountered a problem building a list from this url.");
const QString kIncomingFailed = QStringLiteral(
    "Error listing links automatically. Please use \"Build list from URL\" in \"List\" menu.");

} // namespace

UrlListBuilder::UrlListBuilder(const Preferences& prefs, const FilterState& filters,
    HandOver& handover, NavigationState& nav, LinkList& list, IMainView& view, IUserPrompt& prompt,
    IShellWindows& shellWindows, IContentTypeFetcher& fetcher, BrowserFactory browserFactory,
    QObject* parent)
    : QObject(parent)
    , m_prefs(prefs)
    , m_filters(filters)
    , m_handover(handover)
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
    ++m_generation;
    if (m_fetching)
        m_fetcher.cancel();
}

bool UrlListBuilder::harvestRunning() const
{
    return m_browser || m_adopted || m_fetching;
}

void UrlListBuilder::mnufURL_Click()
{
    if (m_shutDown) {
        m_handover.goturl.clear();
        return;
    }
    m_nav.naverr = false;
    m_nav.navmsg.clear();

    QString url;
    const bool fromDialog = m_handover.goturl.isEmpty();
    if (fromDialog) {
        UrlDialogInput input;
        input.defappend = m_prefs.defappend;
        input.hasCurrentEntry = !m_list.isEmpty() && m_list.currentIndex() != -1;
        if (input.hasCurrentEntry)
            input.currentEntry = m_list.at(m_list.currentIndex());
        input.filtersApplied = m_filters.appfiltChecked;
        const std::optional<UrlRequest> request = m_prompt.askUrl(input);
        if (!request || request->url.isEmpty() || m_shutDown) {
            emit harvestFinished(Result<>::cancelled());
            return;
        }
        m_view.setWaitPointer(true);
        m_handover.append = request->append;
        m_view.setStatus(StatusKind::Building, kBuildingStatus);
        m_view.setCountText(QString());
        url = request->url;
    } else {
        url = m_handover.goturl;
    }

    m_view.setWindowEnabled(false);
    m_view.setWaitPointer(true);

    if (const std::shared_ptr<IShellWindow> window = findOpenWindow(url)) {
        releaseBrowser();
        m_handover.goturl.clear();
        harvestAdopted(window);
        return;
    }

    if (fromDialog && !passesContentTypeCheck(url))
        return;

    startHarvest(url, Origin::UrlBuild);
    m_handover.goturl.clear();
}

void UrlListBuilder::mnusavpopbuild_Click()
{
    if (m_shutDown)
        return;
    const int current = m_list.currentIndex();
    if (current < 0 || current >= m_list.count())
        return;
    m_handover.goturl = m_list.at(current);

    // The check waits in an event loop; the window takes no input meanwhile except Esc.
    m_view.setWindowEnabled(false);
    m_view.setWaitPointer(true);
    if (!passesContentTypeCheck(m_handover.goturl))
        return;

    m_view.setWaitPointer(false);
    if (const std::optional<bool> choice = m_prompt.askDesiredAction(m_prefs.defappend))
        m_handover.append = *choice;
    if (m_shutDown) {
        endWithoutHarvest();
        return;
    }
    mnufURL_Click();
}

void UrlListBuilder::incomingLink()
{
    const QString url = std::exchange(m_handover.nurl, QString());
    if (m_shutDown)
        return;

    if (m_list.count() >= 1) {
        m_view.setWaitPointer(false);
        if (const std::optional<bool> choice = m_prompt.askDesiredAction(m_prefs.defappend))
            m_handover.append = *choice;
        if (m_shutDown) {
            endWithoutHarvest();
            return;
        }
    }
    // Looked up after the question: the window may have closed while it was open.
    const std::shared_ptr<IShellWindow> window = findOpenWindow(url);
    if (window) {
        releaseBrowser();
        harvestAdopted(window);
        return;
    }
    m_nav.naverr = false;
    m_nav.navmsg.clear();
    startHarvest(url, Origin::Incoming);
}

void UrlListBuilder::cancel()
{
    m_view.returnToIdle();
    if (m_fetching) {
        m_fetchCancelled = true;
        m_fetcher.cancel();
        // The waiting operation reports its end once the fetch returned.
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
    m_shutDown = true;
    if (harvestRunning())
        cancel();
}

void UrlListBuilder::endWithoutHarvest()
{
    m_view.returnToIdle();
    m_handover.goturl.clear();
    emit harvestFinished(Result<>::cancelled());
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

    const quint64 generation = ++m_generation;
    m_browser = std::move(browser);
    m_browser->setDocumentCompleteHandler([this, generation] { onDocumentComplete(generation); });
    m_browser->setNavigateErrorHandler(
        [this, generation](qint32 statusCode) { onNavigateError(generation, statusCode); });
    m_browser->setProgressHandler([this, generation](int progress, int progressMax) {
        onProgress(generation, progress, progressMax);
    });
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
    const quint64 generation = ++m_generation;
    m_adopted = window;
    QPointer<UrlListBuilder> self(this);
    window->collectLinks([self, generation](const std::optional<QStringList>& hrefs) {
        if (self)
            self->onLinks(generation, hrefs);
    });
}

void UrlListBuilder::onDocumentComplete(quint64 generation)
{
    if (generation != m_generation || !m_browser || m_collecting)
        return;
    if (m_nav.naverr) {
        const QString text = kHarvestProblem + QStringLiteral("\r\n\r\nError: ") + m_nav.navmsg;
        m_prompt.message(PromptIcon::Critical, kErrorTitle, text);
        recurseFramesFinish();
        finishPageCompleted();
        emit harvestFinished(Result<>::failed(text));
        return;
    }
    m_collecting = true;
    QPointer<UrlListBuilder> self(this);
    m_browser->collectLinks([self, generation](const std::optional<QStringList>& hrefs) {
        if (self)
            self->onLinks(generation, hrefs);
    });
}

void UrlListBuilder::onNavigateError(quint64 generation, qint32 statusCode)
{
    if (generation != m_generation)
        return;
    m_nav.naverr = true;
    m_nav.navmsg = navigationErrorMessage(statusCode);
}

void UrlListBuilder::onProgress(quint64 generation, int progress, int progressMax)
{
    if (generation != m_generation)
        return;
    m_view.setCountText(QString());
    if (progress < 1)
        m_view.setProgress(100, 0);
    else
        m_view.setProgress(progressMax, progress);
}

void UrlListBuilder::onLinks(quint64 generation, const std::optional<QStringList>& hrefs)
{
    if (generation != m_generation)
        return;
    m_collecting = false;
    if (!hrefs) {
        errorPath();
        emit harvestFinished(Result<>::failed(kHarvestProblem));
        return;
    }
    // The list is replaced only by links that arrived: every failure before this point
    // (a load error, a refused URL, a cancel, a crashed page) leaves it as it was.
    if (!m_handover.append)
        m_list.clear();
    HarvestAcceptor acceptor(m_prefs, m_filters, m_list);
    acceptor.accept(*hrefs);
    recurseFramesFinish();
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
    ++m_generation;
    m_collecting = false;
    m_adopted.reset();
    if (!m_browser)
        return;
    // The release may happen inside one of the browser's own callbacks: destroy it once
    // control is back in the event loop.
    std::shared_ptr<IHarvestBrowser> retired(std::move(m_browser));
    QTimer::singleShot(0, this, [retired] {});
}

void UrlListBuilder::refuse()
{
    m_view.setWaitPointer(false);
    m_prompt.message(PromptIcon::Exclamation, kErrorTitle, kNotHtml);
    recurseFramesFinish();
    releaseBrowser();
    m_view.returnToIdle();
    m_handover.goturl.clear();
    emit harvestFinished(Result<>::failed(kNotHtml));
}

bool UrlListBuilder::passesContentTypeCheck(const QString& url)
{
    const quint64 generation = m_generation;
    const bool html = contentTypeIsHtml(url);
    if (m_fetchCancelled || generation != m_generation) {
        // Esc (or a newer harvest) took over while the check ran; the view is already
        // back to idle.
        m_handover.goturl.clear();
        emit harvestFinished(Result<>::cancelled());
        return false;
    }
    if (!html) {
        refuse();
        return false;
    }
    return true;
}

bool UrlListBuilder::contentTypeIsHtml(const QString& url)
{
    m_fetching = true;
    m_fetchCancelled = false;
    const Result<QString> contentType = m_fetcher.fetchContentType(url);
    m_fetching = false;
    // A check that failed refuses the URL like a page that is not HTML.
    return contentType.isOk()
        && contentType.value().contains(QLatin1StringView("text/html"), Qt::CaseInsensitive);
}
