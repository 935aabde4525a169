#include "winsupport/ShellPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString withTrailingSlash(const QString& folder)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

QStringList helpBookCandidates(const QString& appDir)
{
    const QString base = withTrailingSlash(appDir);
    return {
        QDir::cleanPath(base + QStringLiteral("help")),
        QDir::cleanPath(base + QStringLiteral("../share/quillmarch/help")),
        QDir::cleanPath(base + QStringLiteral("../help")),
    };
}

QString helpBookFolder(const QString& appDir)
{
    for (const QString& folder : helpBookCandidates(appDir)) {
        const QFileInfo index(withTrailingSlash(folder) + QStringLiteral("index.html"));
        if (index.isFile())
            return withTrailingSlash(index.absolutePath());
    }
    return {};
}

QString helpBookFolder()
{
    return helpBookFolder(QCoreApplication::applicationDirPath());
}
