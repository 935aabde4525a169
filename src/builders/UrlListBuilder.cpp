#include "builders/UrlListBuilder.h"

#include <QPointer>
#include <QTimer>

#include "builders/HarvestAcceptor.h"
#include "builders/IContentTypeFetcher.h"
#include "builders/IShellWindows.h"
#include "builders/NavigationErrors.h"
#include "core/IMainView.h"
#include "core/IUserPrompt.h"
#include "core/MainState.h"
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

UrlListBuilder::UrlListBuilder(MainState& state, LinkList& list, IMainView& view,
    IUserPrompt& prompt, IShellWindows& shellWindows, IContentTypeFetcher& fetcher,
    BrowserFactory browserFactory, QObject* parent)
    : QObject(parent)
    , m_state(state)
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
        m_state.goturl.clear();
        return;
    }
    m_state.naverr = false;
    m_state.navmsg.clear();

    QString url;
    const bool fromDialog = m_state.goturl.isEmpty();
    if (fromDialog) {
        UrlDialogInput input;
        input.defappend = m_state.defappend;
        input.hasCurrentEntry = !m_list.isEmpty() && m_list.currentIndex() != -1;
        if (input.hasCurrentEntry)
            input.currentEntry = m_list.at(m_list.currentIndex());
        input.filtersApplied = m_state.appfiltChecked;
        const std::optional<UrlRequest> request = m_prompt.askUrl(input);
        if (!request || request->url.isEmpty() || m_shutDown) {
            emit harvestFinished(Outcome::Cancelled);
            return;
        }
        m_view.setWaitPointer(true);
        m_state.append = request->append;
        m_view.setStatus(kBuildingStatus);
        m_view.setCountText(QString());
        url = request->url;
    } else {
        url = m_state.goturl;
    }

    m_view.setWindowEnabled(false);
    m_view.setWaitPointer(true);

    if (const std::shared_ptr<IShellWindow> window = findOpenWindow(url)) {
        releaseBrowser();
        if (!m_state.append)
            m_list.clear();
        m_state.goturl.clear();
        harvestAdopted(window);
        return;
    }

    if (fromDialog && !passesContentTypeCheck(url))
        return;

    startHarvest(url, Origin::UrlBuild);
    m_state.goturl.clear();
}

void UrlListBuilder::mnusavpopbuild_Click()
{
    if (m_shutDown)
        return;
    const int current = m_list.currentIndex();
    if (current < 0 || current >= m_list.count())
        return;
    m_state.goturl = m_list.at(current);

    // The check waits in an event loop; the window takes no input meanwhile except Esc.
    m_view.setWindowEnabled(false);
    m_view.setWaitPointer(true);
    if (!passesContentTypeCheck(m_state.goturl))
        return;

    m_view.setWaitPointer(false);
    if (const std::optional<bool> choice = m_prompt.askDesiredAction(m_state.defappend))
        m_state.append = *choice;
    if (m_shutDown) {
        endWithoutHarvest();
        return;
    }
    mnufURL_Click();
}

void UrlListBuilder::incomingLink()
{
    if (m_shutDown)
        return;
    const QString url = m_state.nurl;

    if (m_list.count() >= 1) {
        m_view.setWaitPointer(false);
        if (const std::optional<bool> choice = m_prompt.askDesiredAction(m_state.defappend))
            m_state.append = *choice;
        if (m_shutDown) {
            endWithoutHarvest();
            return;
        }
    }
    // Looked up after the question: the window may have closed while it was open.
    const std::shared_ptr<IShellWindow> window = findOpenWindow(url);
    if (!m_state.append)
        m_list.clear();

    if (window) {
        releaseBrowser();
        harvestAdopted(window);
        return;
    }
    m_state.naverr = false;
    m_state.navmsg.clear();
    startHarvest(url, Origin::Incoming);
}

