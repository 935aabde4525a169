#include "platform/ProfileFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace
{

const char* const kProgram = "quillmarch";
// The folders QStandardPaths named after the maker and the program.
const char* const kLegacy = "Corvid Lantern/Quillmarch";

} // namespace

QString ProfileFolders::dataFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QLatin1StringView(kProgram));
}

QString ProfileFolders::cacheFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QLatin1StringView(kProgram));
}

QString ProfileFolders::cookieDatabase()
{
    return QDir(dataFolder()).filePath(QStringLiteral("browser/Cookies"));
}

bool ProfileFolders::adopt(const QString& legacy, const QString& current)
{
    if (!QFileInfo(legacy).isDir() || QFileInfo::exists(current))
        return true;
    if (!QDir().mkpath(QFileInfo(current).absolutePath()) || !QDir().rename(legacy, current))
        return false;
    // The maker-named folders are left only when something else still lives in them.
    QDir parent = QFileInfo(legacy).dir();
    for (int level = 0; level < 2 && parent.isEmpty(); ++level) {
        const QString name = parent.dirName();
        if (!parent.cdUp() || !parent.rmdir(name))
            break;
    }
    return true;
}

void ProfileFolders::adoptBrowserProfile()
{
    const QString browser = QStringLiteral("browser");
    const QString legacyData
        = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
              .filePath(QLatin1StringView(kLegacy));
    adopt(QDir(legacyData).filePath(browser), QDir(dataFolder()).filePath(browser));
    // The profile holds the sign-ins' cookies: its folder is its owner's alone.
    QDir().mkpath(dataFolder());
    QFile::setPermissions(
        dataFolder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // The cache is not worth a move: it is rebuilt as pages load.
    const QString legacyCache
        = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
              .filePath(QLatin1StringView(kLegacy));
    if (QFileInfo(legacyCache).isDir())
        QDir(legacyCache).removeRecursively();
}
