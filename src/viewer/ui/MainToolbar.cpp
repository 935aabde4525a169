#include "viewer/ui/MainToolbar.h"

#include <QEvent>
#include <QIcon>
#include <QMenu>
#include <QToolButton>

namespace
{

const char* const kButtonKeys[] = { "list_url", "list_clp", "list_file", "list_seq", "back", "fwd",
    "hide_br", "slideshow", "sav", "resize", "help" };
const char* const kMenuEntryKeys[] = { "savtgt", "savelist", "appendlist" };

template <typename E, std::size_t N>
std::optional<E> lookUp(const char* const (&keys)[N], const QString& key)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (key == QLatin1String(keys[i]))
            return static_cast<E>(i);
    }
    return std::nullopt;
}

} // namespace

QString MainToolbar::keyOf(Button button)
{
    return QLatin1String(kButtonKeys[static_cast<int>(button)]);
}

QString MainToolbar::keyOf(MenuEntry entry)
{
    return QLatin1String(kMenuEntryKeys[static_cast<int>(entry)]);
}

std::optional<MainToolbar::Button> MainToolbar::buttonOf(const QString& key)
{
    return lookUp<Button>(kButtonKeys, key);
}

std::optional<MainToolbar::MenuEntry> MainToolbar::menuEntryOf(const QString& key)
{
    return lookUp<MenuEntry>(kMenuEntryKeys, key);
}

MainToolbar::MainToolbar(QWidget* parent)
    : QToolBar(QStringLiteral("Toolbar"), parent)
{
    setObjectName(QStringLiteral("Toolbar1"));
    setMovable(false);
    setFloatable(false);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setIconSize(QSize(22, 22));

    addButton(QStringLiteral("list_url"), QStringLiteral("Build list from URL"), 1);
    addButton(QStringLiteral("list_clp"), QStringLiteral("Build list from Clipboard"), 2);
    addButton(QStringLiteral("list_file"), QStringLiteral("Build list from file"), 3);
    addButton(QStringLiteral("list_seq"), QStringLiteral("Build sequential list"), 4);
    addSeparatorItem();
    addButton(QStringLiteral("back"), QStringLiteral("Open previous link in browser"), 6);
    addButton(QStringLiteral("fwd"), QStringLiteral("Open next link in browser"), 7);
    addButton(QStringLiteral("hide_br"), QStringLiteral("Hide browser"), 8);
    addButton(QStringLiteral("slideshow"), QStringLiteral("Slideshow"), 14)->setCheckable(true);
    QAction* sav = addButton(QStringLiteral("sav"), QStringLiteral("Save target(s) to disk"), 5);
    addSeparatorItem();
    addButton(QStringLiteral("resize"), QStringLiteral("Compact mode"), 12);
    addButton(QStringLiteral("help"), QStringLiteral("Help"), 10);

    m_savMenu = new QMenu(this);
    m_savMenu->setObjectName(QStringLiteral("savMenu"));
    const std::pair<const char*, const char*> entries[] = {
        { "savtgt", "Save selected link &target(s) to disk" },
        { "savelist", "Save &list to text file" },
        { "appendlist", "&Append list to text file" },
    };
    for (const auto& [key, text] : entries) {
        QAction* entry = m_savMenu->addAction(QString::fromLatin1(text));
        const QString name = QString::fromLatin1(key);
        entry->setObjectName(name);
        m_menuEntries.insert(name, entry);
        connect(entry, &QAction::triggered, this, [this, name] { emit ButtonMenuClick(name); });
    }
    sav->setMenu(m_savMenu);
    if (auto* savButton = qobject_cast<QToolButton*>(widgetForAction(sav)))
        savButton->setPopupMode(QToolButton::MenuButtonPopup);
}

QString MainToolbar::iconPath(int image)
{
    switch (image) {
    case 1:
        return QStringLiteral(":/icons/insert-link.svg");
    case 2:
        return QStringLiteral(":/icons/edit-paste.svg");
    case 3:
        return QStringLiteral(":/icons/document-open.svg");
    case 4:
        return QStringLiteral(":/icons/view-list-ordered.svg");
    case 5:
        return QStringLiteral(":/icons/document-save.svg");
    case 6:
        return QStringLiteral(":/icons/go-previous.svg");
    case 7:
        return QStringLiteral(":/icons/go-next.svg");
    case 8:
        return QStringLiteral(":/icons/view-reveal.svg");
    case 9:
        return QStringLiteral(":/icons/view-conceal.svg");
    case 10:
        return QStringLiteral(":/icons/help-browser.svg");
    case 12:
        return QStringLiteral(":/icons/view-restore.svg");
    case 13:
        return QStringLiteral(":/icons/view-fullscreen.svg");
    case 14:
        return QStringLiteral(":/icons/media-playback-start.svg");
    default:
        return QString();
    }
}

QAction* MainToolbar::addButton(const QString& key, const QString& tooltip, int image)
{
    QAction* action = addAction(QIcon(iconPath(image)), tooltip);
    action->setObjectName(key);
    action->setToolTip(tooltip);
    m_buttons.insert(key, action);
    m_images.insert(key, image);
    m_keys.append(key);
    m_items.append(action);
    connect(action, &QAction::triggered, this, [this, key] { emit ButtonClick(key); });
    if (QWidget* widget = widgetForAction(action)) {
        widget->setObjectName(key + QStringLiteral("Button"));
        widget->installEventFilter(this);
        m_widgets.insert(widget, action);
    }
    return action;
}

void MainToolbar::addSeparatorItem()
{
    m_keys.append(QString());
    m_items.append(addSeparator());
}

void MainToolbar::setImage(const QString& key, int image)
{
    QAction* action = button(key);
    if (!action)
        return;
    m_images.insert(key, image);
    action->setIcon(QIcon(iconPath(image)));
}

// The button under the pointer writes its tooltip into the status bar, disabled or
// not, as the pointer enters it.
bool MainToolbar::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        if (QAction* action = m_widgets.value(watched))
            emit buttonHovered(action->toolTip());
    }
    return QToolBar::eventFilter(watched, event);
}

void MainToolbar::leaveEvent(QEvent* event)
{
    QToolBar::leaveEvent(event);
    emit pointerLeft();
}
