#include "download/DownloadFigures.h"

#include <QLocale>
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

QString DownloadFigures::sizeText(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeIecFormat);
}

QString DownloadFigures::progressText(qint64 bytes, qint64 size)
{
    if (size > 0)
        return QStringLiteral("%1 of %2").arg(sizeText(bytes), sizeText(size));
    if (bytes <= 0)
        return QStringLiteral("waiting\u2026");
    return QStringLiteral("%1 of unknown size").arg(sizeText(bytes));
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
