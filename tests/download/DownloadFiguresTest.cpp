#include <gtest/gtest.h>

#include "download/DownloadFigures.h"
#include "support/QtPrinters.h"

using Status = DownloadLinkState::Status;

namespace
{

DownloadLinkState link(const QString& file, Status status, int order, bool named = true)
{
    DownloadLinkState state;
    state.file = file;
    state.status = status;
    state.order = order;
    state.named = named;
    state.bytes = 10;
    state.size = 100;
    return state;
}

QStringList names(const QList<RunningTransfer>& running)
{
    QStringList list;
    for (const RunningTransfer& transfer : running)
        list.append(transfer.name);
    return list;
}

} // namespace

// The transfers shown are the links under way, in the order they started: not those
// waiting, ended, still unnamed or waiting for an answer about their name. Without any
// speed the time left is unknown.
TEST(DownloadFiguresTest, RunningTransfersAreTheNamedLinksUnderWayInTheOrderStarted)
{
    DownloadLinkState asking = link("asking.bin", Status::Running, 5);
    asking.asking = true;
    const QList<DownloadLinkState> links { link("waiting.bin", Status::HostPaused, 0),
        link("late.bin", Status::Running, 4), link("saved.bin", Status::Saved, 1),
        link("retrying.bin", Status::Retrying, 2), link("unnamed.bin", Status::Running, 6, false),
        asking, link("failed.bin", Status::Failed, 3) };
    const DownloadSummary summary;
    const DownloadFigures figures(links, summary);
    EXPECT_EQ(names(figures.running()), QStringList({ "retrying.bin", "late.bin" }));
    EXPECT_EQ(figures.running().first().size, 100);
    EXPECT_EQ(figures.bytesPerSecond(), 0);
    EXPECT_EQ(figures.secondsLeft(), -1);
}

// One unit style for every size shown; a transfer that has received nothing of an
// unknown size is waiting.
TEST(DownloadFiguresTest, ProgressTextInBinaryUnits)
{
    const struct {
        qint64 bytes;
        qint64 size;
        const char* text;
    } rows[] = {
        { 0, -1, "waiting\u2026" },
        { 0, 2048, "0 bytes of 2.0 KiB" },
        { 1536, 3 * 1024 * 1024 / 2, "1.5 KiB of 1.5 MiB" },
        { 5LL * 1024 * 1024 * 1024, -1, "5.0 GiB of unknown size" },
    };
    for (const auto& row : rows)
        EXPECT_EQ(DownloadFigures::progressText(row.bytes, row.size), QString::fromUtf8(row.text))
            << row.bytes;
}
