#include <gtest/gtest.h>

#include "builders/SequenceBuilder.h"
#include "listops/LinkList.h"

namespace
{

const QString Pattern = QStringLiteral("http://h/img05.jpg");

SequenceRequest request(const QString& start, const QString& end, bool append = false)
{
    return SequenceRequest { Pattern, 12, 2, start, end, append };
}

} // namespace

TEST(SequenceBuilder, MaskWidthComesFromTheStartText)
{
    struct Row {
        QString start, end;
        QStringList parts;
    };
    const Row rows[] = {
        { "05", "12", { "05", "06", "07", "08", "09", "10", "11", "12" } },
        { "5", "12", { "5", "6", "7", "8", "9", "10", "11", "12" } },
        { "098", "101", { "098", "099", "100", "101" } },
        { "8", "10", { "8", "9", "10" } },
        { "7", "7", { "7" } },
        { QString(63, '0') + "1", "1", { QString(63, '0') + "1" } },
    };
    for (const Row& row : rows) {
        LinkList list;
        const Result<SequenceRun> r = SequenceBuilder::build(request(row.start, row.end), list);
        ASSERT_TRUE(r.isOk());
        QStringList expected;
        for (const QString& p : row.parts)
            expected.append("http://h/img" + p + ".jpg");
        EXPECT_EQ(list.entries(), expected) << row.start.toStdString();
        EXPECT_EQ(r.value().added, expected.size());
    }
}

TEST(SequenceBuilder, StartPastEndStillEmptiesTheListUnlessAppending)
{
    LinkList list;
    list.add("http://old");
    EXPECT_EQ(SequenceBuilder::build(request("9", "3", true), list).value().added, 0);
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(SequenceBuilder::build(request("9", "3"), list).value().added, 0);
    EXPECT_TRUE(list.isEmpty());
}

TEST(SequenceBuilder, CountsDownWhenAskedKeepingTheStartWidth)
{
    const struct {
        QString start, end;
        QStringList numbers;
    } rows[] = {
        { "5", "1", { "5", "4", "3", "2", "1" } },
        { "010", "8", { "010", "009", "008" } },
        { "7", "7", { "7" } },
        { "2", "4", { "2", "3", "4" } },
    };
    for (const auto& row : rows) {
        LinkList list;
        const Result<SequenceRun> r = SequenceBuilder::build(
            request(row.start, row.end), list, SequenceBuilder::PastEnd::CountDown);
        ASSERT_TRUE(r.isOk());
        QStringList expected;
        for (const QString& n : row.numbers)
            expected.append("http://h/img" + n + ".jpg");
        EXPECT_EQ(list.entries(), expected) << row.start.toStdString();
    }
}

TEST(SequenceBuilder, RefusedRequestsChangeNothing)
{
    const SequenceRequest rows[] = {
        request("", "5"), request("1", ""), request("1a", "5"), request(" 1", "5"),
        request("-1", "5"), request("1", "2147483648"), request("99999999999", "1"),
        request(QString(64, '0') + "1", "1"), // wider than 64 digits
        { Pattern, 3, 0, "1", "5", false }, // no selection
        { Pattern, 17, 5, "1", "5", false }, // past the URL's end
    };
    for (const SequenceRequest& row : rows) {
        LinkList list;
        list.add("http://old");
        EXPECT_TRUE(SequenceBuilder::build(row, list).isFailed())
            << row.startText.toStdString() << ".." << row.endText.toStdString();
        EXPECT_EQ(list.entries(), QStringList { "http://old" });
    }
    LinkList list;
    EXPECT_EQ(SequenceBuilder::build({ Pattern, 0, 0, "1", "2", false }, list).message(),
        SequenceBuilder::selectionMissingMessage());
    EXPECT_EQ(SequenceBuilder::build(request(QString(100000, '0'), "1"), list).message(),
        "Start # has 100000 digits; the numbers may have at most 64 digits.");
}

TEST(SequenceBuilder, ARunPastTheLimitStopsThere)
{
    LinkList list;
    list.add("http://old");
    const Result<SequenceRun> r = SequenceBuilder::build(request("0", "2147483647", true), list);
    ASSERT_TRUE(r.isOk());
    EXPECT_TRUE(r.value().limitReached);
    EXPECT_EQ(list.count(), LinkList::MaxEntries);
    EXPECT_EQ(r.value().added, LinkList::MaxEntries - 1);
    EXPECT_EQ(r.value().notAdded, 2147483648LL - r.value().added);
    EXPECT_EQ(list.at(1), "http://h/img0.jpg");
}

TEST(SequenceBuilder, KeyFilterAndDropDownItems)
{
    EXPECT_EQ(SequenceBuilder::OnlyNum(8), 8);
    EXPECT_EQ(SequenceBuilder::OnlyNum('7'), '7');
    EXPECT_EQ(SequenceBuilder::OnlyNum('a'), 0);
    const QStringList items = SequenceBuilder::numberItems(3);
    ASSERT_EQ(items.size(), 500);
    EXPECT_EQ(items.first(), "001");
    EXPECT_EQ(items.last(), "500");
}
