#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "builders/FieldReader.h"
#include "listops/ListFile.h"
#include "support/QtPrinters.h"

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
    EXPECT_EQ(
        ListFile::qtFilter(ListFile::filter()), "Text Files (*.txt) (*.txt);;All Files (*.*) (*)");
    EXPECT_EQ(ListFile::qtFilter("Pages|*.htm;*.html|"), "Pages (*.htm *.html)");
}

// Entries the reader would split (a comma, a line end) are quoted, so a saved list reads
// back to the same entries; the other entries are written bare, as before.
TEST(ListFile, SavedListsReadBackToTheSameEntries)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("l.txt");
    const QStringList entries { "http://a/x,y", "http://b/plain", "http://c/q\"uote",
        "http://d/x,\"y", "http://e/line\nend", " http://f/space" };
    ASSERT_TRUE(ListFile::save(path, entries).isOk());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    FieldReader reader(file);
    QStringList read;
    while (const std::optional<Result<QString>> field = reader.next())
        read.append(field->value());
    QStringList expected = entries;
    expected[3] = "http://d/x,%22y"; // the reader has no escape for a quote inside quotes
    EXPECT_EQ(read, expected);
    EXPECT_TRUE(
        contents(path).startsWith("\"http://a/x,y\"\r\nhttp://b/plain\r\nhttp://c/q\"uote\r\n"));
}
