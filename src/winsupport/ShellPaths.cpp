#include "winsupport/ShellPaths.h"

QString WithTrailingSlash(const QString& folder)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

QString HelpBookFolder()
{
    return {};
}