void UrlListBuilder::cancel()
{
    m_view.setStatus(m_view.idleStatusText());
    m_view.setWindowEnabled(true);
    m_view.setProgress(100, 0);

    if (m_fetching) {
        m_fetchCancelled = true;
        m_fetcher.cancel();
        m_view.setWaitPointer(false);
        // The waiting operation reports its end once the fetch returned.
        return;
    }
    if (!m_browser && !m_adopted)
        return;

    if (m_browser)
        m_browser->stop();
    m_view.setListExtent();
    m_view.setWaitPointer(false);
    m_view.setStatus(m_view.idleStatusText());
    m_view.setWindowEnabled(true);
    m_view.setProgress(100, 0);
    releaseBrowser();
    emit harvestFinished(Outcome::Cancelled);
}

void UrlListBuilder::shutdown()
{
    m_shutDown = true;
    if (harvestRunning())
        cancel();
}

void UrlListBuilder::endWithoutHarvest()
{
    m_view.setWaitPointer(false);
    m_view.setStatus(m_view.idleStatusText());
    m_view.setWindowEnabled(true);
    m_state.goturl.clear();
    emit harvestFinished(Outcome::Cancelled);
}

void UrlListBuilder::startHarvest(const QString& url, Origin origin)
{
    releaseBrowser();
    std::unique_ptr<IHarvestBrowser> browser;
    if (m_browserFactory)
        browser = m_browserFactory();
    if (!browser) {
        m_view.setWaitPointer(false);
        m_view.setStatus(m_view.idleStatusText());
        m_view.setWindowEnabled(true);
        m_view.setProgress(100, 0);
        m_prompt.message(PromptIcon::Critical, kErrorTitle,
            origin == Origin::Incoming ? kIncomingFailed : kHarvestProblem);
        emit harvestFinished(Outcome::Failed);
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
    if (!m_state.append)
        m_list.clear();
    if (m_state.naverr) {
        m_prompt.message(PromptIcon::Critical, kErrorTitle,
            kHarvestProblem + QStringLiteral("\r\n\r\nError: ") + m_state.navmsg);
        finishPageCompleted();
        emit harvestFinished(Outcome::NavigationError);
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
    m_state.naverr = true;
    m_state.navmsg = NavigationErrorMessage(statusCode);
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
        emit harvestFinished(Outcome::Failed);
        return;
    }
    HarvestAcceptor acceptor(m_state, m_list);
    acceptor.accept(*hrefs);
    recurseFramesFinish();
    finishPageCompleted();
    if (acceptor.limitReached())
        m_prompt.message(
            PromptIcon::Exclamation, ListLimit::title(), ListLimit::message(acceptor.notAdded()));
    emit harvestFinished(Outcome::Harvested);
}

void UrlListBuilder::recurseFramesFinish()
{
    m_view.setCountText(QStringLiteral("%1 links found").arg(m_list.count()));
}

void UrlListBuilder::finishPageCompleted()
{
    m_view.setListExtent();
    m_view.setWaitPointer(false);
    m_view.setStatus(m_view.idleStatusText());
    m_view.setWindowEnabled(true);
    m_view.setProgress(100, 0);
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
    releaseBrowser();
    m_view.setStatus(m_view.idleStatusText());
    m_view.setWindowEnabled(true);
    m_state.goturl.clear();
    emit harvestFinished(Outcome::Refused);
}

bool UrlListBuilder::passesContentTypeCheck(const QString& url)
{
    const quint64 generation = m_generation;
    const bool html = contentTypeIsHtml(url);
    if (m_fetchCancelled || generation != m_generation) {
        // Esc (or a newer harvest) took over while the check ran; the view is already
        // back to idle.
        m_state.goturl.clear();
        emit harvestFinished(Outcome::Cancelled);
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
    const QString contentType = m_fetcher.fetchContentType(url);
    m_fetching = false;
    return contentType.contains(QLatin1StringView("text/html"), Qt::CaseInsensitive);
}
