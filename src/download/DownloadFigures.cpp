#include "download/DownloadFigures.h"

#include <algorithm>
#include <vector>

namespace
{

bool transferring(const DownloadLinkState& link)
{
    using Status = DownloadLinkState::Status;
    return link.named && !link.asking
        && (link.status == Status::Running || link.status == Status::Retrying);
}

} // namespace

DownloadFigures::DownloadFigures(
    const QList<DownloadLinkState>& links, const DownloadSummary& summary)
    : m_summary(summary)
{
    std::vector<const DownloadLinkState*> running;
    for (const DownloadLinkState& link : links) {
        if (link.order == 0)
            ++m_notStarted;
        else if (transferring(link))
            running.push_back(&link);
    }
    std::sort(running.begin(), running.end(),
        [](const auto* a, const auto* b) { return a->order < b->order; });
    for (const DownloadLinkState* link : running)
        m_running.append({ link->file, link->bytes, link->size, link->bytesPerSecond() });
}

qint64 DownloadFigures::bytesPerSecond() const
{
    qint64 total = 0;
    for (const RunningTransfer& transfer : m_running)
        total += transfer.bytesPerSecond;
    return total;
}

qint64 DownloadFigures::secondsLeft() const
{
    const qint64 speed = bytesPerSecond();
    if (speed <= 0)
        return -1;
    qint64 left = 0;
    for (const RunningTransfer& transfer : m_running) {
        if (transfer.size < 0)
            return -1;
        left += std::max<qint64>(0, transfer.size - transfer.bytes);
    }
    if (m_notStarted > 0) {
        if (m_summary.saved == 0)
            return -1;
        left += m_summary.savedBytes / m_summary.saved * m_notStarted;
    }
    return (left + speed - 1) / speed;
}
