#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "builders/FileBuilder.h"
#include "core/MainState.h"
#include "listops/LinkList.h"
#include "listops/ListFile.h"
#include "support/ScriptedPrompt.h"

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
    Result<FileBuild> run(const QString& path)
    {
        return FileBuilder::run(path, state.append, state.prefs, list, prompt);
    }

    QTemporaryDir m_dir;
    int m_files = 0;
    MainState state;
    LinkList list;
    ScriptedPrompt prompt;
};

TEST_F(FileBuilderTest, SavedListReadsBackTheSame)
{
    const QStringList entries { "http://a/1", "HTTP://B", "ftp://c", "mailto:x@y",
        "javascript:go()", QStringLiteral("http://d/\u00e9") };
    const QString path = m_dir.filePath("saved.txt");
    ASSERT_TRUE(ListFile::save(path, entries).isOk());
    const Result<FileBuild> r = run(path);
    EXPECT_EQ(list.entries(), entries);
    EXPECT_EQ(r.value().added, entries.size());
    EXPECT_TRUE(prompt.messages.isEmpty());
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
    EXPECT_TRUE(prompt.messages.isEmpty());
    // A NUL byte past the first block leaves only its own item out.
    list.clear();
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
        { "www.a.org\r\nhttp://b", {} },
    };
    for (const Row& row : rows) {
        list.clear();
        prompt.messages.clear();
        const Result<FileBuild> r = run(write(row.bytes));
        EXPECT_EQ(r.message(), FileBuilder::badFormatMessage());
        EXPECT_EQ(list.entries(), row.added);
        ASSERT_EQ(prompt.messages.size(), 1);
        EXPECT_EQ(prompt.messages[0].title, "Bad Format");
        EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Critical);
    }
}

TEST_F(FileBuilderTest, ValidityNeedsNoColonAfterMailtoAndExclusionsDropSilently)
{
    state.prefs.exmt = true;
    (void)run(write("  Mailto x@y\r\nMAILTO:z\r\nhttp://a\r\n"));
    EXPECT_EQ(list.entries(), QStringList { "http://a" });
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(FileBuilderTest, AsksOnceBeforeTheFirstValidItem)
{
    list.add("http://old");
    prompt.desiredActions.push_back(false);
    (void)run(write("http://a\r\nhttp://b"));
    EXPECT_EQ(prompt.desiredActionAsked, 1);
    EXPECT_EQ(list.entries(), (QStringList { "http://a", "http://b" }));

    // A first item that is not a link stops before the question: nothing is cleared.
    (void)run(write("nope\r\nhttp://c"));
    EXPECT_EQ(prompt.desiredActionAsked, 1);
    EXPECT_EQ(list.count(), 2);

    // An empty file neither asks nor clears.
    (void)run(write(""));
    EXPECT_EQ(prompt.desiredActionAsked, 1);
    EXPECT_EQ(list.count(), 2);
}

TEST_F(FileBuilderTest, UnreadableFilesChangeNothing)
{
    QByteArray binary("http://a\r\n\0\0\x01\x02", 14);
    const QString rows[] = {
        m_dir.filePath("missing.txt"),
        m_dir.path(),
        write(binary),
    };
    list.add("http://old");
    for (const QString& path : rows) {
        prompt.messages.clear();
        EXPECT_TRUE(run(path).isFailed()) << path.toStdString();
        EXPECT_EQ(list.entries(), QStringList { "http://old" });
        ASSERT_EQ(prompt.messages.size(), 1);
        EXPECT_EQ(prompt.messages[0].title, "Error");
    }
    EXPECT_EQ(prompt.desiredActionAsked, 0);
}

TEST_F(FileBuilderTest, StopsAtTheListLimit)
{
    QByteArray bytes;
    for (int i = 0; i < LinkList::MaxEntries + 10; ++i)
        bytes += "http://h/" + QByteArray::number(i) + "\r\n";
    const Result<FileBuild> r = run(write(bytes));
    EXPECT_TRUE(r.value().limitReached);
    EXPECT_EQ(r.value().added, LinkList::MaxEntries);
    EXPECT_EQ(list.count(), LinkList::MaxEntries);
    EXPECT_EQ(prompt.titles(), QStringList { "List Full" });
}
