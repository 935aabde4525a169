#include "app/SiteCrawlFlow.h"

#include <QTimer>

#include "builders/HarvestAcceptor.h"
#include "core/IMainView.h"
#include "core/IUserPrompt.h"
#include "core/MainState.h"
#include "listops/LinkList.h"
#include "listops/ListLimit.h"

namespace
{

const QString kTitle = QStringLiteral("Build List from Site");

} // namespace

SiteCrawlFlow::SiteCrawlFlow(MainState& state, LinkList& list, IMainView& view, IUserPrompt& prompt,
    CRegSettings& settings, CrawlFactory factory, AskChoices askChoices)
    : m_state(state)
    , m_list(list)
    , m_view(view)
    , m_prompt(prompt)
    , m_settings(settings)
    , m_factory(std::move(factory))
    , m_askChoices(std::move(askChoices))
{
}

SiteCrawlFlow::~SiteCrawlFlow()
{
    m_alive.reset();
    if (m_crawl) {
        // Cancelled rather than just dropped, so the crawl keeps what it needs to continue.
        m_crawl->setProgressHandler({});
        m_crawl->setFinishedHandler({});
        m_crawl->cancel();
    }
}

bool SiteCrawlFlow::stillWanted(const std::weak_ptr<char>& alive) const
{
    // Checked in this order: after the flow was destroyed, no member may be read.
    return !alive.expired() && !m_closed;
}

void SiteCrawlFlow::buildFromSite()
{
    if (m_closed)
        return;
    if (m_crawl) {
        m_prompt.message(PromptIcon::Exclamation, kTitle,
            QStringLiteral("A site harvest is running. Press \"Esc\" to stop it before "
                           "starting another."));
        return;
    }
    if (!m_factory) {
        m_prompt.message(PromptIcon::Exclamation, kTitle,
            QStringLiteral("Harvesting a site is not available: the page harvest could not be "
                           "set up."));
        return;
    }
    const std::weak_ptr<char> alive = m_alive;
    const std::optional<SiteCrawlChoices> choices
        = m_askChoices(SiteCrawlChoices::load(m_settings));
    // The window may have closed, or another crawl started, while the dialog was open.
    if (!choices || !stillWanted(alive) || m_crawl)
        return;
    choices->store(m_settings);
    std::unique_ptr<ISiteCrawl> crawl = m_factory(m_state.prefs, m_state.filters);
    if (!crawl) {
        m_prompt.message(
            PromptIcon::Critical, kTitle, QStringLiteral("The site harvest could not be started."));
        return;
    }
    bool resume = false;
    if (crawl->canResume(choices->startUrl(), choices->options)) {
        const PromptAnswer answer = m_prompt.message(PromptIcon::Question, kTitle,
            QStringLiteral("An earlier harvest of %1 with these choices stopped before its "
                           "end.\n\nContinue it where it stopped? \"No\" starts again from the "
                           "first page.")
                .arg(choices->startUrl()),
            PromptButtons::YesNoCancel);
        if (answer == PromptAnswer::Closed || !stillWanted(alive) || m_crawl)
            return;
        resume = answer == PromptAnswer::Yes;
    }
    start(std::move(crawl), *choices, resume);
}

void SiteCrawlFlow::start(
    std::unique_ptr<ISiteCrawl> crawl, const SiteCrawlChoices& choices, bool resume)
{
    m_crawl = std::move(crawl);
    m_stopping = false;
    const quint64 run = ++m_run;
    m_crawl->setProgressHandler([this, run](const CrawlProgress& progress) {
        if (run == m_run && !m_stopping)
            m_view.setStatus(StatusKind::Building, progressText(progress));
    });
    // The end is handled once control is back in the event loop: the crawl is destroyed
    // there, never from inside its own call, and the questions asked then may wait long.
    m_crawl->setFinishedHandler([this, run](const CrawlResult& result) {
        QTimer::singleShot(0, [alive = std::weak_ptr<char>(m_alive), this, run, result] {
            if (!alive.expired() && run == m_run)
                finish(result);
        });
    });
    m_view.setWindowEnabled(false);
    m_view.setWaitPointer(true);
    m_view.setStatus(StatusKind::Building, progressText({}));
    m_view.setCountText(QStringLiteral("press \"Esc\" to stop"));
    m_crawl->start(choices.startUrl(), choices.options, m_state.filters.harvest, resume);
}

