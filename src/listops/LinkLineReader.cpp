#include "listops/LinkLineReader.h"

#include <QIODevice>

#include "listops/LinkList.h"
#include "listops/ListTextDecoder.h"

namespace
{

// The longest admitted entry in UTF-8 (three bytes a UTF-16 unit at most) in quotes.
constexpr qsizetype MaxLineBytes = 3 * LinkList::MaxEntryLength + 2;

} // namespace

LinkLineReader::LinkLineReader(QIODevice& device)
    : m_device(device)
{
}

bool LinkLineReader::fill()
{
    const bool ready = m_in.fill(m_device);
    m_failed = m_in.readError;
    return ready;
}

std::optional<QString> LinkLineReader::takeLine()
{
    ++m_lineNumber;
    QString reason;
    if (m_overLong)
        reason = QStringLiteral("it is longer than %1 bytes").arg(MaxLineBytes);
    else if (m_line.contains('\0'))
        reason = QStringLiteral("it holds a NUL byte");
    QString text = reason.isEmpty() ? ListTextDecoder::decode(m_line).trimmed() : QString();
    m_line.clear();
    m_overLong = false;
    if (!reason.isEmpty()) {
        if (m_onSkip)
            m_onSkip(m_lineNumber, reason);
        return std::nullopt;
    }
    // The first line of a file may begin with a byte order mark.
    if (text.startsWith(QChar(0xFEFF)))
        text = text.mid(1).trimmed();
    if (m_skipComments && text.startsWith(QLatin1Char('#')))
        return std::nullopt;
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"'))
        && text.count(QLatin1Char('"')) == 2)
        text = text.mid(1, text.size() - 2);
    if (text.isEmpty())
        return std::nullopt;
    if (!LinkList::admits(text)) {
        if (m_onSkip)
            m_onSkip(m_lineNumber,
                QStringLiteral("it is longer than %1 characters").arg(LinkList::MaxEntryLength));
        return std::nullopt;
    }
    return text;
}

std::optional<QString> LinkLineReader::next()
{
    while (fill()) {
        const char* data = m_in.buffer.constData();
        const qsizetype size = m_in.buffer.size();
        if (m_lastWasCr && data[m_in.pos] == '\n')
            ++m_in.pos; // the LF of a CR LF pair
        m_lastWasCr = false;
        qsizetype end = m_in.pos;
        while (end < size && data[end] != '\n' && data[end] != '\r')
            ++end;
        if (!m_overLong) {
            if (m_line.size() + (end - m_in.pos) > MaxLineBytes) {
                m_overLong = true;
                m_line.clear();
            } else {
                m_line.append(data + m_in.pos, end - m_in.pos);
            }
        }
        m_in.pos = end;
        if (end == size)
            continue;
        m_lastWasCr = data[end] == '\r';
        ++m_in.pos;
        if (std::optional<QString> line = takeLine())
            return line;
    }
    if (m_failed || (m_line.isEmpty() && !m_overLong))
        return std::nullopt;
    return takeLine();
}
