#pragma once

#include <QHash>
#include <QToolBar>
#include <optional>

class QMenu;

// The main window's toolbar ("Toolbar1"): thirteen items in order (two separators),
// each button an action named after its key, with the tooltip it shows and an icon
// drawn from the program's scalable icons. "slideshow" is a check button, "sav" has a
// drop-down menu ("savtgt", "savelist", "appendlist"). The image of "hide_br" (8 shown,
// 9 hidden) and of "resize" (12 full size, 13 compact) each pick one of two icons.
class MainToolbar final : public QToolBar
{
    Q_OBJECT
public:
    explicit MainToolbar(QWidget* parent = nullptr);

    // The buttons and the "sav" drop-down's entries as code names them; their keys (the
    // actions' object names) are what the signals carry and tests find them by.
    enum class Button {
        ListUrl,
        ListClp,
        ListFile,
        ListSeq,
        Back,
        Fwd,
        HideBr,
        Slideshow,
        Sav,
        Resize,
        Help
    };
    enum class MenuEntry { SavTgt, SaveList, AppendList };
    static QString keyOf(Button button);
    static QString keyOf(MenuEntry entry);
    static std::optional<Button> buttonOf(const QString& key);
    static std::optional<MenuEntry> menuEntryOf(const QString& key);
    QAction* button(Button which) const { return button(keyOf(which)); }
    QAction* menuEntry(MenuEntry which) const { return menuEntry(keyOf(which)); }

    // The button with this key (compared exactly), or null.
    QAction* button(const QString& key) const { return m_buttons.value(key); }
    QAction* menuEntry(const QString& key) const { return m_menuEntries.value(key); }
    QMenu* savMenu() const { return m_savMenu; }
    // The keys in toolbar order; separators are empty keys.
    const QStringList& keys() const { return m_keys; }
    QList<QAction*> items() const { return m_items; }

    int image(const QString& key) const { return m_images.value(key); }
    // Sets a button's image (and its icon); the tooltip is the caller's.
    void setImage(const QString& key, int image);
    // The icon file an image index stands for.
    static QString iconPath(int image);

signals:
    void ButtonClick(const QString& key);
    void ButtonMenuClick(const QString& key);
    // The pointer moved onto a button (its tooltip) or off the toolbar.
    void buttonHovered(const QString& tooltip);
    void pointerLeft();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QAction* addButton(const QString& key, const QString& tooltip, int image);
    void addSeparatorItem();

    QHash<QString, QAction*> m_buttons;
    QHash<QString, QAction*> m_menuEntries;
    QHash<QString, int> m_images;
    QHash<QObject*, QAction*> m_widgets; // button widget -> its action
    QStringList m_keys;
    QList<QAction*> m_items;
    QMenu* m_savMenu = nullptr;
};
