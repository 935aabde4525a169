#include "app/ui/ToolbarDispatch.h"

#include <QAction>
#include <QSignalBlocker>

#include "app/ui/Form1.h"
#include "app/ui/MainStatusBar.h"
#include "listops/LinkList.h"
#include "viewer/LinkViewer.h"
#include "viewer/Slideshow.h"
#include "viewer/ui/MainToolbar.h"

using Button = MainToolbar::Button;
using MenuEntry = MainToolbar::MenuEntry;

ToolbarDispatch::ToolbarDispatch(
    Form1& form, LinkList& list, LinkViewer& viewer, Slideshow& slideshow, MainStatusBar& status)
    : QObject(&form)
    , m_form(form)
    , m_list(list)
    , m_viewer(viewer)
    , m_slideshow(slideshow)
    , m_status(status)
{
    m_toolbar = new MainToolbar(&form);
    form.addToolBar(Qt::TopToolBarArea, m_toolbar);
    connect(m_toolbar, &MainToolbar::ButtonClick, &form, &Form1::Toolbar1_ButtonClick);
    connect(m_toolbar, &MainToolbar::ButtonMenuClick, &form, &Form1::Toolbar1_ButtonMenuClick);
    connect(m_toolbar, &MainToolbar::buttonHovered, this,
        [this](const QString& tooltip) { m_status.showHover(tooltip); });
    connect(m_toolbar, &MainToolbar::pointerLeft, this, &ToolbarDispatch::restoreStatusAfterHover);
    // The stepping, slideshow, browser and mode keys, also in compact mode where the
    // menus are hidden: the buttons carry them.
    m_toolbar->button(Button::Back)->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    m_toolbar->button(Button::Fwd)->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    m_toolbar->button(Button::Slideshow)->setShortcut(QKeySequence(Qt::Key_F5));
    m_toolbar->button(Button::Resize)->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
    m_toolbar->button(Button::HideBr)->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B));
}

// Once the pointer leaves the toolbar, the first panel shows the status again: the
// idle text, or what a running load, show or build reports there.
void ToolbarDispatch::restoreStatusAfterHover()
{
    const bool reported
        = MainToolbarRules::statusIsReported(m_status.statusKind()) || !m_form.windowInputEnabled();
    m_status.showHover(reported ? m_status.status() : m_form.idleStatusText());
}

void ToolbarDispatch::syncSlideshowButton()
{
    QAction* button = m_toolbar->button(Button::Slideshow);
    const QSignalBlocker block(button);
    button->setChecked(m_slideshow.running());
}

void ToolbarDispatch::buttonClick(const QString& key)
{
    if (m_slideshow.running() && MainToolbarRules::stopsSlideshow(key))
        m_slideshow.stopByOtherButton();
    const std::optional<Button> button = MainToolbar::buttonOf(key);
    if (!button)
        return;
    switch (*button) {
    case Button::ListUrl:
        m_form.mnufURL_Click();
        break;
    case Button::ListClp:
        m_form.mnufClip_Click();
        break;
    case Button::ListFile:
        m_form.mnufFile_Click();
        break;
    case Button::ListSeq:
        m_form.mnufSeq_Click();
        break;
    case Button::Back:
        m_viewer.stepBack();
        break;
    case Button::Fwd:
        m_viewer.stepForward();
        break;
    case Button::HideBr:
        m_viewer.toggleBrowser();
        break;
    case Button::Slideshow:
        m_slideshow.buttonClicked(m_toolbar->button(Button::Slideshow)->isChecked());
        syncSlideshowButton();
        break;
    case Button::Sav:
        if (m_list.selectedCount() != 0)
            m_form.mnufsav_Click();
        break;
    case Button::Resize:
        m_form.switchWindowMode();
        break;
    case Button::Help:
        m_form.mnuHelpCont_Click();
        break;
    }
}

void ToolbarDispatch::menuClick(const QString& key)
{
    const std::optional<MenuEntry> entry = MainToolbar::menuEntryOf(key);
    if (!entry)
        return;
    switch (*entry) {
    case MenuEntry::SavTgt:
        m_form.mnufsav_Click();
        break;
    case MenuEntry::SaveList:
        m_form.mnufsavlst_Click();
        break;
    case MenuEntry::AppendList:
        m_form.mnufapplist_Click();
        break;
    }
}

void ToolbarDispatch::applyStates(const MainToolbarRules::States& s, bool input)
{
    for (Button b : { Button::ListUrl, Button::ListClp, Button::ListFile, Button::ListSeq,
             Button::Resize, Button::Help })
        m_toolbar->button(b)->setEnabled(input);
    m_toolbar->button(Button::Sav)->setEnabled(input && s.sav);
    m_toolbar->menuEntry(MenuEntry::SavTgt)->setEnabled(s.savtgt);
    m_toolbar->menuEntry(MenuEntry::SaveList)->setEnabled(s.savelist);
    m_toolbar->menuEntry(MenuEntry::AppendList)->setEnabled(s.savelist);
    m_toolbar->button(Button::Back)->setEnabled(input && s.back);
    m_toolbar->button(Button::Fwd)->setEnabled(input && s.fwd);
    m_toolbar->button(Button::Slideshow)->setEnabled(input && s.slideshow);
    m_toolbar->button(Button::HideBr)->setEnabled(input && s.hide_br);
    m_toolbar->setImage(MainToolbar::keyOf(Button::HideBr), m_viewer.hideBrImage());
    m_toolbar->button(Button::HideBr)->setToolTip(m_viewer.hideBrTooltip());
}
