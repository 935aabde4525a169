#pragma once

#include <QElapsedTimer>

#include "cli/ProgressLines.h"

// A download's progress on standard error. On a terminal (Live) the lines of
// ProgressLines are redrawn in place at most every 200 ms, fitted to the terminal's
// size as it is at each redraw; for a log (Log) the total line comes every 5 seconds;
// Off shows nothing. clear() before any other line is written, and at the end, leaves
// no trace of the live lines.
class ConsoleProgress final
{
public:
    enum class Mode { Off, Live, Log };

    explicit ConsoleProgress(Mode mode);

    Mode mode() const { return m_mode; }
    // Whether show() would draw now: the figures cost a pass over every link, so they
    // are made only when they are shown.
    bool due() const;
    void show(const DownloadFigures& figures, const ProgressLines::Totals& totals);
    void clear();

private:
    Mode m_mode;
    int m_drawn = 0; // live lines on the screen now
    QElapsedTimer m_last;
};
