#include "cli/ConsoleProgress.h"

#include <algorithm>
#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

#include "cli/ConsoleText.h"

namespace
{

constexpr qint64 kLiveIntervalMs = 200;
constexpr qint64 kLogIntervalMs = 5000;

void writeErr(const QByteArray& text)
{
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stderr);
    std::fflush(stderr);
}

} // namespace

ConsoleProgress::ConsoleProgress(Mode mode)
    : m_mode(mode)
{
}

bool ConsoleProgress::due() const
{
    switch (m_mode) {
    case Mode::Off:
        return false;
    case Mode::Log:
        return !m_last.isValid() || m_last.elapsed() >= kLogIntervalMs;
    case Mode::Live:
        return !m_last.isValid() || m_last.elapsed() >= kLiveIntervalMs;
    }
    return false;
}

void ConsoleProgress::show(const DownloadFigures& figures, const ProgressLines::Totals& totals)
{
    if (m_mode == Mode::Off)
        return;
    if (m_mode == Mode::Log) {
        // The first line after one interval, not at once: a short run logs none.
        if (!m_last.isValid())
            m_last.start();
        if (m_last.elapsed() < kLogIntervalMs)
            return;
        m_last.start();
        if (!figures.running().isEmpty())
            ConsoleText::printError(ProgressLines::total(figures, totals));
        return;
    }
    if (m_last.isValid() && m_last.elapsed() < kLiveIntervalMs)
        return;
    m_last.start();
    if (figures.running().isEmpty())
        return;
    struct winsize size = {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) {
        size.ws_col = 80;
        size.ws_row = 24;
    }
    // One column short of the width: a line that fills the last column makes some
    // terminals wrap, and the lines would then move down on each redraw.
    const QStringList lines = ProgressLines::lines(
        figures, totals, size.ws_col - 1, std::max(2, static_cast<int>(size.ws_row) - 1));
    clear();
    writeErr(lines.join(QLatin1Char('\n')).toUtf8());
    m_drawn = static_cast<int>(lines.size());
}

void ConsoleProgress::clear()
{
    if (m_drawn == 0)
        return;
    // Back to the first line drawn, then everything below the cursor erased.
    QByteArray erase = "\r";
    if (m_drawn > 1)
        erase += "\033[" + QByteArray::number(m_drawn - 1) + "A";
    writeErr(erase + "\033[J");
    m_drawn = 0;
}
