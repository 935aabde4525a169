#include <gtest/gtest.h>

#include <QList>
#include <QRect>

#include "winsupport/CProgressBarEx.h"
#include "winsupport/IProgressSurface.h"
#include "winsupport/QmError.h"

namespace
{

// Plays both the drawing surface and the status bar, and records what the bar does.
struct FakeSurface final : IProgressSurface {
    int width = 0, height = 0, panel = -1, host = 0;
    QList<QPair<QRect, quint32>> fills; // since the last hand-over
    QList<QPair<QRect, quint32>> picture; // the fills behind the last hand-over
    int pictures = 0, removals = 0;

    int surfaceWidth() const override { return width; }
    int surfaceHeight() const override { return height; }
    void setSurfaceWidth(int w) override { width = w; }
    void setSurfaceHeight(int h) override { height = h; }
    void clearSurface(quint32) override { }
    void fillRect(int l, int t, int r, int b, quint32 color) override
    {
        fills.append({ QRect(QPoint(l, t), QPoint(r, b)), color });
    }
    int panelWidth(const QString& key) const override { return key == "pnl" ? panel : -1; }
    int hostHeight() const override { return host; }
    void setPanelPicture(const QString&, const IProgressSurface* shown) override
    {
        if (!shown) {
            ++removals;
            return;
        }
        ++pictures;
        picture = fills;
        fills.clear();
    }
};

// 283 x 20 pixels: 21 blocks fit, but 20 (283 pixels wide) lie nearer than 21 (297).
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

TEST_F(TwentyBlocks, HandsOverAPictureOnlyWhenTheFilledCountChanges)
{
    const struct {
        qint32 max, value;
        int filled, pictures;
    } steps[] = {
        { 100, 0, 0, 0 },
        { 100, 50, 10, 1 },
        { 100, 52, 10, 1 },
        { 100, 53, 11, 2 },
        { 100, 150, 20, 3 }, // clamped to 100
        // Half a block per unit: halves round to the even neighbour.
        { 40, 1, 0, 4 },
        { 40, 3, 2, 5 },
        { 40, 5, 2, 5 },
        { 40, 7, 4, 6 },
        { 40, 9, 4, 6 },
    };
    for (const auto& step : steps) {
        bar.setMax(step.max);
        bar.setValue(step.value);
        EXPECT_EQ(bar.LastDrawn(), step.filled) << step.value;
        EXPECT_EQ(surface.pictures, step.pictures) << step.value;
    }
    ASSERT_EQ(surface.picture.size(), 20);
    EXPECT_EQ(surface.picture[0].first, QRect(QPoint(2, 2), QPoint(13, 17)));
    EXPECT_EQ(surface.picture[1].first, QRect(QPoint(16, 2), QPoint(27, 17)));
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(surface.picture[i].second,
            i < 4 ? CProgressBarEx::kSystemHighlight : CProgressBarEx::kSystemButtonFace);
}

TEST_F(TwentyBlocks, BoundsClampValueAndGuardEachOther)
{
    bar.setValue(-5);
    EXPECT_EQ(bar.Value(), 0);
    bar.setMax(0); // not above Min: ignored
    EXPECT_EQ(bar.Max(), 100);
    try {
        bar.setMin(100);
        FAIL() << "Min = Max was accepted";
    } catch (const QmError& error) {
        EXPECT_EQ(error.number, static_cast<qint32>(0x80040002u));
        EXPECT_EQ(error.source, "CProgressBar.Min");
        EXPECT_EQ(error.description, "Min property must be less than Max.");
    }
    EXPECT_EQ(bar.Min(), 0);
    bar.setMin(99);
    bar.setValue(5);
    EXPECT_EQ(bar.Value(), 99);
    // Lowering Max leaves Value above it; the bar still fills no more than every block.
    bar.setMin(0);
    bar.setValue(100);
    bar.setMax(50);
    EXPECT_EQ(bar.Value(), 100);
    EXPECT_EQ(bar.LastDrawn(), 20);
}

TEST_F(TwentyBlocks, TextOnlyRemovesThePictureAndSuppressesDrawing)
{
    bar.setValue(50);
    bar.setTextOnly(true);
    EXPECT_EQ(surface.removals, 1);
    bar.setValue(80);
    EXPECT_EQ(surface.pictures, 1);
    bar.setTextOnly(false); // 16 blocks now, 10 drawn last
    EXPECT_EQ(surface.pictures, 2);
    bar.setTextOnly(true);
    bar.setTextOnly(false); // unchanged count
    EXPECT_EQ(surface.pictures, 2);
}

TEST(CProgressBarEx, FitsWholeBlocksIntoTheHostPanel)
{
    FakeSurface surface;
    surface.panel = 104;
    surface.host = 24;
    CProgressBarEx bar;
    bar.setPanelKey("pnl");
    bar.setClient(&surface);
    bar.setHost(&surface);
    // 100 x 20: blocks 16 x 11; 100 \ 14 + 1 = 8, but 7 (101 pixels) lie nearer than 8 (115).
    EXPECT_EQ(bar.BlockHeight(), 16);
    EXPECT_EQ(bar.BlockWidth(), 11);
    EXPECT_EQ(bar.BlockCount(), 7);
    EXPECT_EQ(surface.width, 101);
    EXPECT_EQ(surface.height, 20);

    // Too low for a block: no blocks, and no division by a zero block step.
    surface.host = 7;
    bar.ResizeEx();
    bar.setValue(100);
    EXPECT_EQ(bar.BlockCount(), 0);
    EXPECT_EQ(surface.pictures, 0);
}

TEST(CProgressBarEx, RefusesMissingClientOrHost)
{
    CProgressBarEx bar;
    try {
        bar.setClient(nullptr);
        FAIL();
    } catch (const QmError& error) {
        EXPECT_EQ(error.number, 13);
        EXPECT_EQ(error.source, "CProgressBarEx.Client");
        EXPECT_EQ(error.description, "Client property must be of type PictureBox.");
    }
    EXPECT_THROW(bar.setHost(nullptr), QmError);
}