bool SiteCrawlFlow::cancel()
{
    if (!m_crawl)
        return false;
    if (!m_stopping) {
        m_stopping = true;
        m_view.setStatus(StatusKind::Building,
            QStringLiteral("Stopping the site harvest; what was found is kept."));
        m_crawl->cancel();
    }
    return true;
}

void SiteCrawlFlow::shutdown()
{
    m_closed = true;
    if (m_crawl)
        m_crawl->cancel();
    release();
}

void SiteCrawlFlow::release()
{
    ++m_run;
    m_stopping = false;
    if (!m_crawl)
        return;
    m_crawl->setProgressHandler({});
    m_crawl->setFinishedHandler({});
    m_crawl.reset();
}

void SiteCrawlFlow::finish(const CrawlResult& result)
{
    release();
    if (m_closed)
        return;
    const std::weak_ptr<char> alive = m_alive;
    m_view.setWaitPointer(false);
    HarvestAcceptor acceptor(m_state.prefs, m_state.filters, m_list);
    if (!result.entries.isEmpty()) {
        if (!m_list.isEmpty()) {
            if (const std::optional<bool> choice
                = m_prompt.askDesiredAction(m_state.prefs.defappend);
                choice && stillWanted(alive))
                m_state.append = *choice;
            if (!stillWanted(alive))
                return;
        }
        if (!m_state.append)
            m_list.clear();
        acceptor.accept(result.entries);
    }
    m_view.SetListExtent();
    m_view.returnToIdle();
    if (m_list.isEmpty())
        m_view.setCountText(nothingFoundText(m_state.filters.harvest.collect));
    else
        m_view.setLinkCount(m_list.count());
    if (acceptor.limitReached()) {
        m_prompt.message(
            PromptIcon::Exclamation, ListLimit::title(), ListLimit::message(acceptor.notAdded()));
        if (!stillWanted(alive))
            return;
    }
    if (const QString text = summary(result); !text.isEmpty()) {
        m_prompt.message(
            result.failures.isEmpty() ? PromptIcon::Information : PromptIcon::Exclamation, kTitle,
            text);
        if (!stillWanted(alive))
            return;
    }
    if (m_ended)
        m_ended();
}

QString SiteCrawlFlow::progressText(const CrawlProgress& progress)
{
    return QStringLiteral("Pages visited %1, waiting %2, failed %3; entries %4")
        .arg(progress.visited)
        .arg(progress.waiting)
        .arg(progress.failed)
        .arg(progress.entries);
}

QString SiteCrawlFlow::summary(const CrawlResult& result)
{
    QStringList lines;
    // Esc is its own reason; a limit or a failure that ended the crawl is told.
    if (!result.cancelled && !result.stopReason.isEmpty())
        lines << QStringLiteral("The harvest stopped before every page was read: %1.")
                     .arg(result.stopReason);
    const qsizetype failed = result.failures.size();
    if (failed > 0) {
        if (!lines.isEmpty())
            lines << QString();
        lines << (failed == 1 ? QStringLiteral("1 page could not be read:")
                              : QStringLiteral("%1 pages could not be read:").arg(failed));
        for (qsizetype i = 0; i < failed && i < kFailuresListed; ++i)
            lines << QStringLiteral("%1: %2").arg(
                result.failures[i].page, result.failures[i].reason);
        if (failed > kFailuresListed)
            lines << QStringLiteral("and %1 more.").arg(failed - kFailuresListed);
    }
    return lines.join(u'\n');
}
