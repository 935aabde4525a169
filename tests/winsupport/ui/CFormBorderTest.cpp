#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

#include "winsupport/ui/CFormBorder.h"

namespace
{

class CFormBorderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_form.resize(300, 200);
        m_form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_form));
        m_border.setClient(&m_form);
    }

    QMainWindow m_form;
    CFormBorder m_border;
};

TEST_F(CFormBorderTest, MaxButtonChangesTheHintAndTheMenuItemOnTheShownWindow)
{
    ASSERT_TRUE(m_border.MaxButton());
    m_border.setMaxButton(false);
    EXPECT_FALSE(m_border.MaxButton());
    EXPECT_TRUE(m_form.isVisible());
    EXPECT_FALSE(m_form.windowHandle()->flags().testFlag(Qt::WindowMaximizeButtonHint));
    const SystemMenu& menu = m_border.systemMenu();
    const int position = menu.find(SystemMenu::SC_MAXIMIZE);
    ASSERT_GE(position, 0);
    EXPECT_TRUE(menu.items()[position].grayed);
    EXPECT_EQ(menu.items()[position].id, SystemMenu::SC_MAXIMIZE & ~0x8000);

    m_border.setMaxButton(true);
    EXPECT_TRUE(m_border.MaxButton());
    EXPECT_EQ(menu.items()[menu.find(SystemMenu::SC_MAXIMIZE)].id, SystemMenu::SC_MAXIMIZE);
    EXPECT_TRUE(menu.isEnabled(SystemMenu::SC_MAXIMIZE));
}

TEST_F(CFormBorderTest, SizeableFixesTheSizeAndRestoresTheLimits)
{
    m_form.setMinimumSize(100, 80);
    m_border.setSizeable(false);
    EXPECT_FALSE(m_border.Sizeable());
    EXPECT_EQ(m_form.minimumSize(), QSize(300, 200));
    EXPECT_EQ(m_form.maximumSize(), QSize(300, 200));
    EXPECT_FALSE(m_border.systemMenu().isEnabled(SystemMenu::SC_SIZE));
    m_border.setSizeable(true);
    EXPECT_TRUE(m_border.Sizeable());
    EXPECT_EQ(m_form.minimumSize(), QSize(100, 80));
    EXPECT_EQ(m_form.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

TEST_F(CFormBorderTest, StyleMembersReadBackWhatWasSet)
{
    struct Member {
        const char* name;
        bool (CFormBorder::*get)() const;
        void (CFormBorder::*set)(bool);
    };
    const Member members[] = {
        { "ControlBox", &CFormBorder::ControlBox, &CFormBorder::setControlBox },
        { "MinButton", &CFormBorder::MinButton, &CFormBorder::setMinButton },
        { "Titlebar", &CFormBorder::Titlebar, &CFormBorder::setTitlebar },
        { "ToolWindow", &CFormBorder::ToolWindow, &CFormBorder::setToolWindow },
        { "TopMost", &CFormBorder::TopMost, &CFormBorder::setTopMost },
        { "WhatsThisButton", &CFormBorder::WhatsThisButton, &CFormBorder::setWhatsThisButton },
        { "Moveable", &CFormBorder::Moveable, &CFormBorder::setMoveable },
    };
    for (const Member& m : members) {
        for (bool value : { true, false, true }) {
            (m_border.*m.set)(value);
            EXPECT_EQ((m_border.*m.get)(), value) << m.name;
        }
    }
    m_border.setToolWindow(true);
    EXPECT_FALSE(m_border.ShowInTaskbar());
}

TEST_F(CFormBorderTest, RemovingCloseTakesTheSeparatorAlong)
{
    const qsizetype before = m_border.systemMenu().items().size();
    m_border.RemoveMenuItem(SystemMenu::SC_CLOSE);
    const auto& items = m_border.systemMenu().items();
    EXPECT_EQ(items.size(), before - 2);
    EXPECT_EQ(m_border.systemMenu().find(SystemMenu::SC_CLOSE), -1);
    EXPECT_NE(items.last().id, 0);
    m_border.RemoveMenuItem(SystemMenu::SC_MINIMIZE);
    EXPECT_FALSE(m_border.MinButton());
}

TEST_F(CFormBorderTest, WindowMenuShowsTheItemStatesAndRunsCommands)
{
    m_border.setMoveable(false);
    m_border.ShowSysMenu(10, 10);
    QMenu* menu = m_border.openSysMenu();
    ASSERT_NE(menu, nullptr);
    QHash<QString, QAction*> byText;
    for (QAction* a : menu->actions())
        byText.insert(a->text(), a);
    EXPECT_FALSE(byText["&Restore"]->isEnabled());
    EXPECT_FALSE(byText["&Move"]->isEnabled());
    EXPECT_TRUE(byText["Ma&ximize"]->isEnabled());
    byText["Ma&ximize"]->trigger();
    EXPECT_TRUE(m_form.isMaximized());
}

TEST_F(CFormBorderTest, OnlyATopLevelWidgetBecomesTheClient)
{
    CFormBorder border;
    QLabel child(&m_form);
    QObject plain;
    for (QObject* candidate :
        { static_cast<QObject*>(&child), &plain, static_cast<QObject*>(nullptr) }) {
        border.setClient(candidate);
        EXPECT_EQ(border.Client(), nullptr);
        EXPECT_EQ(border.hWnd(), WId(0));
    }
    border.setClient(&m_form);
    EXPECT_EQ(border.Client(), &m_form);
    EXPECT_NE(border.hWnd(), WId(0));
}

} // namespace
