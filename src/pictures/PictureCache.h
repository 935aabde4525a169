#pragma once

#include <QCache>
#include <QHash>
#include <QImage>
#include <QString>
#include <optional>

#include "pictures/PictureFacts.h"

// A picture as seen before: its facts and, when one was made, its thumbnail.
struct CachedPicture {
    PictureFacts facts;
    QImage thumbnail;
};

// Pictures already measured, by address: the facts of every picture seen in memory, the
// thumbnails in memory up to a bound, and both on disk in a folder (one file of facts
// and one thumbnail a picture, named by a hash of the address) so that a list seen
// before opens at once in a later run (a failure stays in memory only). The facts keep the server's
// validator, by which the fetcher tells whether the copy is still the picture's.
class PictureCache final
{
public:
    // folder: where the files go (made when first needed); empty keeps nothing on disk.
    explicit PictureCache(QString folder, qint64 memoryBytes = 96LL * 1024 * 1024);

    // The known facts, with the thumbnail when withThumbnail (a thumbnail only on disk is
    // decoded then; a size-only look-up reads the small facts file alone).
    std::optional<CachedPicture> find(const QString& url, bool withThumbnail = true);
    void store(const QString& url, const CachedPicture& picture);
    void forget(const QString& url);
    // The thumbnail alone, without touching the disk (null when not in memory).
    QImage thumbnailInMemory(const QString& url) const;

private:
    QImage loadThumbnail(const QString& url);
    QString pathFor(const QString& url, const char* suffix) const;

    QString m_folder;
    QHash<QString, PictureFacts> m_facts;
    QCache<QString, QImage> m_thumbnails;
};
