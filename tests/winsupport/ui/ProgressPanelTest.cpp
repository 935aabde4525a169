#include <gtest/gtest.h>

#include <QPalette>
#include <QPixmap>
#include <QWidget>

#include "winsupport/CProgressBarEx.h"
#include "winsupport/ui/ProgressPanel.h"

TEST(ProgressPanel, ShowsTheBarInPaletteColoursThenItsText)
{
    // Set up as the main window's progress property does it.
    QWidget window;
    auto* panel = new ProgressPanel(&window);
    const QLabel& label = *panel;
    panel->setText("12 links found");
    CProgressBarEx bar;
    bar.setClient(panel);
    bar.setHost(panel);
    bar.setPanelKey("pnlProgress");
    bar.ResizeEx();
    bar.setTextOnly(false);
    bar.setValue(50);
    ASSERT_TRUE(panel->showsPicture());
    EXPECT_FALSE(label.pixmap().isNull());
    EXPECT_EQ(panel->surfaceHeight(), panel->height() - 4);
    ASSERT_GT(bar.BlockCount(), 5);

    const QColor highlight = panel->palette().color(QPalette::Highlight);
    const QColor face = panel->palette().color(QPalette::Button);
    ASSERT_NE(highlight, face);
    const int step = 3 + bar.BlockWidth();
    const int y = 2 + bar.BlockHeight() / 2;
    int filled = 0;
    for (int block = 0; block < bar.BlockCount(); ++block) {
        const QColor color = panel->surfaceImage().pixelColor(2 + block * step + 5, y);
        EXPECT_TRUE(color == highlight || color == face) << block;
        filled += color == highlight;
    }
    EXPECT_EQ(filled, bar.LastDrawn());
    EXPECT_EQ(panel->surfaceImage().pixelColor(2 + bar.BlockWidth() + 2, y), face); // a gap

    // Text set while the bar shows waits for the bar to go.
    panel->setText("3 links found");
    EXPECT_TRUE(panel->showsPicture());
    bar.setTextOnly(true);
    EXPECT_FALSE(panel->showsPicture());
    EXPECT_TRUE(label.pixmap().isNull());
    EXPECT_EQ(label.text(), "3 links found");
}
