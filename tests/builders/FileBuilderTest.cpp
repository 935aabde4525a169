#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "builders/FileBuilder.h"
#include "core/Preferences.h"
#include "listops/LinkList.h"
#include "listops/ListFile.h"

class FileBuilderTest : public ::testing::Test
{
protected:
    QString write(const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("list%1.txt").arg(++m_files));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    // Reads the file and replaces the list with its items.
    FileBuild run(const QString& path)
    {
        items = FileBuilder::read(path, prefs);
        return FileBuilder::apply(items, false, list);
    }

    QTemporaryDir m_dir;
    int m_files = 0;
    Preferences prefs;
    LinkList list;
    FileItems items;
};

TEST_F(FileBuilderTest, SavedListReadsBackTheSame)
{
    const QStringList entries { "http://a/1", "HTTP://B", "ftp://c", "mailto:x@y",
        "javascript:go()", QStringLiteral("http://d/\u00e9") };
    const QString path = m_dir.filePath("saved.txt");
    ASSERT_TRUE(ListFile::save(path, entries).isOk());
    list.add("http://old");
    EXPECT_EQ(run(path).added, entries.size());
    EXPECT_EQ(list.entries(), entries);
    EXPECT_TRUE(items.stop.isOk());
}

// Any entry the list holds, however long or quoted, reads back as it was saved.
TEST_F(FileBuilderTest, LongestAndQuotedEntriesReadBackEntryForEntry)
{
    const QStringList entries { "http://a/" + QString(70000, 'x'),
        "http://b/" + QString(LinkList::MaxEntryLength - 9, QChar(0x20AC)), "http://c/x,y",
        "http://d/" };
    const QString path = m_dir.filePath("long.txt");
    ASSERT_TRUE(ListFile::save(path, entries).isOk());
    (void)run(path);
    EXPECT_EQ(list.entries(), entries);
    EXPECT_TRUE(items.stop.isOk());
    // A NUL byte past the first block leaves only its own item out.
    const QByteArray padded = "http://a/" + QByteArray(70000, 'x');
    (void)run(write(padded + QByteArray("\r\nhttp://x\0y\r\nhttp://b\r\n", 24)));
    EXPECT_EQ(list.entries(), (QStringList { QString::fromLatin1(padded), "http://b" }));
}

TEST_F(FileBuilderTest, StopsAtTheFirstItemThatIsNotALink)
{
    struct Row {
        QByteArray bytes;
        QStringList added;
    };
    const Row rows[] = {
        { "http://a\r\n\r\nhttp://b\r\n", { "http://a" } },
        { "http://a\r\nhttp://b\r\n\r\n", { "http://a", "http://b" } },
        { "http://x/?a=1,2\r\nhttp://b", { "http://x/?a=1" } },
        { "www.a.org\r\nhttp://b", { "http://old" } }, // nothing found: the list stays
    };
    for (const Row& row : rows) {
        list.clear();
        list.add("http://old");
        (void)run(write(row.bytes));
        EXPECT_EQ(items.stop.message(), FileBuilder::badFormatMessage());
        EXPECT_EQ(items.stopTitle, "Bad Format");
        EXPECT_EQ(list.entries(), row.added);
    }
}

TEST_F(FileBuilderTest, ValidityNeedsNoColonAfterMailtoAndExclusionsDropSilently)
{
    prefs.exmt = true;
    (void)run(write("  Mailto x@y\r\nMAILTO:z\r\nhttp://a\r\n"));
    EXPECT_EQ(list.entries(), QStringList { "http://a" });
    EXPECT_TRUE(items.stop.isOk());
    // Only excluded items: found, so the list is replaced by nothing.
    (void)run(write("mailto:z\r\n"));
    EXPECT_TRUE(items.found);
    EXPECT_TRUE(list.isEmpty());
}

TEST_F(FileBuilderTest, AFileWithoutValidItemsChangesNothing)
{
    QByteArray binary("http://a\r\n\0\0\x01\x02", 14);
    struct Row {
        QString path;
        const char* title; // of the stop; empty when the file was read to its end
    };
    const Row rows[] = {
        { m_dir.filePath("missing.txt"), "Error" },
        { m_dir.path(), "Error" },
        { write(binary), "Error" },
        { write(""), "" },
    };
    list.add("http://old");
    for (const Row& row : rows) {
        EXPECT_EQ(run(row.path).added, 0) << row.path.toStdString();
        EXPECT_FALSE(items.found);
        EXPECT_EQ(items.stopTitle, row.title);
        EXPECT_EQ(items.stop.isFailed(), !items.stopTitle.isEmpty());
        EXPECT_EQ(list.entries(), QStringList { "http://old" });
    }
}

TEST_F(FileBuilderTest, StopsAtTheListLimit)
{
    QByteArray bytes;
    for (int i = 0; i < LinkList::MaxEntries + 10; ++i)
        bytes += "http://h/" + QByteArray::number(i) + "\r\n";
    const FileBuild built = run(write(bytes));
    EXPECT_TRUE(built.limitReached);
    EXPECT_EQ(built.added, LinkList::MaxEntries);
    EXPECT_EQ(list.count(), LinkList::MaxEntries);
}
