#include "builders/FieldReader.h"

#include <QIODevice>

#include "listops/ListTextDecoder.h"

FieldReader::FieldReader(QIODevice& device)
    : m_device(device)
{
}

bool FieldReader::fill()
{
    if (!m_in.fill(m_device))
        return false;
    if (!m_started) {
        m_started = true;
        if (m_in.buffer.startsWith("\xEF\xBB\xBF"))
            m_in.pos = 3;
        return fill();
    }
    return true;
}

int FieldReader::peekByte()
{
    return fill() ? static_cast<unsigned char>(m_in.buffer.at(m_in.pos)) : -1;
}

int FieldReader::takeByte()
{
    return fill() ? static_cast<unsigned char>(m_in.buffer.at(m_in.pos++)) : -1;
}

bool FieldReader::atEnd()
{
    return m_failed || (peekByte() < 0 && !m_in.readError);
}

Result<QString> FieldReader::fail(const QString& text)
{
    m_failed = true;
    m_in.close();
    return Result<QString>::failed(text);
}

Result<QString> FieldReader::tooLong()
{
    return fail(
        QStringLiteral("The file contains an item longer than %1 MiB; it is not a link list file.")
            .arg(MaxFieldBytes / (1024 * 1024)));
}

std::optional<Result<QString>> FieldReader::next()
{
    if (atEnd())
        return std::nullopt;
    if (m_in.readError)
        return fail(QStringLiteral("The file could not be read: %1").arg(m_device.errorString()));

    while (peekByte() == ' ')
        takeByte();

    QByteArray field;
    bool quoted = false;
    int c = peekByte();
    if (c == '"') {
        quoted = true;
        takeByte();
    }

    // Collects the field's bytes; a quoted field runs to the closing quote, then
    // anything up to the delimiter is skipped.
    bool closed = !quoted;
    for (;;) {
        if (!quoted && fill()) {
            // Copies a run of ordinary bytes at once.
            const char* data = m_in.buffer.constData();
            const qsizetype size = m_in.buffer.size();
            qsizetype i = m_in.pos;
            while (i < size && data[i] != ',' && data[i] != '\n' && data[i] != '\r')
                ++i;
            if (i > m_in.pos) {
                if (field.size() + (i - m_in.pos) > MaxFieldBytes)
                    return tooLong();
                field.append(data + m_in.pos, i - m_in.pos);
                m_in.pos = i;
                continue;
            }
        }
        c = takeByte();
        if (c < 0)
            break;
        if (!closed) {
            if (c == '"') {
                closed = true;
                continue;
            }
        } else {
            if (c == ',' || c == '\n')
                break;
            if (c == '\r') {
                if (peekByte() == '\n')
                    takeByte();
                break;
            }
            if (quoted)
                continue;
        }
        if (field.size() >= MaxFieldBytes)
            return tooLong();
        field.append(static_cast<char>(c));
    }
    if (m_in.readError)
        return fail(QStringLiteral("The file could not be read: %1").arg(m_device.errorString()));

    // A leading byte order mark was dropped once at the start of the file; inside a
    // field it is kept as a character.
    return Result<QString>::ok(ListTextDecoder::decode(field));
}
