#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "listops/ListFile.h"

namespace
{

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(ListFile, SaveWritesEveryEntryWithCrLfAndReplacesOldContent)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("l.txt");
    put(path, "old content that is longer\r\n");
    ASSERT_TRUE(ListFile::save(path, { "http://a", QStringLiteral("http://\u00e9"), "c" }).isOk());
    EXPECT_EQ(contents(path), "http://a\r\nhttp://\xC3\xA9\r\nc\r\n");
    ASSERT_TRUE(ListFile::save(path, {}).isOk());
    EXPECT_EQ(contents(path), "");
}

TEST(ListFile, AppendAddsAfterTheExistingContentUnread)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("l.txt");
    put(path, "http://x\r\nhttp://no-line-end");
    ASSERT_TRUE(ListFile::append(path, { "http://a", "http://b" }).isOk());
    EXPECT_EQ(contents(path), "http://x\r\nhttp://no-line-endhttp://a\r\nhttp://b\r\n");
}

TEST(ListFile, FailuresAreReportedAndLeaveTheOldFile)
{
    QTemporaryDir dir;
    for (const Result<>& written :
        { ListFile::save(dir.path(), { "http://a" }), ListFile::append(dir.path(), { "http://a" }),
            ListFile::save(dir.filePath("no/such/folder/l.txt"), { "http://a" }) }) {
        EXPECT_TRUE(written.isFailed());
        EXPECT_FALSE(written.message().isEmpty());
    }
}

TEST(ListFile, QtFilterKeepsDescriptionsAndListsFilesWithoutExtension)
{
    EXPECT_EQ(ListFile::qtFilter(ListFile::filter()), "Text Files (*.txt);;All Files (*.* *)");
    EXPECT_EQ(ListFile::qtFilter("Pages|*.htm;*.html|"), "Pages (*.htm *.html)");
}
