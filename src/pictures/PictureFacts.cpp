#include "pictures/PictureFacts.h"

#include <QUrl>
#include <array>
#include <utility>

namespace
{

constexpr std::array kNames {
    std::pair { PictureType::Jpeg, "jpeg" },
    std::pair { PictureType::Png, "png" },
    std::pair { PictureType::Gif, "gif" },
    std::pair { PictureType::WebP, "webp" },
    std::pair { PictureType::Svg, "svg" },
    std::pair { PictureType::Avif, "avif" },
    std::pair { PictureType::Bmp, "bmp" },
    std::pair { PictureType::Video, "video" },
};

PictureType fromHead(const QByteArray& head)
{
    if (head.startsWith("\xFF\xD8\xFF"))
        return PictureType::Jpeg;
    if (head.startsWith("\x89PNG\r\n\x1A\n"))
        return PictureType::Png;
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return PictureType::Gif;
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
        return PictureType::WebP;
    if (head.mid(4, 8) == "ftypavif" || head.mid(4, 8) == "ftypavis")
        return PictureType::Avif;
    if (head.startsWith("BM"))
        return PictureType::Bmp;
    const QByteArray text = head.left(512).trimmed().toLower();
    if (text.startsWith("<svg") || (text.startsWith("<?xml") && text.contains("<svg")))
        return PictureType::Svg;
    return PictureType::Unknown;
}

PictureType fromMediaType(const QString& mediaType)
{
    static const QList<std::pair<QString, PictureType>> types {
        { "image/jpeg", PictureType::Jpeg },
        { "image/png", PictureType::Png },
        { "image/gif", PictureType::Gif },
        { "image/webp", PictureType::WebP },
        { "image/svg+xml", PictureType::Svg },
        { "image/avif", PictureType::Avif },
        { "image/bmp", PictureType::Bmp },
    };
    for (const auto& [name, type] : types) {
        if (mediaType.compare(name, Qt::CaseInsensitive) == 0)
            return type;
    }
    return mediaType.startsWith("video/", Qt::CaseInsensitive) ? PictureType::Video
                                                               : PictureType::Unknown;
}

PictureType fromExtension(const QString& url)
{
    const QString name = QUrl(url).path().section('/', -1).toLower();
    const QString extension = name.contains('.') ? name.section('.', -1) : QString();
    static const QList<std::pair<QString, PictureType>> extensions {
        { "jpg", PictureType::Jpeg },
        { "jpeg", PictureType::Jpeg },
        { "jpe", PictureType::Jpeg },
        { "jfif", PictureType::Jpeg },
        { "png", PictureType::Png },
        { "apng", PictureType::Png },
        { "gif", PictureType::Gif },
        { "webp", PictureType::WebP },
        { "svg", PictureType::Svg },
        { "svgz", PictureType::Svg },
        { "avif", PictureType::Avif },
        { "bmp", PictureType::Bmp },
        { "mp4", PictureType::Video },
        { "webm", PictureType::Video },
        { "m4v", PictureType::Video },
        { "mov", PictureType::Video },
        { "ogv", PictureType::Video },
        { "mkv", PictureType::Video },
    };
    for (const auto& [known, type] : extensions) {
        if (extension == known)
            return type;
    }
    return PictureType::Unknown;
}

} // namespace

QString pictureTypeName(PictureType type)
{
    for (const auto& [known, name] : kNames) {
        if (known == type)
            return QString::fromLatin1(name);
    }
    return QStringLiteral("unknown");
}

std::optional<PictureType> pictureTypeFromName(QStringView name)
{
    for (const auto& [type, known] : kNames) {
        if (name.compare(QLatin1StringView(known), Qt::CaseInsensitive) == 0)
            return type;
    }
    if (name.compare(QLatin1StringView("jpg"), Qt::CaseInsensitive) == 0)
        return PictureType::Jpeg;
    return std::nullopt;
}

PictureType pictureTypeOf(const QByteArray& head, const QString& mediaType, const QString& url)
{
    if (const PictureType type = fromHead(head); type != PictureType::Unknown)
        return type;
    if (const PictureType type = fromMediaType(mediaType); type != PictureType::Unknown)
        return type;
    return fromExtension(url);
}

bool isPictureName(const QString& url)
{
    const PictureType type = fromExtension(url);
    return type != PictureType::Unknown && type != PictureType::Video;
}
