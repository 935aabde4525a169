#pragma once

#include <QString>
#include <QStringList>

#include "download/DownloadFigures.h"

// A download's progress as text: a line per running transfer (its name, a bar, the
// bytes in KiB/MiB, its speed and time left) and a total line, each at most a given
// number of columns, so a terminal never wraps them. No terminal codes: the display
// that draws them decides where they go.
class ProgressLines final
{
public:
    // What the total line counts besides the running transfers.
    struct Totals {
        int links = 0; // in the job
        int ended = 0; // saved, skipped or failed
        qint64 savedBytes = 0;
    };

    // Transfer lines (at most maxLines - 1, the first ones started) and the total line,
    // each at most width columns.
    static QStringList lines(
        const DownloadFigures& figures, const Totals& totals, int width, int maxLines);
    // The total line alone, as a log gets it every few seconds.
    static QString total(const DownloadFigures& figures, const Totals& totals);

    // 512 B, 1.5 KiB, 12.3 MiB, 1.1 GiB.
    static QString bytes(qint64 count);
    // 9s, 1m05s, 2h03m; "--" when unknown (negative).
    static QString duration(qint64 seconds);
    // "[=====>    ]" of width columns for done of size; a size unknown (negative) or 0
    // gives a bar with no arrow.
    static QString bar(qint64 done, qint64 size, int width);
    // text cut to width columns, its end replaced by "~" when cut.
    static QString cut(const QString& text, int width);

private:
    // Percent, bytes, speed and time left, in columns of fixed width.
    static QString figures(const RunningTransfer& transfer);
    static QString transferLine(const RunningTransfer& transfer, int nameWidth, int width);
};
