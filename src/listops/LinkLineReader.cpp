#include "listops/LinkLineReader.h"

#include <QIODevice>

#include "listops/LinkList.h"
#include "listops/ListTextDecoder.h"

namespace
{

constexpr qint64 ChunkSize = 64 * 1024;
// The longest admitted entry in UTF-8 (three bytes a UTF-16 unit at most) in quotes.
constexpr qsizetype MaxLineBytes = 3 * LinkList::MaxEntryLength + 2;

} // namespace

LinkLineReader::LinkLineReader(QIODevice& device)
    : m_device(device)
{
}

bool LinkLineReader::fill()
{
    if (m_pos < m_buffer.size())
        return true;
    if (m_eof)
        return false;
    m_buffer.resize(ChunkSize);
    const qint64 got = m_device.read(m_buffer.data(), ChunkSize);
    m_pos = 0;
    if (got <= 0) {
        m_buffer.clear();
        m_eof = true;
        m_failed = got < 0;
        return false;
    }
    m_buffer.truncate(got);
    return true;
}

std::optional<QString> LinkLineReader::takeLine()
{
    const bool skip = m_overLong || m_line.contains('\0');
    QString text = skip ? QString() : ListTextDecoder::decode(m_line).trimmed();
    m_line.clear();
    m_overLong = false;
    // The first line of a file may begin with a byte order mark.
    if (text.startsWith(QChar(0xFEFF)))
        text = text.mid(1).trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"'))
        && text.count(QLatin1Char('"')) == 2)
        text = text.mid(1, text.size() - 2);
    if (text.isEmpty() || !LinkList::admits(text))
        return std::nullopt;
    return text;
}

std::optional<QString> LinkLineReader::next()
{
    while (fill()) {
        const char* data = m_buffer.constData();
        const qsizetype size = m_buffer.size();
        if (m_lastWasCr && data[m_pos] == '\n')
            ++m_pos; // the LF of a CR LF pair
        m_lastWasCr = false;
        qsizetype end = m_pos;
        while (end < size && data[end] != '\n' && data[end] != '\r')
            ++end;
        if (!m_overLong) {
            if (m_line.size() + (end - m_pos) > MaxLineBytes) {
                m_overLong = true;
                m_line.clear();
            } else {
                m_line.append(data + m_pos, end - m_pos);
            }
        }
        m_pos = end;
        if (end == size)
            continue;
        m_lastWasCr = data[end] == '\r';
        ++m_pos;
        if (std::optional<QString> line = takeLine())
            return line;
    }
    if (m_failed || (m_line.isEmpty() && !m_overLong))
        return std::nullopt;
    return takeLine();
}
