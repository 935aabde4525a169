#include "app/UrlBuildFlow.h"

#include "builders/UrlListBuilder.h"
#include "core/IMainView.h"
#include "core/IUserPrompt.h"
#include "core/MainState.h"
#include "listops/LinkList.h"

namespace
{

const QString kBuildingStatus = QStringLiteral("Bulding list (press \"Esc\" to cancel).");

} // namespace

UrlBuildFlow::UrlBuildFlow(UrlListBuilder& builder, MainState& state, const LinkList& list,
    IMainView& view, IUserPrompt& prompt)
    : m_builder(builder)
    , m_state(state)
    , m_list(list)
    , m_view(view)
    , m_prompt(prompt)
{
    QObject::connect(&builder, &UrlListBuilder::entryIsPage, &builder,
        [this](const QString& url) { entryIsPage(url); });
}

void UrlBuildFlow::buildFromUrl()
{
    if (m_builder.isShutDown())
        return;
    // A pending check ends before the dialog opens: the new request has the view.
    m_builder.giveWay();
    UrlDialogInput input;
    input.defappend = m_state.prefs.defappend;
    input.hasCurrentEntry = !m_list.isEmpty() && m_list.currentIndex() != -1;
    if (input.hasCurrentEntry)
        input.currentEntry = m_list.at(m_list.currentIndex());
    input.filtersApplied = m_state.filters.appfiltChecked;
    input.collect = m_state.filters.harvest.collect;
    const std::optional<UrlRequest> request = m_prompt.askUrl(input);
    // The window may have closed while the dialog was open.
    if (!request || request->url.isEmpty() || m_builder.isShutDown()) {
        m_builder.decline();
        return;
    }
    if (request->collect && *request->collect != m_state.filters.harvest.collect) {
        m_state.filters.harvest.collect = *request->collect;
        if (m_collectChosen)
            m_collectChosen(*request->collect);
    }
    m_view.setWaitPointer(true);
    m_state.append = request->append;
    m_view.setStatus(StatusKind::Building, kBuildingStatus);
    m_view.setCountText(QString());
    m_builder.build(UrlBuildRequest { request->url, request->append, false });
}

void UrlBuildFlow::buildFromEntry()
{
    const int current = m_list.currentIndex();
    if (m_builder.isShutDown() || current < 0 || current >= m_list.count())
        return;
    m_builder.checkEntry(m_list.at(current));
}

void UrlBuildFlow::entryIsPage(const QString& url)
{
    m_view.setWaitPointer(false);
    askAppend();
    if (m_builder.isShutDown()) {
        m_builder.endWithoutHarvest();
        return;
    }
    m_builder.build(UrlBuildRequest { url, m_state.append, true });
}

void UrlBuildFlow::harvestLink(const QString& url)
{
    if (m_builder.isShutDown())
        return;
    m_builder.giveWay();
    if (m_list.count() >= 1) {
        m_view.setWaitPointer(false);
        askAppend();
        if (m_builder.isShutDown()) {
            m_builder.endWithoutHarvest();
            return;
        }
    }
    m_builder.harvestIncoming(url, m_state.append);
}

void UrlBuildFlow::askAppend()
{
    if (const std::optional<bool> choice = m_prompt.askDesiredAction(m_state.prefs.defappend))
        m_state.append = *choice;
}
