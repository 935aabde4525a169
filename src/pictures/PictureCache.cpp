#include "pictures/PictureCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace
{

QJsonObject toJson(const QString& url, const PictureFacts& f)
{
    return QJsonObject {
        { "url", url },
        { "state", int(f.state) },
        { "width", f.width },
        { "height", f.height },
        { "size", double(f.fileSize) },
        { "type", pictureTypeName(f.type) },
        { "validator", f.validator },
        { "reason", f.reason },
    };
}

std::optional<PictureFacts> fromJson(const QString& url, const QJsonObject& o)
{
    if (o.value("url").toString() != url)
        return std::nullopt; // another address with the same hash
    PictureFacts f;
    const int state = o.value("state").toInt(-1);
    if (state != int(PictureFacts::State::Measured) && state != int(PictureFacts::State::Failed))
        return std::nullopt;
    f.state = PictureFacts::State(state);
    f.width = o.value("width").toInt(-1);
    f.height = o.value("height").toInt(-1);
    f.fileSize = qint64(o.value("size").toDouble(-1));
    f.type = pictureTypeFromName(o.value("type").toString()).value_or(PictureType::Unknown);
    f.validator = o.value("validator").toString();
    f.reason = o.value("reason").toString();
    return f;
}

int costOf(const QImage& image)
{
    return int(qMax<qint64>(1, image.sizeInBytes() / 1024));
}

} // namespace

PictureCache::PictureCache(QString folder, qint64 memoryBytes)
    : m_folder(std::move(folder))
{
    m_thumbnails.setMaxCost(int(qMax<qint64>(1, memoryBytes / 1024)));
}

QString PictureCache::pathFor(const QString& url, const char* suffix) const
{
    const QByteArray hash = QCryptographicHash::hash(url.toUtf8(), QCryptographicHash::Sha1);
    return m_folder + '/' + QString::fromLatin1(hash.toHex()) + QLatin1StringView(suffix);
}

std::optional<CachedPicture> PictureCache::find(const QString& url, bool withThumbnail)
{
    CachedPicture picture;
    if (auto known = m_facts.constFind(url); known != m_facts.constEnd()) {
        picture.facts = *known;
        if (const QImage* image = m_thumbnails.object(url))
            picture.thumbnail = *image;
        else if (!m_folder.isEmpty() && withThumbnail)
            picture.thumbnail = loadThumbnail(url);
        return picture;
    }
    if (m_folder.isEmpty())
        return std::nullopt;
    QFile file(pathFor(url, ".json"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const std::optional<PictureFacts> facts
        = fromJson(url, QJsonDocument::fromJson(file.read(64 * 1024)).object());
    if (!facts)
        return std::nullopt;
    picture.facts = *facts;
    m_facts.insert(url, *facts);
    if (withThumbnail)
        picture.thumbnail = loadThumbnail(url);
    return picture;
}

QImage PictureCache::loadThumbnail(const QString& url)
{
    QImage image(pathFor(url, ".png"), "PNG");
    if (!image.isNull())
        m_thumbnails.insert(url, new QImage(image), costOf(image));
    return image;
}

void PictureCache::store(const QString& url, const CachedPicture& picture)
{
    m_facts.insert(url, picture.facts);
    if (!picture.thumbnail.isNull())
        m_thumbnails.insert(url, new QImage(picture.thumbnail), costOf(picture.thumbnail));
    if (m_folder.isEmpty())
        return;
    // A failure may pass (a server down or slow for a while): it is remembered for this
    // run only, and a later run asks again.
    if (picture.facts.state == PictureFacts::State::Failed) {
        QFile::remove(pathFor(url, ".json"));
        QFile::remove(pathFor(url, ".png"));
        return;
    }
    if (!QDir().mkpath(m_folder))
        return;
    // The thumbnail first: facts on disk without their thumbnail only cost a refetch.
    const QString thumbnailPath = pathFor(url, ".png");
    if (picture.thumbnail.isNull()) {
        QFile::remove(thumbnailPath);
    } else {
        QSaveFile out(thumbnailPath);
        if (out.open(QIODevice::WriteOnly) && picture.thumbnail.save(&out, "PNG"))
            out.commit();
    }
    QSaveFile out(pathFor(url, ".json"));
    if (out.open(QIODevice::WriteOnly)) {
        out.write(QJsonDocument(toJson(url, picture.facts)).toJson(QJsonDocument::Compact));
        out.commit();
    }
}

void PictureCache::forget(const QString& url)
{
    m_facts.remove(url);
    m_thumbnails.remove(url);
    if (!m_folder.isEmpty()) {
        QFile::remove(pathFor(url, ".json"));
        QFile::remove(pathFor(url, ".png"));
    }
}

QImage PictureCache::thumbnailInMemory(const QString& url) const
{
    const QImage* image = m_thumbnails.object(url);
    return image ? *image : QImage();
}
