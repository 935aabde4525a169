#pragma once

#include <QElapsedTimer>

struct CrawlProgress;

// A site harvest's figures on standard error, one line redrawn in place at most every
// 200 ms; only on a terminal (a log gets the summary alone).
class CrawlProgressLine final
{
public:
    explicit CrawlProgressLine(bool terminal);

    void show(const CrawlProgress& progress);
    // Leaves no trace of the line, before any other line is written and at the end.
    void clear();

    // "12 pages visited, 30 waiting, 1 failed, 340 entries".
    static QString text(const CrawlProgress& progress);

private:
    bool m_terminal;
    bool m_drawn = false;
    QElapsedTimer m_last;
};
