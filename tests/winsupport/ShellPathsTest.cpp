#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "winsupport/ShellPaths.h"

namespace
{

void writeIndex(const QString& folder)
{
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile index(folder + QStringLiteral("/index.html"));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("<html></html>");
}

} // namespace

TEST(withTrailingSlash, AddsExactlyOneSlashWhenMissing)
{
    const struct {
        const char* folder;
        const char* expected;
    } rows[] = {
        { "/", "/" }, // the root already ends in one
        { "/opt/quillmarch", "/opt/quillmarch/" },
        { "/opt/quillmarch/", "/opt/quillmarch/" },
        { "", "/" },
        { "relative/dir", "relative/dir/" },
        { "/name with space", "/name with space/" },
    };
    for (const auto& row : rows)
        EXPECT_EQ(withTrailingSlash(QString::fromUtf8(row.folder)), QString::fromUtf8(row.expected))
            << row.folder;
}

TEST(helpBookFolder, PrefersTheBookBesideTheProgram)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString appDir = root.path() + QStringLiteral("/bin");
    writeIndex(appDir + QStringLiteral("/help"));
    writeIndex(root.path() + QStringLiteral("/share/quillmarch/help"));

    EXPECT_EQ(helpBookFolder(appDir), appDir + QStringLiteral("/help/"));
}

TEST(helpBookFolder, FindsTheInstalledBookAndSkipsFoldersWithoutIndex)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString appDir = root.path() + QStringLiteral("/bin");
    ASSERT_TRUE(QDir().mkpath(appDir + QStringLiteral("/help"))); // empty: not a book
    writeIndex(root.path() + QStringLiteral("/share/quillmarch/help"));

    EXPECT_EQ(helpBookFolder(appDir), root.path() + QStringLiteral("/share/quillmarch/help/"));
}

TEST(helpBookFolder, EmptyWhenNoBookAnywhere)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    EXPECT_TRUE(helpBookFolder(root.path() + QStringLiteral("/bin")).isEmpty());
    EXPECT_EQ(helpBookCandidates(root.path() + QStringLiteral("/bin")).size(), 3);
}

TEST(helpBookFolder, FindsTheBookCopiedIntoTheBuildTree)
{
    const QString build = QDir(QStringLiteral(QM_BINARY_DIR)).absolutePath();
    // The program sits at the top of the build tree, the test runners one folder below.
    EXPECT_EQ(helpBookFolder(build), build + QStringLiteral("/help/"));
    EXPECT_EQ(helpBookFolder(build + QStringLiteral("/tests")), build + QStringLiteral("/help/"));
}
