#include "app/ui/WindowModes.h"

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>

#include "core/WindowState.h"
#include "viewer/ui/MainToolbar.h"
#include "winsupport/ui/CFormBorder.h"
#include "winsupport/ui/MinimumSizeAnswer.h"

namespace
{

// Compact mode: 2430 x 885 twips.
constexpr int kCompactWidth = 162;
constexpr int kCompactHeight = 59;

} // namespace

WindowModes::WindowModes(QMainWindow& window, MainToolbar& toolbar, QWidget& list,
    CFormBorder& border, WindowState& state)
    : m_window(window)
    , m_toolbar(toolbar)
    , m_list(list)
    , m_border(border)
    , m_state(state)
{
}

void WindowModes::switchMode()
{
    if (compact())
        toFullSize();
    else
        toCompact();
    m_toolbar.setImage(MainToolbar::keyOf(MainToolbar::Button::Resize), m_image);
}

// Shows or hides the buttons compact mode leaves out.
void WindowModes::showOtherButtons(bool shown)
{
    using Button = MainToolbar::Button;
    QStringList kept;
    for (Button b :
        { Button::Resize, Button::HideBr, Button::Fwd, Button::Back, Button::Slideshow })
        kept.append(MainToolbar::keyOf(b));
    const QList<QAction*> items = m_toolbar.items();
    const QStringList keys = m_toolbar.keys();
    for (int i = 0; i < items.size(); ++i) {
        if (!kept.contains(keys.at(i)))
            items.at(i)->setVisible(shown);
    }
}

void WindowModes::toFullSize()
{
    m_window.menuBar()->setVisible(true);
    m_border.setMaxButton(true);
    m_border.setSizeable(true);
    showOtherButtons(true);
    m_list.show();
    m_window.statusBar()->show();
    m_toolbar.setMinimumHeight(0);
    m_state.meX = kInitialWidth;
    m_state.meY = kInitialHeight;
    MinimumSizeAnswer::query(&m_window);
    m_window.resize(m_savedFullSize);
    m_image = kFullSizeImage;
    m_toolbar.button(MainToolbar::Button::Resize)->setToolTip(QStringLiteral("Compact mode"));
}

void WindowModes::toCompact()
{
    m_window.menuBar()->setVisible(false);
    m_savedFullSize = m_window.isMaximized() ? m_window.normalGeometry().size() : m_window.size();
    if (m_window.isMaximized())
        m_window.showNormal();
    showOtherButtons(false);
    m_state.meX = kCompactWidth;
    m_state.meY = kCompactHeight;
    MinimumSizeAnswer::query(&m_window);
    m_list.hide();
    m_window.statusBar()->hide();
    // The buttons fill the compact window's height.
    m_toolbar.setMinimumHeight(kCompactHeight);
    m_window.resize(kCompactWidth, kCompactHeight);
    m_image = kCompactImage;
    m_toolbar.button(MainToolbar::Button::Resize)->setToolTip(QStringLiteral("Fullsize mode"));
    m_border.setMaxButton(false);
    m_border.setSizeable(false);
}
