#include "listops/ListFileWriter.h"

#include <QFileInfo>

namespace
{

// Entries are encoded and written in blocks of about this many bytes.
constexpr qsizetype BlockSize = 256 * 1024;

} // namespace

ListFileWriter::ListFileWriter(const QString& path)
    : m_path(path)
    , m_file(path)
{
}

ListFileWriter::~ListFileWriter()
{
    cancel();
}

// The list reader splits items at commas and line ends, skips spaces before an item and
// reads an item that begins with a double quote up to the next one. An entry that the
// reader would not return as it stands is written in double quotes; a double quote
// inside such an entry cannot be written as one (the reader has no escape for it) and is
// written as %22, which a link means alike. Every other entry is written bare.
QByteArray ListFileWriter::encode(const QString& entry)
{
    const bool needsQuotes = entry.contains(QLatin1Char(',')) || entry.contains(QLatin1Char('\n'))
        || entry.contains(QLatin1Char('\r')) || entry.startsWith(QLatin1Char(' '))
        || entry.startsWith(QLatin1Char('"'));
    if (!needsQuotes)
        return entry.toUtf8();
    QString quoted = entry;
    quoted.replace(QLatin1Char('"'), QLatin1StringView("%22"));
    return '"' + quoted.toUtf8() + '"';
}

Result<> ListFileWriter::open()
{
    if (QFileInfo(m_path).isDir())
        return Result<>::failed(QStringLiteral("\"%1\" is a folder, not a file.").arg(m_path));
    // Unbuffered: every write reaches the file at once, so a full disk is seen by the
    // write that meets it, not by a flush whose failure the rename would not notice.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Result<>::failed(
            QStringLiteral("Cannot create \"%1\": %2.").arg(m_path, m_file.errorString()));
    return Result<>::ok();
}

Result<> ListFileWriter::cannotWrite()
{
    m_failed = true;
    const QString reason = m_file.errorString();
    cancel();
    return Result<>::failed(QStringLiteral("Cannot write to \"%1\": %2.").arg(m_path, reason));
}

Result<> ListFileWriter::write(const QStringList& entries)
{
    if (m_failed || !m_file.isOpen())
        return Result<>::failed(QStringLiteral("Cannot write to \"%1\".").arg(m_path));
    QByteArray block;
    block.reserve(BlockSize + 1024);
    auto writeBlock = [&] {
        if (block.isEmpty())
            return true;
        if (m_file.write(block) != block.size())
            return false;
        block.clear();
        return true;
    };
    for (const QString& entry : entries) {
        block.append(encode(entry));
        block.append("\r\n", 2);
        if (block.size() >= BlockSize && !writeBlock())
            return cannotWrite();
    }
    return writeBlock() ? Result<>::ok() : cannotWrite();
}

Result<> ListFileWriter::writeBytes(const QByteArray& bytes)
{
    if (m_failed || !m_file.isOpen())
        return Result<>::failed(QStringLiteral("Cannot write to \"%1\".").arg(m_path));
    if (!bytes.isEmpty() && m_file.write(bytes) != bytes.size())
        return cannotWrite();
    return Result<>::ok();
}

Result<> ListFileWriter::commit()
{
    if (m_failed || !m_file.isOpen())
        return Result<>::failed(QStringLiteral("Cannot save \"%1\".").arg(m_path));
    if (!m_file.flush() || m_file.error() != QFileDevice::NoError)
        return cannotWrite();
    if (!m_file.commit()) {
        m_failed = true;
        return Result<>::failed(
            QStringLiteral("Cannot save \"%1\": %2.").arg(m_path, m_file.errorString()));
    }
    return Result<>::ok();
}

void ListFileWriter::cancel()
{
    if (m_file.isOpen()) {
        m_file.cancelWriting();
        // commit() after cancelWriting() closes the file and removes the temporary one
        // without touching the target.
        m_file.commit();
    }
}
