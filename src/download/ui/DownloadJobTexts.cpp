#include "download/ui/DownloadJobTexts.h"

#include <cmath>

#include "download/DownloadFigures.h"
#include "download/DownloadJob.h"

namespace
{

double percentOf(const DownloadLinkState& link)
{
    return static_cast<double>(link.bytes) / static_cast<double>(link.size) * 100.0;
}

bool ended(const DownloadJob& job)
{
    return job.phase() == DownloadJob::Phase::Done || job.phase() == DownloadJob::Phase::Error;
}

} // namespace

const DownloadLinkState* DownloadJobTexts::followed(const DownloadJob& job)
{
    return job.current() >= 0 ? &job.links().at(job.current()) : nullptr;
}

QString DownloadJobTexts::label1(const DownloadJob& job)
{
    const DownloadLinkState* link = followed(job);
    if (!link || ended(job))
        return QString();
    return DownloadFigures::progressText(link->bytes, link->size);
}

QString DownloadJobTexts::label2(const DownloadJob& job)
{
    const DownloadLinkState* link = followed(job);
    if (!link || ended(job) || link->size <= 0)
        return QString();
    // Whole percent, ties to even.
    return QStringLiteral("%1%").arg(static_cast<qint64>(std::nearbyint(percentOf(*link))));
}

QString DownloadJobTexts::label3(const DownloadJob& job)
{
    switch (job.phase()) {
    case DownloadJob::Phase::Done:
        return QStringLiteral("Done");
    case DownloadJob::Phase::Error:
        return QStringLiteral("Error");
    case DownloadJob::Phase::Cancelled:
        return QStringLiteral("Aborting...");
    default:
        break;
    }
    const DownloadLinkState* link = followed(job);
    if (!link)
        return QString();
    if (link->status == DownloadLinkState::Status::Retrying)
        return retryText(*link);
    return QStringLiteral("Saving %1%2 (%3 of %4)")
        .arg(link->folder, link->file, QString::number(link->order), QString::number(job.count()));
}

QString DownloadJobTexts::retryText(const DownloadLinkState& link)
{
    return QStringLiteral("Retrying in %1 s (attempt %2 of %3)")
        .arg(QString::number((link.retryInMs + 999) / 1000), QString::number(link.attempt),
            QString::number(link.attempts));
}

int DownloadJobTexts::progressBar1(const DownloadJob& job)
{
    if (job.phase() == DownloadJob::Phase::Done)
        return kBar1Max;
    const DownloadLinkState* link = followed(job);
    // Between links the bar starts again from empty.
    if (!link || link->size <= 0 || (link->ended() && job.currentIndex() < job.count()))
        return 0;
    return static_cast<int>(std::min(100.0, std::floor(percentOf(*link))));
}

int DownloadJobTexts::progressBar2(const DownloadJob& job)
{
    // A single link's bar follows its file.
    if (job.count() == 1)
        return job.endedCount() == 1 ? kBar1Max : progressBar1(job);
    return job.endedCount();
}

int DownloadJobTexts::progressBar2Max(const DownloadJob& job)
{
    return job.count() == 1 ? kBar1Max : job.count();
}

QString DownloadJobTexts::mainCaption(const DownloadJob& job)
{
    if (job.phase() == DownloadJob::Phase::Done)
        return QStringLiteral("Quillmarch - Saving Files (Complete)");
    if (job.phase() == DownloadJob::Phase::Error)
        return QStringLiteral("Quillmarch - Saving Files (Error)");
    if (job.current() < 0)
        return QString();
    return QStringLiteral("Quillmarch - Saving Files  (%1 of %2)")
        .arg(QString::number(job.currentIndex()), QString::number(job.count()));
}
