#include "winsupport/ShellPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString WithTrailingSlash(const QString& folder)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

QStringList HelpBookCandidates(const QString& appDir)
{
    const QString base = WithTrailingSlash(appDir);
    return {
        QDir::cleanPath(base + QStringLiteral("help")),
        QDir::cleanPath(base + QStringLiteral("../share/quillmarch/help")),
        QDir::cleanPath(base + QStringLiteral("../help")),
    };
}

QString HelpBookFolder(const QString& appDir)
{
    for (const QString& folder : HelpBookCandidates(appDir)) {
        const QFileInfo index(WithTrailingSlash(folder) + QStringLiteral("index.html"));
        if (index.isFile())
            return WithTrailingSlash(index.absolutePath());
    }
    return {};
}

QString HelpBookFolder()
{
    return HelpBookFolder(QCoreApplication::applicationDirPath());
}
