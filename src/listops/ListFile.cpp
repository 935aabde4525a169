#include "listops/ListFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

template <typename Device>
bool writeEntries(Device& file, const QStringList& entries, QString* error, const QString& path)
{
    QByteArray block;
    block.reserve(BlockSize + 1024);
    auto writeBlock = [&] {
        if (block.isEmpty())
            return true;
        if (file.write(block) != block.size()) {
            if (error)
                *error
                    = QStringLiteral("Cannot write to \"%1\": %2.").arg(path, file.errorString());
            return false;
        }
        block.clear();
        return true;
    };
    for (const QString& entry : entries) {
        block.append(encodeEntry(entry));
        block.append("\r\n", 2);
        if (block.size() >= BlockSize && !writeBlock())
            return false;
    }
    return writeBlock();
}

bool refuseFolder(const QString& path, QString* error)
{
    if (!QFileInfo(path).isDir())
        return false;
    if (error)
        *error = QStringLiteral("\"%1\" is a folder, not a file.").arg(path);
    return true;
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

bool ListFile::save(const QString& path, const QStringList& entries, QString* error)
{
    if (refuseFolder(path, error))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("Cannot create \"%1\": %2.").arg(path, file.errorString());
        return false;
    }
    if (!writeEntries(file, entries, error, path)) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot save \"%1\": %2.").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool ListFile::append(const QString& path, const QStringList& entries, QString* error)
{
    if (refuseFolder(path, error))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (error)
            *error = QStringLiteral("Cannot open \"%1\" for appending: %2.")
                         .arg(path, file.errorString());
        return false;
    }
    if (!writeEntries(file, entries, error, path))
        return false;
    if (!file.flush()) {
        if (error)
            *error = QStringLiteral("Cannot write to \"%1\": %2.").arg(path, file.errorString());
        return false;
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("Cannot write to \"%1\": %2.").arg(path, file.errorString());
        return false;
    }
    return true;
}
