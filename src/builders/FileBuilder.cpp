#include "builders/FileBuilder.h"

#include <QFile>
#include <QFileInfo>

#include "builders/FieldReader.h"
#include "builders/LinkRules.h"
#include "core/Preferences.h"
#include "listops/LinkList.h"

namespace
{

// Size of the block checked for binary content before anything is read.
constexpr qint64 SniffSize = 64 * 1024;

QString sniffProblem(QIODevice& device)
{
    const QByteArray head = device.peek(SniffSize);
    if (head.contains('\0'))
        return QStringLiteral("The file contains binary data (a NUL byte); it is not a text file.");
    return {};
}

FileItems stopped(FileItems items, const QString& title, const QString& message)
{
    items.stop = Result<>::failed(message);
    items.stopTitle = title;
    return items;
}

} // namespace

QString FileBuilder::badFormatMessage()
{
    return QStringLiteral(
        "This file appears to contain items that are not valid urls. Please see the "
        "program's help file for details on formatting url list files for "
        "importing. Operation aborted.");
}

bool FileBuilder::isValidItem(QStringView item)
{
    return LinkRules::isLink(item, LinkRules::LinkTest::ListFileItem);
}

FileItems FileBuilder::read(const QString& path, const Preferences& prefs, qint64 limit)
{
    const QString error = QStringLiteral("Error");
    const QFileInfo info(path);
    if (info.isDir())
        return stopped(
            {}, error, QStringLiteral("\"%1\" is a folder, not a link list file.").arg(path));
    if (info.exists() && !info.isFile())
        return stopped({}, error, QStringLiteral("\"%1\" is not a regular file.").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return stopped({}, error,
            QStringLiteral("Cannot open \"%1\" for reading: %2.").arg(path, file.errorString()));
    return read(file, path, prefs, limit);
}

FileItems FileBuilder::read(
    QIODevice& device, const QString& name, const Preferences& prefs, qint64 limit)
{
    const QString error = QStringLiteral("Error");
    if (const QString problem = sniffProblem(device); !problem.isEmpty())
        return stopped({}, error, QStringLiteral("Cannot read \"%1\": %2").arg(name, problem));

    FieldReader reader(device);
    FileItems items;
    while (!reader.atEnd() && items.links.size() <= limit) {
        const std::optional<Result<QString>> field = reader.next();
        if (!field)
            break;
        if (!*field)
            return stopped(std::move(items), error,
                QStringLiteral("Cannot read \"%1\": %2").arg(name, field->message()));
        const QString& item = field->value();
        // An item the list never holds (a NUL byte, over-long) is left out silently.
        if (!LinkList::admits(item))
            continue;
        if (!isValidItem(item))
            return stopped(std::move(items), QStringLiteral("Bad Format"), badFormatMessage());
        items.found = true;
        if (LinkRules::passesExclusion(item, prefs.exjs, prefs.exmt))
            items.links.append(item);
    }
    return items;
}

FileBuild FileBuilder::apply(const FileItems& items, bool append, LinkList& list)
{
    FileBuild built;
    if (!items.found)
        return built;
    // Emptying an empty list would still count as a change for the undo history.
    if (!append && !list.isEmpty())
        list.clear();
    const qsizetype room = list.maxEntries() - list.count();
    built.limitReached = items.links.size() > room;
    built.added = list.addMany(built.limitReached ? items.links.first(room) : items.links);
    return built;
}
