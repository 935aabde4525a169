#include "builders/SplitPath.h"

#include <stdexcept>

QString SplitPath(const QString& path, int part)
{
    if (part < 0 || part > 3)
        throw std::invalid_argument("SplitPath: part must be 0 (drive), 1 (folder), 2 (name) "
                                    "or 3 (extension)");

    QString drive;
    QString folder;
    QString name;
    QString extension;
    QString work = path;

    if (work.size() >= 2 && work.at(1) == QLatin1Char(':')) {
        drive = work.left(2);
        work = work.mid(2);
    }

    bool separatorFound = false;
    for (qsizetype i = work.size() - 1; i >= 0; --i) {
        const QChar c = work.at(i);
        if (c == QLatin1Char('.') && extension.isEmpty()) {
            if (i + 1 < work.size())
                extension = work.mid(i);
            work.truncate(i);
        } else if (c == QLatin1Char('\\') && i + 1 < work.size()) {
            name = work.mid(i + 1);
            work.truncate(i + 1);
            separatorFound = true;
            break;
        }
    }
    if (separatorFound)
        folder = work;
    else
        name = work;

    switch (part) {
    case 0:
        return drive;
    case 1:
        return folder;
    case 2:
        return name;
    default:
        return extension;
    }
}
