#include <gtest/gtest.h>

#include "cli/ProgressLines.h"
#include "support/QtPrinters.h"

namespace
{

DownloadLinkState running(const QString& file, qint64 bytes, qint64 size, int order)
{
    DownloadLinkState link;
    link.status = DownloadLinkState::Status::Running;
    link.named = true;
    link.order = order;
    link.file = file;
    link.bytes = bytes;
    link.size = size;
    return link;
}

} // namespace

TEST(ProgressLines, WordsSizesAndTimes)
{
    const std::pair<qint64, const char*> sizes[] = { { -1, "0 B" }, { 1023, "1023 B" },
        { 1536, "1.5 KiB" }, { 5 * 1024 * 1024 + 300 * 1024, "5.3 MiB" },
        { 700LL * 1024 * 1024, "700 MiB" }, { 3LL * 1024 * 1024 * 1024, "3.0 GiB" } };
    for (const auto& [value, text] : sizes)
        EXPECT_EQ(ProgressLines::bytes(value), text) << value;
    const std::pair<qint64, const char*> times[] = { { -1, "--" }, { 0, "0s" }, { 59, "59s" },
        { 65, "1m05s" }, { 3600, "1h00m" }, { 7380, "2h03m" } };
    for (const auto& [value, text] : times)
        EXPECT_EQ(ProgressLines::duration(value), text) << value;
}

TEST(ProgressLines, BarFillsInProportionWithAnArrowAtItsHead)
{
    EXPECT_EQ(ProgressLines::bar(0, 100, 12), "[          ]");
    EXPECT_EQ(ProgressLines::bar(50, 100, 12), "[====>     ]");
    EXPECT_EQ(ProgressLines::bar(100, 100, 12), "[==========]");
    EXPECT_EQ(ProgressLines::bar(10, -1, 12), "[          ]");
}

// Whatever the names and the terminal, no line is wider than asked, one line per
// transfer fits the height with the total line last, and a wide terminal shows a bar.
TEST(ProgressLines, LinesFitTheTerminal)
{
    const QList<DownloadLinkState> links = {
        running(QString(300, QLatin1Char('n')) + ".iso", 5 * 1024 * 1024, 10 * 1024 * 1024, 1),
        running("b.txt", 10, -1, 2),
        running("c.bin", 0, 100, 3),
    };
    const DownloadSummary summary;
    const DownloadFigures figures(links, summary);
    const ProgressLines::Totals totals { 5, 2, 2048 };
    for (const int width : { 10, 20, 40, 79, 200 }) {
        for (const int height : { 1, 2, 3, 24 }) {
            const QStringList lines = ProgressLines::lines(figures, totals, width, height);
            SCOPED_TRACE(lines.join('\n').toStdString());
            EXPECT_EQ(lines.size(), std::min(4, std::max(1, height)));
            for (const QString& line : lines)
                EXPECT_LE(line.size(), width);
            EXPECT_TRUE(lines.last().startsWith(QStringLiteral("2/5 done").left(width - 1)));
        }
    }
    const QStringList wide = ProgressLines::lines(figures, totals, 100, 24);
    // The bars line up: every name takes the same column.
    EXPECT_TRUE(wide.at(0).contains("[====") && wide.at(0).contains(" 50%   5.0 MiB"))
        << wide.at(0).toStdString();
    EXPECT_EQ(wide.at(1).indexOf('['), wide.at(0).indexOf('[')) << wide.at(1).toStdString();
    EXPECT_TRUE(wide.last().startsWith("2/5 done, 3 running, 5.0 MiB,"))
        << wide.last().toStdString();
}
