#pragma once

#include <QByteArray>

class QIODevice;

// A device read in chunks of 64 KiB, for the streaming readers of list texts: the reader
// consumes buffer from pos and calls fill() for more.
struct ChunkedInput final {
    QByteArray buffer;
    qsizetype pos = 0;
    bool eof = false;
    bool readError = false;

    // True while a byte is ready at buffer[pos]; reads the next chunk when the last one is
    // used up. After the end or a read error (readError) it stays false.
    bool fill(QIODevice& device);
    // Stops reading: fill() answers false from now on.
    void close();
};
