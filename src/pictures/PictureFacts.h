#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <optional>

// The kinds of picture the picture view tells apart.
enum class PictureType { Unknown, Jpeg, Png, Gif, WebP, Svg, Avif, Bmp, Video };

// The name of a type in the view, exports and on the command line ("jpeg", "png", ...).
QString pictureTypeName(PictureType type);
std::optional<PictureType> pictureTypeFromName(QStringView name);
// The type the first bytes of a file show, else the media type, else the address's
// extension says; Unknown when none of them does.
PictureType pictureTypeOf(const QByteArray& head, const QString& mediaType, const QString& url);
// Whether the address's last path segment ends with a picture's extension.
bool isPictureName(const QString& url);

// What is known about one picture of the list.
struct PictureFacts {
    enum class State {
        Pending, // not measured yet
        Measured, // its pixel size is known
        Failed, // it could not be fetched or read; reason says why
    };
    State state = State::Pending;
    int width = -1;
    int height = -1;
    qint64 fileSize = -1; // bytes, -1 unknown
    PictureType type = PictureType::Unknown;
    QString validator; // the server's ETag or Last-Modified, empty when none
    // Why the picture failed, or why it has no thumbnail although measured (too many
    // pixels to decode, a format without decoder); empty otherwise.
    QString reason;

    qint64 area() const { return width > 0 && height > 0 ? qint64(width) * height : -1; }
    friend bool operator==(const PictureFacts&, const PictureFacts&) = default;
};

Q_DECLARE_METATYPE(PictureFacts)
