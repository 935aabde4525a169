#include "builders/UrlListBuilder.h"

#include "app/IMainView.h"
#include "app/IUserPrompt.h"
#include "app/MainState.h"
#include "builders/IContentTypeFetcher.h"
#include "builders/IShellWindows.h"
#include "listops/LinkList.h"

UrlListBuilder::UrlListBuilder(MainState& state, LinkList& list, IMainView& view,
                               IUserPrompt& prompt, IShellWindows& shellWindows,
                               IContentTypeFetcher& fetcher, BrowserFactory browserFactory,
                               QObject* parent)
    : QObject(parent), m_state(state), m_list(list), m_view(view), m_prompt(prompt),
      m_shellWindows(shellWindows), m_fetcher(fetcher), m_browserFactory(std::move(browserFactory))
{
}

UrlListBuilder::~UrlListBuilder() = default;

void UrlListBuilder::mnufURL_Click() { m_state.goturl.clear(); }
void UrlListBuilder::mnusavpopbuild_Click() {}
void UrlListBuilder::incomingLink() {}
void UrlListBuilder::cancel() {}
bool UrlListBuilder::harvestRunning() const { return m_browser || m_adopted || m_fetching; }
