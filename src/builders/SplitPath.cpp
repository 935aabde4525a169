#include "builders/SplitPath.h"

QString SplitPath(const QString& path, PathPart part)
{
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
    case PathPart::Drive:
        return drive;
    case PathPart::Folder:
        return folder;
    case PathPart::Name:
        return name;
    case PathPart::Extension:
        break;
    }
    return extension;
}
