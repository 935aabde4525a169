#include "cli/CrawlProgressLine.h"

#include <QString>
#include <cstdio>

#include "crawl/ISiteCrawl.h"

CrawlProgressLine::CrawlProgressLine(bool terminal)
    : m_terminal(terminal)
{
}

QString CrawlProgressLine::text(const CrawlProgress& progress)
{
    return QStringLiteral("%1 pages visited, %2 waiting, %3 failed, %4 entries")
        .arg(progress.visited)
        .arg(progress.waiting)
        .arg(progress.failed)
        .arg(progress.entries);
}

void CrawlProgressLine::show(const CrawlProgress& progress)
{
    if (!m_terminal || (m_last.isValid() && m_last.elapsed() < 200))
        return;
    m_last.start();
    const QByteArray line = "\r\x1b[K" + text(progress).toUtf8();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
    m_drawn = true;
}

void CrawlProgressLine::clear()
{
    if (!m_drawn)
        return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    m_drawn = false;
}
