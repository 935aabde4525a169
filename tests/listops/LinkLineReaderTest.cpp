#include <QBuffer>
#include <gtest/gtest.h>

#include "listops/LinkLineReader.h"
#include "listops/LinkList.h"
#include "support/QtPrinters.h"

namespace
{

QStringList readAll(const QByteArray& bytes, bool skipComments = false)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    LinkLineReader reader(buffer);
    reader.setSkipComments(skipComments);
    QStringList lines;
    while (const std::optional<QString> line = reader.next())
        lines.append(*line);
    EXPECT_FALSE(reader.failed());
    return lines;
}

} // namespace

TEST(LinkLineReader, ReadsOneLinkALine)
{
    const QString longest = "http://h/" + QString(LinkList::MaxEntryLength - 9, QChar(0x20AC));
    const struct {
        QByteArray bytes;
        QStringList lines;
    } rows[] = {
        { "http://a\r\nhttp://b\nhttp://c\rhttp://d",
            { "http://a", "http://b", "http://c", "http://d" } },
        { "\xEF\xBB\xBF  http://a  \r\n\r\n \t\n", { "http://a" } },
        // A list file's quoted entry is read without its quotes; other quotes stay.
        { "\"http://a/x,y\"\r\n\"http://b\" x\r\nhttp://\"c\"",
            { "http://a/x,y", "\"http://b\" x", "http://\"c\"" } },
        { "http://caf\xE9\nhttp://caf\xC3\xA9",
            { QStringLiteral("http://caf\u00E9"), QStringLiteral("http://caf\u00E9") } },
        { QByteArray("http://a\0b\nhttp://c", 19), { "http://c" } },
        { "http://a/" + QByteArray(3 * LinkList::MaxEntryLength, 'x') + "\nhttp://c",
            { "http://c" } },
        { longest.toUtf8() + "\n", { longest } },
    };
    for (const auto& row : rows)
        EXPECT_EQ(readAll(row.bytes), row.lines) << row.bytes.left(60).toStdString();
}

TEST(LinkLineReader, TellsEachSkippedLineWithItsNumber)
{
    QBuffer buffer;
    buffer.setData(QByteArray("http://a\r\n\r\nhttp://b\0\nhttp://c\r", 31)
        + QByteArray(3 * LinkList::MaxEntryLength + 3, 'x') + "\nhttp://d");
    buffer.open(QIODevice::ReadOnly);
    LinkLineReader reader(buffer);
    QStringList told;
    reader.setSkipHandler([&told](qint64 line, const QString& reason) {
        told.append(QString::number(line) + ": " + reason);
    });
    QStringList lines;
    while (const std::optional<QString> line = reader.next())
        lines.append(QString::number(reader.lineNumber()) + " " + *line);
    EXPECT_EQ(lines, QStringList({ "1 http://a", "4 http://c", "6 http://d" }));
    ASSERT_EQ(told.size(), 2);
    EXPECT_EQ(told[0], "3: it holds a NUL byte");
    EXPECT_TRUE(told[1].startsWith("5: it is longer than")) << told[1].toStdString();
}

TEST(LinkLineReader, SkipsCommentLinesOnlyWhenAsked)
{
    const QByteArray text = "# notes\r\n \t#http://a\nhttp://b#c\n\"#d\"\n";
    EXPECT_EQ(readAll(text, true), QStringList({ "http://b#c", "#d" }));
    EXPECT_EQ(readAll(text), QStringList({ "# notes", "#http://a", "http://b#c", "#d" }));
}
