#pragma once

#include <QHash>
#include <QList>
#include <utility>

#include "app/ui/MainCommandTable.h"

class Form1;
class QAction;
class QMenu;
class QWidget;

// Builds the main window's menus and the list's context menu ("mnusavepop") from
// MainCommandTable, gives the items their icons when a menu first opens, and sets the
// items' enabled states by the table's rules.
class MenuBuilder final
{
public:
    // list: the widget whose focus the context menu's Delete key works in.
    MenuBuilder(Form1& form, QWidget* list);

    QAction* action(MainCommand command) const { return m_actions.value(command); }
    QMenu* contextMenu() const { return m_contextMenu; }
    // The state pass over the menu items.
    void applyStates(const MainCommandTable::Facts& facts) const;

private:
    QHash<MainCommand, QAction*> m_actions;
    QList<std::pair<QAction*, bool (*)(const MainCommandTable::Facts&)>> m_rules;
    QMenu* m_contextMenu = nullptr;
};
