#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/ProfileFolders.h"

namespace
{

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

// Points the XDG data and cache homes into a temporary folder for one test.
struct ProfileFoldersTest : ::testing::Test {
    QTemporaryDir home;
    QByteArray oldData = qgetenv("XDG_DATA_HOME");
    QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
    QString data = home.filePath("data");
    QString cache = home.filePath("cache");

    void SetUp() override
    {
        qputenv("XDG_DATA_HOME", data.toUtf8());
        qputenv("XDG_CACHE_HOME", cache.toUtf8());
    }
    void TearDown() override
    {
        qputenv("XDG_DATA_HOME", oldData);
        qputenv("XDG_CACHE_HOME", oldCache);
    }
};

} // namespace

TEST_F(ProfileFoldersTest, TheMakerNamedProfileMovesOnceUnderTheProgramsName)
{
    touch(data + "/Corvid Lantern/Quillmarch/browser/Cookies");
    touch(cache + "/Corvid Lantern/Quillmarch/browser/Cache/index");
    ProfileFolders::adoptBrowserProfile();

    EXPECT_EQ(ProfileFolders::dataFolder(), data + "/quillmarch");
    EXPECT_EQ(ProfileFolders::cacheFolder(), cache + "/quillmarch");
    EXPECT_TRUE(QFile::exists(data + "/quillmarch/browser/Cookies"));
    EXPECT_FALSE(QFile::exists(data + "/Corvid Lantern"));
    EXPECT_FALSE(QFile::exists(cache + "/Corvid Lantern/Quillmarch"));

    // A profile already in place is never replaced by an old one found later.
    touch(data + "/Corvid Lantern/Quillmarch/browser/Old");
    touch(data + "/Corvid Lantern/Other/keep");
    ProfileFolders::adoptBrowserProfile();
    EXPECT_TRUE(QFile::exists(data + "/quillmarch/browser/Cookies"));
    EXPECT_FALSE(QFile::exists(data + "/quillmarch/browser/Old"));
    EXPECT_TRUE(QFile::exists(data + "/Corvid Lantern/Quillmarch/browser/Old"));
}

TEST_F(ProfileFoldersTest, AMoveLeavesTheMakersFolderWhenItHoldsMore)
{
    touch(data + "/Corvid Lantern/Quillmarch/browser/Cookies");
    touch(data + "/Corvid Lantern/Other/keep");
    EXPECT_TRUE(ProfileFolders::adopt(
        data + "/Corvid Lantern/Quillmarch/browser", data + "/quillmarch/browser"));
    EXPECT_TRUE(QFile::exists(data + "/quillmarch/browser/Cookies"));
    EXPECT_FALSE(QFile::exists(data + "/Corvid Lantern/Quillmarch"));
    EXPECT_TRUE(QFile::exists(data + "/Corvid Lantern/Other/keep"));
}
