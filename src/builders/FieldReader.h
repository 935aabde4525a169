#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "core/Result.h"
#include "listops/ChunkedInput.h"
#include "listops/LinkList.h"

class QIODevice;

// Reads the comma-delimited fields of a link list file from a device, streaming.
// A field ends at a comma or a line end (CR LF, a lone LF or a lone CR); spaces before
// a field are skipped; a field that begins with a double quote runs to the next double
// quote (line ends included), the quotes are dropped and anything after the closing
// quote up to the next delimiter is ignored; an empty line gives one empty field.
// A field is UTF-8 when it is valid UTF-8, else Windows-1252 (ListTextDecoder); a leading
// byte order mark is skipped. A NUL byte is kept in its field (the caller skips such an
// entry); a field longer than MaxFieldBytes is an error, after which the reader stays at
// its end.
class FieldReader final
{
public:
    // The longest entry the list admits, written in UTF-8 (up to three bytes a UTF-16
    // unit; a double quote is written as %22) between two double quotes.
    static constexpr qsizetype MaxFieldBytes = 3 * LinkList::MaxEntryLength + 2;

    explicit FieldReader(QIODevice& device);

    // True when no further field can be read (tested before each field).
    bool atEnd();
    // The next field; failed with the reason on a read error, binary data or an over-long
    // field; nullopt at the end.
    std::optional<Result<QString>> next();

private:
    bool fill();
    int peekByte();
    int takeByte();
    Result<QString> fail(const QString& text);
    Result<QString> tooLong();

    QIODevice& m_device;
    ChunkedInput m_in;
    bool m_failed = false;
    bool m_started = false;
};
