#include "pictures/PictureDecoder.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>

namespace
{

PictureType typeOfFormat(const QByteArray& format, const QByteArray& head)
{
    const PictureType type = pictureTypeFromName(QString::fromLatin1(format))
                                 .value_or(pictureTypeOf(head, QString(), QString()));
    return type == PictureType::Video ? PictureType::Unknown : type;
}

QString noDecoderReason(PictureType type)
{
    return type == PictureType::Unknown
        ? QCoreApplication::translate("PictureDecoder", "Not a picture this program can read")
        : QCoreApplication::translate("PictureDecoder", "No reader for %1 pictures")
              .arg(pictureTypeName(type).toUpper());
}

} // namespace

void PictureDecoder::limitAllocations(int megabytes)
{
    QImageReader::setAllocationLimit(megabytes);
}

DecodedPicture PictureDecoder::measure(const QByteArray& bytes, bool complete)
{
    DecodedPicture result;
    // A PNG whose header chunk is missing is told here: libpng would report it on
    // standard error, past any message handler, before failing the same way.
    static const QByteArray kPngSignature("\x89PNG\r\n\x1a\n", 8);
    constexpr qsizetype kPngHead = 8 + 8 + 13; // signature, chunk length and type, IHDR data
    if (bytes.startsWith(kPngSignature)
        && (bytes.size() < kPngHead || bytes.mid(12, 4) != "IHDR")) {
        result.type = PictureType::Png;
        if (bytes.size() < kPngHead && !complete)
            result.needMore = true;
        else
            result.reason = QCoreApplication::translate(
                "PictureDecoder", "not a readable PNG: its header is missing");
        return result;
    }
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    result.type = typeOfFormat(reader.format(), bytes.left(64));
    if (size.isValid() && !size.isEmpty()) {
        result.width = size.width();
        result.height = size.height();
        return result;
    }
    if (!complete) {
        result.needMore = true;
        return result;
    }
    result.reason = reader.canRead() ? reader.errorString() : noDecoderReason(result.type);
    return result;
}

DecodedPicture PictureDecoder::thumbnail(const QByteArray& bytes, const Limits& limits)
{
    DecodedPicture result = measure(bytes, true);
    if (result.width <= 0)
        return result;
    if (qint64(result.width) * result.height > limits.maxPixels) {
        result.reason
            = QCoreApplication::translate("PictureDecoder", "%1 × %2 pixels: too large to show")
                  .arg(result.width)
                  .arg(result.height);
        return result;
    }
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QSize full(result.width, result.height);
    if (full.width() > limits.thumbnailSide || full.height() > limits.thumbnailSide) {
        reader.setScaledSize(
            full.scaled(limits.thumbnailSide, limits.thumbnailSide, Qt::KeepAspectRatio)
                .expandedTo(QSize(1, 1)));
    }
    QImage image = reader.read();
    if (image.isNull()) {
        result.reason = reader.errorString();
        return result;
    }
    if (image.width() > limits.thumbnailSide || image.height() > limits.thumbnailSide)
        image = image.scaled(limits.thumbnailSide, limits.thumbnailSide, Qt::KeepAspectRatio,
            Qt::SmoothTransformation);
    result.thumbnail = image;
    return result;
}
