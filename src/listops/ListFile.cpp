#include "listops/ListFile.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

#include "listops/ListFileWriter.h"

namespace
{

Result<> cannotWrite(const QString& path, const QFileDevice& file)
{
    return Result<>::failed(
        QStringLiteral("Cannot write to \"%1\": %2.").arg(path, file.errorString()));
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
    ListFileWriter writer(path);
    if (Result<> opened = writer.open(); !opened)
        return opened;
    if (Result<> written = writer.write(entries); !written)
        return written;
    return writer.commit();
}

// The file's last line may lack its line end (a file written by hand or by another
// program); one is written first so the first appended entry starts a line of its own.
Result<> ListFile::append(const QString& path, const QStringList& entries)
{
    if (auto refused = refuseFolder(path))
        return *refused;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered))
        return Result<>::failed(
            QStringLiteral("Cannot open \"%1\" for appending: %2.").arg(path, file.errorString()));
    QByteArray out;
    if (file.size() > 0) {
        char last = 0;
        if (!file.seek(file.size() - 1) || file.read(&last, 1) != 1)
            return Result<>::failed(
                QStringLiteral("Cannot read \"%1\": %2.").arg(path, file.errorString()));
        if (last != '\n' && last != '\r')
            out.append("\r\n", 2);
    }
    for (const QString& entry : entries) {
        out.append(ListFileWriter::encode(entry));
        out.append("\r\n", 2);
    }
    if (file.write(out) != out.size())
        return cannotWrite(path, file);
    file.close();
    if (file.error() != QFileDevice::NoError)
        return cannotWrite(path, file);
    return Result<>::ok();
}
