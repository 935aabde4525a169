#include <gtest/gtest.h>

#include <QList>
#include <QRect>

#include "winsupport/CProgressBarEx.h"
#include "winsupport/IProgressSurface.h"
#include "winsupport/QmError.h"

namespace {

// Plays both the drawing surface and the status bar, and records what the bar does.
class FakeSurface final : public IProgressSurface {
public:
    int width = 0;
    int height = 0;
    int border = 0; // pixels outside the drawing area, on each side
    int panel = -1; // width of the panel "pnl"; -1: no such panel
    int host = 0;

    struct Fill {
        QRect rect;
        quint32 color;
    };
    QList<Fill> fills;
    QList<Fill> handedOver; // the fills behind the last picture handed to the panel
    int clears = 0;
    int pictures = 0; // pictures handed to the panel
    int removals = 0; // panel pictures removed

    int surfaceWidth() const override { return width; }
    int surfaceHeight() const override { return height; }
    int scaleWidth() const override { return width - 2 * border; }
    int scaleHeight() const override { return height - 2 * border; }
    void setSurfaceWidth(int w) override { width = w; }
    void setSurfaceHeight(int h) override { height = h; }
    void clearSurface(quint32) override { ++clears; }
    void fillRect(int left, int top, int right, int bottom, quint32 color) override
    {
        fills.append({QRect(QPoint(left, top), QPoint(right, bottom)), color});
    }
    int panelWidth(const QString& key) const override { return key == "pnl" ? panel : -1; }
    int hostHeight() const override { return host; }
    void setPanelPicture(const QString&, const IProgressSurface* picture) override
    {
        picture ? ++pictures : ++removals;
        if (picture) {
            handedOver = fills;
            fills.clear();
        }
    }
    int filledWith(quint32 color) const
    {
        int n = 0;
        for (const Fill& f : fills)
            n += f.color == color;
        return n;
    }
};

// A surface of 283 x 20 pixels gives 20 block positions: 21 fit, but 20 blocks
// (283 pixels) are nearer to the width than 21 (297).
struct TwentyBlocks : ::testing::Test {
    FakeSurface surface;
    CProgressBarEx bar;

    void SetUp() override
    {
        surface.width = 283;
        surface.height = 20;
        bar.setClient(&surface);
        bar.setHost(&surface);
        bar.setPanelKey("pnl");
        ASSERT_EQ(bar.BlockCount(), 20);
    }
};

} // namespace

TEST_F(TwentyBlocks, DrawsOnlyWhenTheFilledCountChanges)
{
    struct Step {
        qint32 value;
        int filled;
        int pictures;
    };
    const Step steps[] = {
        {0, 0, 0},   // nothing to draw at 0
        {50, 10, 1}, // 10 of 20
        {52, 10, 1}, // round(10.4) = 10: unchanged, nothing handed over
        {53, 11, 2}, // round(10.6) = 11
        {100, 20, 3},
        {2, 0, 4},   // round(0.4) = 0
        {3, 1, 5},   // round(0.6) = 1
    };
    for (const Step& step : steps) {
        bar.setValue(step.value);
        EXPECT_EQ(bar.LastDrawn(), step.filled) << "value " << step.value;
        EXPECT_EQ(surface.pictures, step.pictures) << "value " << step.value;
    }
}

TEST_F(TwentyBlocks, RoundsHalvesToEven)
{
    // Half a block per unit, so odd values fall on halves.
    bar.setMax(40);
    const struct {
        qint32 value;
        int filled;
    } rows[] = {{1, 0}, {3, 2}, {5, 2}, {7, 4}, {9, 4}, {11, 6}};
    for (const auto& row : rows) {
        bar.setValue(row.value);
        EXPECT_EQ(bar.LastDrawn(), row.filled) << row.value;
    }
}

TEST_F(TwentyBlocks, PaintsFilledBlocksInForeColorAndTheRestInBackColor)
{
    bar.setForeColor(0x0000FF);
    bar.setBackColor(0x00FF00);
    bar.setValue(26); // round(5.2) = 5
    ASSERT_EQ(surface.pictures, 1);
    ASSERT_EQ(surface.handedOver.size(), 20);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(surface.handedOver[i].color, i < 5 ? 0x0000FFu : 0x00FF00u) << i;
}

TEST_F(TwentyBlocks, ClampsValueToMinAndMax)
{
    bar.setValue(150);
    EXPECT_EQ(bar.Value(), 100);
    bar.setValue(-5);
    EXPECT_EQ(bar.Value(), 0);
    bar.setMin(10);
    bar.setMax(20);
    bar.setValue(25);
    EXPECT_EQ(bar.Value(), 20);
}

TEST_F(TwentyBlocks, MaxNotAboveMinIsIgnoredMinNotBelowMaxRaises)
{
    bar.setMax(0);
    EXPECT_EQ(bar.Max(), 100);
    try {
        bar.setMin(100);
        FAIL() << "Min = Max was accepted";
    } catch (const QmError& error) {
        EXPECT_EQ(error.number, -2147221502);
        EXPECT_EQ(error.number, static_cast<qint32>(0x80040002u));
        EXPECT_EQ(error.source, "CProgressBar.Min");
        EXPECT_EQ(error.description, "Min property must be less than Max.");
    }
    EXPECT_EQ(bar.Min(), 0);
    EXPECT_THROW(bar.setMin(101), QmError);
    EXPECT_NO_THROW(bar.setMin(99));
    EXPECT_EQ(bar.Min(), 99);
}

