#pragma once

#include <QByteArrayView>
#include <QString>

// Decodes a piece of a link list text (a field, a line). UTF-8 when the bytes are valid
// UTF-8; otherwise Windows-1252, the code page older list files were written in. The
// choice is made for each piece, so a stream needs no look-ahead; in practice text in
// that code page with any character above 127 is not valid UTF-8, so an old file reads
// as it was written and a UTF-8 file as UTF-8. NUL bytes are the caller's concern.
class ListTextDecoder final
{
public:
    ListTextDecoder() = delete;

    static QString decode(QByteArrayView bytes);
    static QString fromWindows1252(QByteArrayView bytes);
};
