#pragma once

#include <QString>
#include <functional>

#include "core/HarvestScope.h"

class IMainView;
class IUserPrompt;
class LinkList;
class UrlListBuilder;
struct MainState;

// The window's side of a build from a page: asks the window's questions ("Build List from
// URL", "Select Desired Action"), shows the building status and hands the answers to the
// URL builder as a request. The command line gives the builder its requests directly.
class UrlBuildFlow final
{
public:
    UrlBuildFlow(UrlListBuilder& builder, MainState& state, const LinkList& list, IMainView& view,
        IUserPrompt& prompt);

    // "Build list from URL": the dialog, then the build from the URL typed there.
    void buildFromUrl();
    // Builds from the list's current entry: its content-type check, "Select Desired
    // Action", then the build.
    void buildFromEntry();
    // Harvests a link delivered from outside, asking "Select Desired Action" first when
    // the list is not empty.
    void harvestLink(const QString& url);
    // Called when the dialog changed what a harvest collects (already in the state), so
    // the setting is stored and the Options menu shows it.
    void setCollectChosen(std::function<void(HarvestCollect)> chosen)
    {
        m_collectChosen = std::move(chosen);
    }

private:
    void entryIsPage(const QString& url);
    // "Select Desired Action"; a dialog closed without "OK" keeps the earlier choice.
    void askAppend();

    UrlListBuilder& m_builder;
    MainState& m_state;
    const LinkList& m_list;
    IMainView& m_view;
    IUserPrompt& m_prompt;
    std::function<void(HarvestCollect)> m_collectChosen;
};
