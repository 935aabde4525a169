#include "app/ui/MenuBuilder.h"

#include <QActionGroup>
#include <QMenuBar>

#include "app/ui/Form1.h"

namespace
{

// Gives a menu command its icon, from the same shipped SVG set as the toolbar so menus
// and buttons match on every desktop, when its menu first opens: reading the SVG files
// at start-up would delay the window's first paint.
void iconWhenShown(QMenu* menu, QAction* action, const char* name)
{
    QObject::connect(menu, &QMenu::aboutToShow, action, [action, name] {
        if (action->icon().isNull())
            action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name))));
    });
}

} // namespace

MenuBuilder::MenuBuilder(Form1& form, QWidget* list)
{
    using Menu = MainCommandTable::Menu;
    QMenuBar* bar = form.menuBar();
    const auto barMenu = [bar](const char* title, const char* name) {
        QMenu* menu = bar->addMenu(QString::fromLatin1(title));
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    QHash<Menu, QMenu*> menus;
    menus.insert(Menu::File, barMenu("&File", "mnuf"));
    menus.insert(Menu::List, barMenu("&List", "mnulst"));
    menus.insert(Menu::Options, barMenu("&Options", "mnuo"));
    menus.insert(Menu::Help, barMenu("&Help", "mnuh"));
    m_contextMenu = new QMenu(&form);
    m_contextMenu->setObjectName(QStringLiteral("mnusavepop"));
    menus.insert(Menu::Context, m_contextMenu);

    for (const MainCommandTable::Entry& entry : MainCommandTable::entries()) {
        if (entry.menu == Menu::Columns && !menus.contains(Menu::Columns)) {
            QMenu* columns = menus.value(Menu::List)->addMenu(QStringLiteral("Colum&ns"));
            columns->setObjectName(QStringLiteral("mnulstcol"));
            menus.insert(Menu::Columns, columns);
        }
        QMenu* menu = menus.value(entry.menu);
        if (entry.separatorBefore)
            menu->addSeparator();
        QAction* act = menu->addAction(QString::fromLatin1(entry.caption));
        act->setObjectName(QLatin1String(entry.objectName));
        if (!entry.shortcut.isEmpty())
            act->setShortcut(entry.shortcut);
        if (entry.icon)
            iconWhenShown(menu, act, entry.icon);
        QObject::connect(act, &QAction::triggered, &form,
            [&form, handler = entry.handler] { (form.*handler)(); });
        m_actions.insert(entry.command, act);
        if (entry.enabled)
            m_rules.append({ act, entry.enabled });
    }
    action(MainCommand::ApplyFilters)->setCheckable(true);
    auto* collect = new QActionGroup(&form);
    for (MainCommand command :
        { MainCommand::CollectLinks, MainCommand::CollectMedia, MainCommand::CollectBoth }) {
        action(command)->setCheckable(true);
        collect->addAction(action(command));
    }
    action(MainCommand::ScrollPages)->setCheckable(true);
    action(MainCommand::LinkedFullSize)->setCheckable(true);
    action(MainCommand::ShowPictures)->setCheckable(true);
    action(MainCommand::EnginePages)->setCheckable(true);
    for (MainCommand command : { MainCommand::ColumnKind, MainCommand::ColumnPixels,
             MainCommand::ColumnFileSize, MainCommand::ColumnType })
        action(command)->setCheckable(true);
    m_contextMenu->setDefaultAction(action(MainCommand::PopupOpen));
    // Delete works on the focused entry of the list without opening the menu.
    QAction* remove = action(MainCommand::PopupRemove);
    remove->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    list->addAction(remove);
}

void MenuBuilder::applyStates(const MainCommandTable::Facts& facts) const
{
    for (const auto& [act, rule] : m_rules)
        act->setEnabled(rule(facts));
}
