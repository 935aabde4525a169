#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

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

TEST(ListFile, AppendStartsANewLineAfterTheExistingContent)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("l.txt");
    const struct {
        QByteArray before, after;
    } rows[] = {
        { "http://x\r\nhttp://no-line-end", "http://x\r\nhttp://no-line-end\r\nhttp://a,b\r\n" },
        { "http://x\n", "http://x\nhttp://a,b\r\n" },
        { "", "http://a,b\r\n" },
    };
    for (const auto& row : rows) {
        put(path, row.before);
        ASSERT_TRUE(ListFile::append(path, { "http://a,b" }).isOk());
        EXPECT_EQ(contents(path), QByteArray(row.after).replace("http://a,b", "\"http://a,b\""));
    }
}

// A full disk (here a file size limit) fails the save however small the list: the old
// file stays whole, no temporary file is left, and the failure is reported.
TEST(ListFile, AFailedWriteKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("l.txt");
    const QByteArray old = "http://old\r\n";
    QStringList entries;
    for (int i = 0; i < 500; ++i)
        entries.append(QStringLiteral("http://example.org/page/%1").arg(i));
    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    for (const bool append : { false, true }) {
        put(path, old);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const Result<> written
            = append ? ListFile::append(path, entries) : ListFile::save(path, entries);
        setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_TRUE(written.isFailed()) << append;
        EXPECT_FALSE(written.message().isEmpty());
        if (!append) {
            EXPECT_EQ(contents(path), old);
        }
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "l.txt" });
    }
    std::signal(SIGXFSZ, oldHandler);
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
