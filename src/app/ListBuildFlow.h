#pragma once

#include <QString>

class CRegSettings;
class IMainView;
class IUserPrompt;
class LinkList;
struct MainState;

// The window's side of the builds that need no page: from a text (the clipboard, a drop,
// a later start's command line), from a link list file and from a numbered pattern. It
// asks the window's questions (the file picker, "Build Sequential List", "Select Desired
// Action" once the source is known to hold a link and the list has entries), hands the
// answers to the builders and shows their messages. The command line calls the builders
// directly.
class ListBuildFlow final
{
public:
    ListBuildFlow(MainState& state, LinkList& list, IMainView& view, IUserPrompt& prompt,
        CRegSettings& regset);

    void buildFromText(const QString& text);
    // The picker starts in the remembered folder, which the chosen file replaces.
    void buildFromFile();
    // clipboardText is offered to "Build Sequential List" as its URL.
    void buildSequence(const QString& clipboardText);

private:
    // "Select Desired Action" when the list has entries; a dialog closed without "OK"
    // keeps the earlier choice.
    void askAppendIfNotEmpty();

    MainState& m_state;
    LinkList& m_list;
    IMainView& m_view;
    IUserPrompt& m_prompt;
    CRegSettings& m_regset;
};
