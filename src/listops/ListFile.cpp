#include "listops/ListFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <optional>

namespace
{

// Entries are encoded and written in blocks of about this many bytes.
constexpr qsizetype BlockSize = 256 * 1024;

// The list reader splits items at commas and line ends, skips spaces before an item and
// reads an item that begins with a double quote up to the next one. An entry that the
// reader would not return as it stands is written in double quotes; a double quote
// inside such an entry cannot be written as one (the reader has no escape for it) and is
// written as %22, which a link means alike. Every other entry is written bare, so lists
// without such entries are written exactly as before.
QByteArray encodeEntry(const QString& entry)
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

Result<> cannotWrite(const QString& path, const QFileDevice& file)
{
    return Result<>::failed(
        QStringLiteral("Cannot write to \"%1\": %2.").arg(path, file.errorString()));
}

Result<> writeEntries(QFileDevice& file, const QStringList& entries, const QString& path)
{
    QByteArray block;
    block.reserve(BlockSize + 1024);
    auto writeBlock = [&] {
        if (block.isEmpty())
            return true;
        if (file.write(block) != block.size())
            return false;
        block.clear();
        return true;
    };
    for (const QString& entry : entries) {
        block.append(encodeEntry(entry));
        block.append("\r\n", 2);
        if (block.size() >= BlockSize && !writeBlock())
            return cannotWrite(path, file);
    }
    return writeBlock() ? Result<>::ok() : cannotWrite(path, file);
}

std::optional<Result<>> refuseFolder(const QString& path)
{
    if (!QFileInfo(path).isDir())
        return std::nullopt;
    return Result<>::failed(QStringLiteral("\"%1\" is a folder, not a file.").arg(path));
}

} // namespace

QString ListFile::filter()
{
    return QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*");
}

QString ListFile::qtFilter(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        // "*.*" means every file, also one without a dot in its name: "*". (Left as it
        // stands, a save picker would also give a typed name the extension "*".)
        for (QString& p : patterns) {
            if (p == QLatin1StringView("*.*"))
                p = QStringLiteral("*");
        }
        patterns.removeDuplicates();
        // QFileDialog takes the patterns from the last parentheses and, with
        // HideNameFilterDetails, shows what stands before them: the description as written.
        filters.append(QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' '))));
    }
    return filters.join(QStringLiteral(";;"));
}

Result<> ListFile::save(const QString& path, const QStringList& entries)
{
    if (auto refused = refuseFolder(path))
        return *refused;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Result<>::failed(
            QStringLiteral("Cannot create \"%1\": %2.").arg(path, file.errorString()));
    if (Result<> written = writeEntries(file, entries, path); !written) {
        file.cancelWriting();
        return written;
    }
    if (!file.commit())
        return Result<>::failed(
            QStringLiteral("Cannot save \"%1\": %2.").arg(path, file.errorString()));
    return Result<>::ok();
}

Result<> ListFile::append(const QString& path, const QStringList& entries)
{
    if (auto refused = refuseFolder(path))
        return *refused;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return Result<>::failed(
            QStringLiteral("Cannot open \"%1\" for appending: %2.").arg(path, file.errorString()));
    if (Result<> written = writeEntries(file, entries, path); !written)
        return written;
    if (!file.flush())
        return cannotWrite(path, file);
    file.close();
    if (file.error() != QFileDevice::NoError)
        return cannotWrite(path, file);
    return Result<>::ok();
}
