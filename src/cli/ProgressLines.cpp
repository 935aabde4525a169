#include "cli/ProgressLines.h"

#include <algorithm>

namespace
{

// Columns a bar needs to be worth drawing, and the widest a name may take when a bar
// is drawn beside it.
constexpr int kMinBar = 10;
constexpr int kNameShare = 40;

QString percentOf(qint64 done, qint64 size)
{
    if (size <= 0)
        return QStringLiteral("?%");
    return QStringLiteral("%1%").arg(std::min<qint64>(100, done * 100 / size));
}

} // namespace

QString ProgressLines::bytes(qint64 count)
{
    static const char* const kUnits[] = { "KiB", "MiB", "GiB", "TiB" };
    if (count < 1024)
        return QStringLiteral("%1 B").arg(std::max<qint64>(0, count));
    double value = static_cast<double>(count) / 1024.0;
    int unit = 0;
    while (value >= 1024.0 && unit < 3) {
        value /= 1024.0;
        ++unit;
    }
    // Three figures at most: 1.5 KiB, 12.3 MiB, 512 MiB.
    return QStringLiteral("%1 %2").arg(
        QString::number(value, 'f', value < 100.0 ? 1 : 0), QLatin1StringView(kUnits[unit]));
}

QString ProgressLines::duration(qint64 seconds)
{
    if (seconds < 0)
        return QStringLiteral("--");
    if (seconds < 60)
        return QStringLiteral("%1s").arg(seconds);
    if (seconds < 3600)
        return QStringLiteral("%1m%2s")
            .arg(seconds / 60)
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1h%2m")
        .arg(seconds / 3600)
        .arg((seconds % 3600) / 60, 2, 10, QLatin1Char('0'));
}

QString ProgressLines::bar(qint64 done, qint64 size, int width)
{
    const int inside = std::max(0, width - 2);
    QString fill(inside, QLatin1Char(' '));
    if (size > 0) {
        const int filled
            = static_cast<int>(std::min<qint64>(inside, std::max<qint64>(0, done) * inside / size));
        fill.fill(QLatin1Char('='), filled);
        fill += QString(inside - filled, QLatin1Char(' '));
        if (filled > 0 && filled < inside)
            fill[filled - 1] = QLatin1Char('>');
    }
    return QLatin1Char('[') + fill + QLatin1Char(']');
}

QString ProgressLines::cut(const QString& text, int width)
{
    if (width <= 0)
        return QString();
    if (text.size() <= width)
        return text;
    return text.left(width - 1) + QLatin1Char('~');
}

QString ProgressLines::figures(const RunningTransfer& transfer)
{
    const qint64 speed = transfer.bytesPerSecond;
    const qint64 left = transfer.size > 0 && speed > 0
        ? std::max<qint64>(0, transfer.size - transfer.bytes) / speed
        : -1;
    // Fixed widths, so the columns of the lines stay in place as the figures change.
    return QStringLiteral(" %1 %2 %3/s  eta %4")
        .arg(percentOf(transfer.bytes, transfer.size), 4)
        .arg(bytes(transfer.bytes), 9)
        .arg(bytes(speed), 9)
        .arg(duration(left), -6);
}

QString ProgressLines::transferLine(const RunningTransfer& transfer, int nameWidth, int width)
{
    const QString numbers = figures(transfer);
    const int room = width - static_cast<int>(numbers.size());
    if (room <= 0)
        return cut(numbers.trimmed(), width);
    const int barWidth = room - nameWidth - 1;
    if (barWidth < kMinBar)
        return cut(transfer.name, room).leftJustified(room) + numbers;
    return cut(transfer.name, nameWidth).leftJustified(nameWidth) + QLatin1Char(' ')
        + bar(transfer.bytes, transfer.size, barWidth) + numbers;
}

QString ProgressLines::total(const DownloadFigures& figures, const Totals& totals)
{
    qint64 received = totals.savedBytes;
    for (const RunningTransfer& transfer : figures.running())
        received += transfer.bytes;
    return QStringLiteral("%1/%2 done, %3 running, %4, %5/s, eta %6")
        .arg(QString::number(totals.ended), QString::number(totals.links),
            QString::number(figures.running().size()), bytes(received),
            bytes(figures.bytesPerSecond()), duration(figures.secondsLeft()));
}

QStringList ProgressLines::lines(
    const DownloadFigures& figures, const Totals& totals, int width, int maxLines)
{
    QStringList out;
    const QList<RunningTransfer>& running = figures.running();
    const qsizetype shown = std::min<qsizetype>(running.size(), std::max(0, maxLines - 1));
    // One name column for all: as wide as the longest name, up to its share of the line.
    const int room = width - static_cast<int>(ProgressLines::figures(RunningTransfer {}).size());
    int nameWidth = 0;
    for (qsizetype i = 0; i < shown; ++i)
        nameWidth = std::max(nameWidth, static_cast<int>(running.at(i).name.size()));
    nameWidth = std::min(nameWidth, std::max(8, room * kNameShare / 100));
    for (qsizetype i = 0; i < shown; ++i)
        out.append(transferLine(running.at(i), nameWidth, width));
    out.append(cut(total(figures, totals), width));
    return out;
}
