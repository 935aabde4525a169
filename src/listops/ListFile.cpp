#include "listops/ListFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace
{

// Entries are encoded and written in blocks of about this many bytes.
constexpr qsizetype BlockSize = 256 * 1024;

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
        block.append(entry.toUtf8());
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
        QString description = parts.at(i).trimmed();
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        if (patterns.contains(QStringLiteral("*.*")) && !patterns.contains(QStringLiteral("*")))
            patterns.append(QStringLiteral("*"));
        // QFileDialog takes the patterns from the parentheses at the description's end.
        if (description.endsWith(QLatin1Char(')'))) {
            const qsizetype open = description.lastIndexOf(QLatin1Char('('));
            if (open >= 0)
                description = description.left(open).trimmed();
        }
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
