#include <QBuffer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "listops/EntryJsonLines.h"
#include "listops/EntryWriter.h"
#include "listops/LinkList.h"
#include "support/QtPrinters.h"

namespace
{

// Entries whose fields hold everything a format must carry: separators, quotes, line ends
// of both kinds, characters outside ASCII and outside the basic plane, empty fields.
ListEntries awkwardEntries()
{
    return {
        { "http://h/a,b?q=\"x\"", { EntryKind::Image, "alt, with \"quotes\"", "http://h/p", "T" } },
        { "http://h/é/😀", { EntryKind::Video, "line\nbreak\r\nand CR\r", "", "Zoë 😀" } },
        { "ftp://h/plain", {} },
    };
}

Result<> save(const QString& path, EntryFormat format, const ListEntries& entries)
{
    LinkList list;
    list.addEntries(entries);
    return EntryWriter::save(path, format, list);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// The CSV is read back by Python's csv module, a reader that owes nothing to the writer.
TEST(EntryWriterTest, CsvReadsBackWithAStandardReader)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("list.csv");
    const ListEntries entries = awkwardEntries();
    ASSERT_TRUE(save(path, EntryFormat::Csv, entries).isOk());

    QProcess python;
    python.start("python3",
        { "-c",
            "import csv, json, sys\n"
            "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
            "    print(json.dumps(list(csv.reader(f))))\n",
            path });
    ASSERT_TRUE(python.waitForFinished(30000));
    const QJsonArray rows = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    ASSERT_EQ(rows.size(), entries.size() + 1) << python.readAllStandardError().toStdString();
    EXPECT_EQ(rows.at(0).toArray(), QJsonArray({ "url", "kind", "text", "page", "title" }));
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const ListEntry& e = entries.at(i);
        EXPECT_EQ(rows.at(i + 1).toArray(),
            QJsonArray({ e.url, entryKindName(e.context.kind), e.context.text, e.context.page,
                e.context.title }));
    }
    EXPECT_TRUE(readFile(path).endsWith("ftp://h/plain,link,,,\r\n"));
}

TEST(EntryWriterTest, JsonLinesReadBackEntryForEntry)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("list.jsonl");
    const ListEntries entries = awkwardEntries();
    ASSERT_TRUE(save(path, EntryFormat::JsonLines, entries).isOk());

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count('\n'), entries.size()) << "one line an entry";
    file.seek(0);
    EntryJsonLines reader(file);
    ListEntries read;
    while (const std::optional<Result<ListEntry>> entry = reader.next()) {
        ASSERT_TRUE(entry->isOk()) << entry->message().toStdString();
        read.append(entry->value());
    }
    EXPECT_EQ(read, entries);
}

TEST(EntryWriterTest, JsonLinesRefuseWhatIsNotAnEntry)
{
    QByteArray text = "\n{\"url\":\"http://a/\"}\n"
                      "not json\n"
                      "[\"http://a/\"]\n"
                      "{\"kind\":\"image\"}\n"
                      "{\"url\":\"http://a/\",\"kind\":\"sprite\"}\n"
                      "{\"url\":\"http://a/\",\"text\":3}\n";
    QBuffer buffer(&text);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    EntryJsonLines reader(buffer);
    std::optional<Result<ListEntry>> entry = reader.next();
    ASSERT_TRUE(entry && entry->isOk());
    EXPECT_EQ(entry->value(), (ListEntry { "http://a/", {} })) << "missing fields are empty";
    for (int line = 3; line <= 7; ++line) {
        entry = reader.next();
        ASSERT_TRUE(entry);
        EXPECT_TRUE(entry->isFailed());
        EXPECT_TRUE(entry->message().startsWith(QStringLiteral("line %1: ").arg(line)))
            << entry->message().toStdString();
    }
    EXPECT_FALSE(reader.next());
}

TEST(EntryWriterTest, Aria2InputKeepsOneLinkALineWithItsReferer)
{
    const struct {
        ListEntry entry;
        QByteArray lines;
    } rows[] = {
        { { "http://h/a b.png", {} }, "http://h/a b.png\n" },
        { { "http://h/i.png", { EntryKind::Image, "x", "http://h/page", "" } },
            "http://h/i.png\n  referer=http://h/page\n" },
        { { "http://h/a\tb\nc", { EntryKind::Link, "", "http://h/p\r\n  dir=/", "" } },
            "http://h/a%09b%0Ac\n  referer=http://h/p%0D%0A  dir=/\n" },
        { { " #http://h/c", {} }, "%20%23http://h/c\n" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.entry.url.toStdString());
        EXPECT_EQ(EntryWriter::encode(EntryFormat::Aria2, row.entry), row.lines);
    }
}
