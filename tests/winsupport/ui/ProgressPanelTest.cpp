#include <gtest/gtest.h>

#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QWidget>

#include "winsupport/CProgressBarEx.h"
#include "winsupport/ui/ProgressPanel.h"

namespace {

// The panel as the main window's progress property sets it up.
struct ProgressPanelTest : ::testing::Test {
    QWidget window;
    ProgressPanel* panel = new ProgressPanel(&window);
    CProgressBarEx bar;

    void SetUp() override
    {
        panel->setText("12 links found");
        bar.setClient(panel);
        bar.setHost(panel);
        bar.setPanelKey("pnlProgress");
        bar.ResizeEx();
    }

    const QLabel& label() const { return *panel; }

    // Colour at the centre of block number `block` (1-based) of the surface.
    QColor blockColor(int block) const
    {
        const int x = 2 + (block - 1) * (3 + bar.BlockWidth()) + bar.BlockWidth() / 2;
        const int y = 2 + bar.BlockHeight() / 2;
        return panel->surfaceImage().pixelColor(x, y);
    }
};

} // namespace

TEST_F(ProgressPanelTest, FitsTheSurfaceIntoThePanel)
{
    EXPECT_EQ(panel->width(), ProgressPanel::kWidth);
    EXPECT_EQ(panel->surfaceHeight(), panel->height() - 4);
    EXPECT_EQ(bar.BlockHeight(), panel->surfaceHeight() - 4);
    EXPECT_GT(bar.BlockCount(), 5);
    EXPECT_EQ(panel->surfaceWidth(), 3 + (3 + bar.BlockWidth()) * bar.BlockCount());
    // Whole blocks stay within the panel, give or take the nearer block count.
    EXPECT_LE(panel->surfaceWidth(), panel->width() - 4 + (3 + bar.BlockWidth()) / 2);
}

TEST_F(ProgressPanelTest, DrawsFilledBlocksInHighlightOnButtonFace)
{
    bar.setTextOnly(false);
    bar.setMax(100);
    bar.setValue(50);
    ASSERT_TRUE(panel->showsPicture());
    EXPECT_FALSE(label().pixmap().isNull());
    EXPECT_TRUE(label().text().isEmpty());

    const QColor highlight = panel->palette().color(QPalette::Highlight);
    const QColor face = panel->palette().color(QPalette::Button);
    ASSERT_NE(highlight, face);
    int filled = 0;
    for (int block = 1; block <= bar.BlockCount(); ++block) {
        const QColor color = blockColor(block);
        EXPECT_TRUE(color == highlight || color == face) << block;
        filled += color == highlight;
    }
    EXPECT_EQ(filled, bar.LastDrawn());
    EXPECT_EQ(blockColor(1), highlight);
    EXPECT_EQ(blockColor(bar.BlockCount()), face);
    // The gap between blocks and the margin stay in the background colour.
    EXPECT_EQ(panel->surfaceImage().pixelColor(2 + bar.BlockWidth() + 2, 5), face);
    EXPECT_EQ(panel->surfaceImage().pixelColor(0, 0), face);
}

TEST_F(ProgressPanelTest, TextShowsWhenThePictureIsRemoved)
{
    bar.setTextOnly(false);
    bar.setValue(80);
    ASSERT_TRUE(panel->showsPicture());
    // Text set while the bar shows waits for the bar to go.
    panel->setText("3 links found");
    EXPECT_TRUE(panel->showsPicture());
    EXPECT_EQ(panel->text(), "3 links found");

    bar.setTextOnly(true);
    EXPECT_FALSE(panel->showsPicture());
    EXPECT_TRUE(label().pixmap().isNull());
    EXPECT_EQ(label().text(), "3 links found");
}
