#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include "pictures/PictureFacts.h"

// What reading a picture's bytes gave: its pixel size and type, or that more bytes are
// needed, or why it cannot be read; with a thumbnail when one was asked for.
struct DecodedPicture {
    bool needMore = false; // the bytes end before the size could be read
    int width = -1;
    int height = -1;
    PictureType type = PictureType::Unknown;
    QImage thumbnail; // null when not asked for or not made
    QString reason; // why there is no size, or no thumbnail although asked
};

// Reads pictures from memory with the toolkit's image readers, never from the network
// (an SVG's external parts stay unloaded). Safe to call from any thread: every call
// makes its own reader.
class PictureDecoder final
{
public:
    struct Limits {
        int thumbnailSide = 256; // a thumbnail fits in a square of this side
        // Pictures with more pixels are measured but not decoded: a small file can
        // claim a huge canvas (a decompression bomb).
        qint64 maxPixels = 64LL * 1000 * 1000;
    };

    // Sets the image readers' allocation limit for the process; call once at start.
    static void limitAllocations(int megabytes = 256);

    // The size from as many bytes as there are; complete says they are the whole file.
    static DecodedPicture measure(const QByteArray& bytes, bool complete);
    // The size and a thumbnail from the whole file.
    static DecodedPicture thumbnail(const QByteArray& bytes, const Limits& limits);
};
