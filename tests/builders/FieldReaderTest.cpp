#include <QBuffer>
#include <gtest/gtest.h>

#include "builders/FieldReader.h"

namespace
{

// Reads every field; a failure appends "!" followed by the error.
QStringList readAll(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    FieldReader reader(buffer);
    QStringList fields;
    while (!reader.atEnd()) {
        const std::optional<Result<QString>> field = reader.next();
        if (!field || !*field) {
            fields.append("!" + (field ? field->message() : QString()));
            break;
        }
        fields.append(field->value());
    }
    return fields;
}

} // namespace

TEST(FieldReader, SplitsFieldsAsListFilesAreRead)
{
    struct Row {
        QByteArray bytes;
        QStringList fields;
    };
    const Row rows[] = {
        { "", {} },
        { "a\r\nb\r\n", { "a", "b" } },
        { "a\r\n\r\nb", { "a", "", "b" } },
        { "a\r\nb\r\n\r\n", { "a", "b", "" } },
        { "a\nb", { "a", "b" } },
        { "http://x/?a=1,2\r\n", { "http://x/?a=1", "2" } },
        { "   http://x  \r\n", { "http://x  " } },
        { "\"a,b\r\nc\"tail,d", { "a,b\r\nc", "d" } },
        { "\"unterminated", { "unterminated" } },
        { "\xEF\xBB\xBFhttp://x", { "http://x" } },
        { "http://x/\xC3\xA9", { QStringLiteral("http://x/\u00e9") } },
    };
    for (const Row& row : rows)
        EXPECT_EQ(readAll(row.bytes), row.fields) << row.bytes.toStdString();
}

TEST(FieldReader, OverLongFieldsAreErrorsAndNulBytesStayInTheirField)
{
    const QStringList fields
        = readAll(QByteArray("http://a\r\n") + QByteArray(FieldReader::MaxFieldBytes + 1, 'x'));
    ASSERT_EQ(fields.size(), 2);
    EXPECT_EQ(fields[0], "http://a");
    EXPECT_TRUE(fields[1].startsWith("!") && fields[1].size() > 1) << fields[1].toStdString();
    EXPECT_EQ(readAll(QByteArray("ab\0cd,http://b", 14)),
        QStringList({ QString::fromUtf8("ab\0cd", 5), "http://b" }));
    // A field that is not valid UTF-8 is Windows-1252 text; valid UTF-8 stays UTF-8.
    EXPECT_EQ(readAll("http://a/caf\xE9\x80,http://b/caf\xC3\xA9"),
        QStringList({ QString::fromUtf8("http://a/caf\u00E9\u20AC"),
            QString::fromUtf8("http://b/caf\u00E9") }));
    // A field of exactly the limit is still read.
    EXPECT_EQ(readAll(QByteArray(FieldReader::MaxFieldBytes, 'x')).first().size(),
        FieldReader::MaxFieldBytes);
}