TEST_F(TwentyBlocks, TextOnlyRemovesThePictureAndSuppressesDrawing)
{
    bar.setValue(50);
    ASSERT_EQ(surface.pictures, 1);
    bar.setTextOnly(true);
    EXPECT_EQ(surface.removals, 1);
    bar.setValue(80);
    EXPECT_EQ(surface.pictures, 1);
    EXPECT_EQ(bar.LastDrawn(), 10);
    // Back to the bar: 80 fills 16 blocks, which differs from the 10 drawn last.
    bar.setTextOnly(false);
    EXPECT_EQ(surface.pictures, 2);
    EXPECT_EQ(bar.LastDrawn(), 16);
    // Unchanged count: nothing handed over.
    bar.setTextOnly(true);
    bar.setTextOnly(false);
    EXPECT_EQ(surface.pictures, 2);
}

TEST_F(TwentyBlocks, ValueLeftOutsideNewBoundsFillsAtMostEveryBlock)
{
    bar.setValue(100);
    bar.setMax(50); // Value stays 100: Min and Max do not clamp it again
    EXPECT_EQ(bar.Value(), 100);
    bar.Refresh();
    EXPECT_EQ(bar.LastDrawn(), 20);
}

TEST(CProgressBarEx, FitsWholeBlocksIntoTheHostPanel)
{
    FakeSurface surface;
    surface.panel = 104;
    surface.host = 24;
    CProgressBarEx bar;
    bar.setClient(&surface);
    bar.setHost(&surface);
    bar.setPanelKey("pnl");
    bar.ResizeEx();
    // 100 x 20 drawing area: blocks 16 high, 11 wide; 100 \ 14 + 1 = 8 fit, but 7 blocks
    // (101 pixels) lie nearer to 100 than 8 (115).
    EXPECT_EQ(bar.BlockHeight(), 16);
    EXPECT_EQ(bar.BlockWidth(), 11);
    EXPECT_EQ(bar.BlockCount(), 7);
    EXPECT_EQ(surface.width, 101);
    EXPECT_EQ(surface.height, 20);
}

TEST(CProgressBarEx, KeepsTheBorderWhenFittingTheSurface)
{
    FakeSurface surface;
    surface.border = 2;
    surface.panel = 108;
    surface.host = 28;
    CProgressBarEx bar;
    bar.setClient(&surface);
    bar.setHost(&surface);
    bar.setPanelKey("pnl");
    bar.ResizeEx();
    // Drawing area 100 x 20 inside a 104 x 24 surface.
    EXPECT_EQ(bar.BlockCount(), 7);
    EXPECT_EQ(surface.width, 101 + 4);
}

TEST(CProgressBarEx, UnknownPanelKeyLeavesTheSurfaceSize)
{
    FakeSurface surface;
    surface.width = 100;
    surface.height = 20;
    surface.panel = 500;
    surface.host = 50;
    CProgressBarEx bar;
    bar.setClient(&surface);
    bar.setHost(&surface);
    bar.setPanelKey("other");
    bar.ResizeEx();
    EXPECT_EQ(surface.height, 20);
    EXPECT_EQ(bar.BlockCount(), 7);
}

TEST(CProgressBarEx, DrawsBlocksAtMarginWithGaps)
{
    FakeSurface surface;
    surface.width = 100;
    surface.height = 20;
    CProgressBarEx bar;
    bar.setClient(&surface);
    bar.setValue(30); // round(0.3 * 7) = 2
    ASSERT_EQ(surface.fills.size(), 7);
    EXPECT_EQ(surface.fills[0].rect, QRect(QPoint(2, 2), QPoint(13, 17)));
    EXPECT_EQ(surface.fills[1].rect, QRect(QPoint(16, 2), QPoint(27, 17)));
    EXPECT_EQ(surface.fills[6].rect, QRect(QPoint(86, 2), QPoint(97, 17)));
    EXPECT_EQ(surface.filledWith(CProgressBarEx::kSystemHighlight), 2);
    EXPECT_EQ(surface.filledWith(CProgressBarEx::kSystemButtonFace), 5);
}

TEST(CProgressBarEx, RefusesMissingClientAndHost)
{
    FakeSurface surface;
    CProgressBarEx bar;
    bar.setClient(&surface);
    try {
        bar.setClient(nullptr);
        FAIL();
    } catch (const QmError& error) {
        EXPECT_EQ(error.number, 13);
        EXPECT_EQ(error.source, "CProgressBarEx.Client");
        EXPECT_EQ(error.description, "Client property must be of type PictureBox.");
    }
    try {
        bar.setHost(nullptr);
        FAIL();
    } catch (const QmError& error) {
        EXPECT_EQ(error.number, 13);
        EXPECT_EQ(error.source, "CProgressBarEx.Host");
        EXPECT_EQ(error.description, "Host property must be of type StatusBar.");
    }
    EXPECT_EQ(bar.Client(), &surface);
    EXPECT_EQ(bar.Host(), nullptr);
}

TEST(CProgressBarEx, SurfaceTooSmallForABlockDrawsNothing)
{
    for (int height : {0, 3, 4}) {
        FakeSurface surface;
        surface.width = 50;
        surface.height = height;
        CProgressBarEx bar;
        bar.setClient(&surface);
        bar.setValue(100);
        EXPECT_EQ(bar.BlockCount(), 0) << height;
        EXPECT_EQ(surface.pictures, 0) << height;
    }
}
