#include "pictures/PictureCriteria.h"

#include <QUrl>

namespace
{

QString nameOf(const QString& url)
{
    return QUrl(url).path().section('/', -1);
}

// The key of an entry under an order, -1 when unknown.
qint64 keyOf(PictureCriteria::Order order, const PictureFacts& facts)
{
    return order == PictureCriteria::Order::Area ? facts.area() : facts.fileSize;
}

} // namespace

bool PictureCriteria::isMedia(const ListEntry& entry)
{
    switch (entry.context.kind) {
    case EntryKind::Image:
    case EntryKind::Video:
    case EntryKind::Background:
        return true;
    default:
        return isPictureName(entry.url);
    }
}

PictureType PictureCriteria::typeOf(const ListEntry& entry, const PictureFacts& facts)
{
    if (facts.type != PictureType::Unknown)
        return facts.type;
    if (entry.context.kind == EntryKind::Video)
        return PictureType::Video;
    return pictureTypeOf(QByteArray(), QString(), entry.url);
}

bool PictureCriteria::boundsSize() const
{
    return minWidth > 0 || maxWidth > 0 || minHeight > 0 || maxHeight > 0 || minFileSize > 0;
}

bool PictureCriteria::accepts(const ListEntry& entry, const PictureFacts& facts) const
{
    if (!isMedia(entry))
        return false;
    if (!types.isEmpty() && !types.contains(typeOf(entry, facts)))
        return false;
    if (facts.state == PictureFacts::State::Pending)
        return true;
    if (minFileSize > 0 && facts.fileSize >= 0 && facts.fileSize < minFileSize)
        return false;
    if (facts.width <= 0)
        return !boundsSize();
    return facts.width >= minWidth && (maxWidth <= 0 || facts.width <= maxWidth)
        && facts.height >= minHeight && (maxHeight <= 0 || facts.height <= maxHeight);
}

bool PictureCriteria::before(
    const ListEntry& a, const PictureFacts& fa, const ListEntry& b, const PictureFacts& fb) const
{
    if (order == Order::Name) {
        const int c = nameOf(a.url).compare(nameOf(b.url), Qt::CaseInsensitive);
        return descending ? c > 0 : c < 0;
    }
    if (order == Order::Page)
        return false;
    const qint64 ka = keyOf(order, fa);
    const qint64 kb = keyOf(order, fb);
    if ((ka < 0) != (kb < 0))
        return kb < 0;
    return descending ? ka > kb : ka < kb;
}

bool PictureCriteria::tied(
    const ListEntry& a, const PictureFacts& fa, const ListEntry& b, const PictureFacts& fb) const
{
    return !before(a, fa, b, fb) && !before(b, fb, a, fa);
}
