#include "cli/MediaMeasure.h"

#include <QTimer>
#include <cstdio>

#include "cli/ConsoleText.h"

namespace
{

bool isVideo(const ListEntry& entry)
{
    return PictureCriteria::typeOf(entry, {}) == PictureType::Video;
}

EntryMeasure measureOf(const ListEntry& entry, const PictureFacts& facts)
{
    EntryMeasure measure;
    if (facts.state == PictureFacts::State::Measured) {
        measure.width = facts.width > 0 ? facts.width : -1;
        measure.height = facts.height > 0 ? facts.height : -1;
        measure.size = facts.fileSize;
    }
    if (const PictureType type = PictureCriteria::typeOf(entry, facts);
        type != PictureType::Unknown)
        measure.type = pictureTypeName(type);
    return measure;
}

} // namespace

QString MediaMeasure::Outcome::summary() const
{
    QStringList lines;
    if (failed > 0)
        lines.append(QStringLiteral("Warning: %1 of %2 pictures could not be measured.")
                         .arg(failed)
                         .arg(media));
    if (unchecked > 0)
        lines.append(QStringLiteral("%1 %2 left out: the size or type bounds could not be "
                                    "checked for them.")
                         .arg(unchecked)
                         .arg(unchecked == 1 ? QStringLiteral("entry was")
                                             : QStringLiteral("entries were")));
    return lines.join(QLatin1Char('\n'));
}

MediaMeasure::MediaMeasure(ITransferService* transfers, Setup setup, QObject* parent)
    : QObject(parent)
    , m_setup(std::move(setup))
    , m_cache(m_setup.cacheFolder)
    , m_fetcher(transfers, &m_cache, PictureFetchOptions {})
{
    PictureDecoder::limitAllocations();
    m_fetcher.setSession(m_setup.cookies, m_setup.userAgent);
    connect(&m_fetcher, &PictureFetcher::pictureReady, this,
        [this](const QString& url, const PictureFacts& facts, const QImage&) {
            onPicture(url, facts);
        });
    // A picture the fetcher ends without a report (no transfer service) must not leave
    // its list waiting: once nothing runs, what is still awaited failed.
    connect(&m_fetcher, &PictureFetcher::idle, this, [this] {
        QTimer::singleShot(0, this, [this] {
            if (m_fetcher.pending() > 0)
                return;
            PictureFacts failed;
            failed.state = PictureFacts::State::Failed;
            failed.reason = tr("Not fetched");
            QSet<QString> waiting;
            for (const std::shared_ptr<Batch>& batch : std::as_const(m_batches))
                waiting.unite(batch->waiting);
            for (const QString& url : std::as_const(waiting))
                onPicture(url, failed);
        });
    });
}

MediaMeasure::~MediaMeasure() = default;

bool MediaMeasure::filters() const
{
    return m_setup.bounds.boundsSize() || !m_setup.bounds.types.isEmpty();
}

void MediaMeasure::measure(ListEntries entries, Done done)
{
    auto batch = std::make_shared<Batch>();
    batch->done = std::move(done);
    for (const ListEntry& entry : entries) {
        if (!PictureCriteria::isMedia(entry) || isVideo(entry) || m_known.contains(entry.url)
            || batch->waiting.contains(entry.url))
            continue;
        batch->waiting.insert(entry.url);
        ++m_asked;
        m_fetcher.request({ entry.url, entry.context.page, false });
    }
    batch->entries = std::move(entries);
    m_batches.append(batch);
    if (batch->waiting.isEmpty())
        QTimer::singleShot(0, this, [this, batch] { finish(batch); });
    drawProgress();
}

void MediaMeasure::onPicture(const QString& url, const PictureFacts& facts)
{
    // The first final report counts: a cached copy checked again later is the same
    // picture as far as a list printed now is concerned.
    if (facts.state == PictureFacts::State::Pending || m_known.contains(url))
        return;
    m_known.insert(url, facts);
    ++m_answered;
    drawProgress();
    const QList<std::shared_ptr<Batch>> batches = m_batches;
    for (const std::shared_ptr<Batch>& batch : batches) {
        if (batch->waiting.remove(url) && batch->waiting.isEmpty())
            finish(batch);
    }
}

PictureFacts MediaMeasure::factsOf(const ListEntry& entry) const
{
    if (PictureCriteria::isMedia(entry) && isVideo(entry)) {
        PictureFacts video;
        video.state = PictureFacts::State::Measured;
        video.type = PictureType::Video;
        return video;
    }
    return m_known.value(entry.url);
}

bool MediaMeasure::checkable(const ListEntry& entry, const PictureFacts& facts) const
{
    // A picture that could not be measured meets no bound, its type by name included:
    // a broken file is not the picture asked for.
    const PictureCriteria& b = m_setup.bounds;
    if (!PictureCriteria::isMedia(entry) || facts.state != PictureFacts::State::Measured)
        return false;
    if ((b.minWidth > 0 || b.minHeight > 0 || b.maxWidth > 0 || b.maxHeight > 0)
        && (facts.width <= 0 || facts.height <= 0))
        return false;
    if (b.minFileSize > 0 && facts.fileSize < 0)
        return false;
    return b.types.isEmpty() || PictureCriteria::typeOf(entry, facts) != PictureType::Unknown;
}

void MediaMeasure::finish(const std::shared_ptr<Batch>& batch)
{
    if (!m_batches.removeOne(batch))
        return;
    Outcome outcome;
    QSet<QString> counted;
    for (const ListEntry& entry : batch->entries) {
        const PictureFacts facts = factsOf(entry);
        if (m_known.contains(entry.url) && !counted.contains(entry.url)) {
            counted.insert(entry.url);
            ++outcome.media;
            outcome.failed += facts.state == PictureFacts::State::Failed ? 1 : 0;
        }
        if (filters()) {
            if (!checkable(entry, facts)) {
                ++outcome.unchecked;
                continue;
            }
            if (!m_setup.bounds.accepts(entry, facts))
                continue;
        }
        outcome.entries.append(entry);
        outcome.measures.append(measureOf(entry, facts));
    }
    if (m_batches.isEmpty())
        clearProgress();
    batch->done(std::move(outcome));
}

void MediaMeasure::drawProgress()
{
    if (!m_setup.progress || m_asked == 0)
        return;
    if (m_drawn.isValid() && m_drawn.elapsed() < 200 && m_answered < m_asked)
        return;
    m_drawn.start();
    m_shown = true;
    // Back to the line's start, then the count over what was there.
    const QByteArray text = "\r\x1b[K" + QByteArray(ConsoleText::kPrefix)
        + QStringLiteral("measuring pictures: %1 of %2").arg(m_answered).arg(m_asked).toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
}

void MediaMeasure::clearProgress()
{
    if (!m_shown)
        return;
    m_shown = false;
    m_drawn.invalidate();
    std::fwrite("\r\x1b[K", 1, 4, stderr);
    std::fflush(stderr);
}
