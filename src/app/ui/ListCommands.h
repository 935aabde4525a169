#pragma once

#include <QString>
#include <functional>

#include "app/ListBuildFlow.h"

class CRegSettings;
class IMainView;
class IUserPrompt;
class LinkList;
class ListHistory;
struct MainState;

// The List menu's builders that need no page (clipboard, file and sequence through
// ListBuildFlow, single link), the list's search, selection, clearing and removal, pattern
// commands, undo and redo, and writing the list to a text file: each asks what it needs
// through the prompt, changes the list and reports through the main view.
class ListCommands final
{
public:
    ListCommands(MainState& state, LinkList& list, ListHistory& history, IMainView& view,
        IUserPrompt& prompt, CRegSettings& regset, std::function<QString()> clipboardText);

    // Builds from the clipboard's text.
    void buildFromClipboard();
    // Builds from text dropped on the list or handed over by a command line, as from
    // the clipboard.
    void buildFromText(const QString& text);
    void buildFromFile();
    void buildSequence();
    void addSingleLink();
    void search();
    void selectAll();
    void clear();
    void removeCurrent();
    void removeSelected();
    void undo();
    void redo();
    // Selects exactly the entries that match the pattern, removes them, or removes the
    // others; a pattern that cannot be read is reported, changes nothing and gives false.
    enum class PatternAction { Select, Remove, Keep };
    bool applyPattern(PatternAction action, const QString& patternText);
    enum class FileMode { Replace, Append };
    void writeListFile(FileMode mode);
    // "Export list...": the list with each entry's context as CSV, JSON lines or an aria2
    // input file, by the picker's chosen filter.
    void exportList();

private:
    MainState& m_state;
    void historyMoved(bool moved);

    LinkList& m_list;
    ListHistory& m_history;
    IMainView& m_view;
    IUserPrompt& m_prompt;
    CRegSettings& m_regset;
    std::function<QString()> m_clipboardText;
    ListBuildFlow m_builds;
};
