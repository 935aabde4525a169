#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

#include "listops/LinkList.h"

TEST(LinkList, KeepsInsertionOrderAndIndexesDuplicates)
{
    LinkList list;
    QAbstractItemModelTester tester(&list);
    list.add("http://b");
    list.add("http://a");
    list.add("http://b");
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.at(0), "http://b");
    EXPECT_EQ(list.at(1), "http://a");
    EXPECT_TRUE(list.contains("http://a"));
    EXPECT_FALSE(list.contains("HTTP://A"));
    list.removeAt(0);
    EXPECT_TRUE(list.contains("http://b")); // the second copy is still listed
    list.removeAt(1);
    EXPECT_FALSE(list.contains("http://b"));
}

TEST(LinkList, StopsAtTheLimitAndKeepsWhatItAdded)
{
    LinkList list;
    QStringList many;
    for (int i = 0; i < LinkList::MaxEntries + 5; ++i)
        many.append(QStringLiteral("http://h/%1").arg(i));
    EXPECT_EQ(list.addMany(many), LinkList::MaxEntries);
    EXPECT_TRUE(list.isFull());
    EXPECT_FALSE(list.add("http://one-more"));
    EXPECT_EQ(list.count(), LinkList::MaxEntries);
    EXPECT_EQ(list.at(LinkList::MaxEntries - 1), many.at(LinkList::MaxEntries - 1));
}

TEST(LinkList, SelectionAndCurrentEntry)
{
    LinkList list;
    list.addMany({ "http://a", "http://b", "http://c" });
    EXPECT_EQ(list.currentIndex(), -1);
    list.setRangeSelected(0, 2, true);
    EXPECT_EQ(list.selectedCount(), 3);
    list.setSelected(1, false);
    EXPECT_EQ(list.selectedIndexes(), (QList<int> { 0, 2 }));
    list.setCurrentIndex(2);
    EXPECT_EQ(list.currentIndex(), 2);
    list.clear();
    EXPECT_EQ(list.selectedCount(), 0);
    EXPECT_EQ(list.currentIndex(), -1);
}

TEST(LinkList, NeverHoldsANulCharacterOrAnOverLongEntry)
{
    LinkList list;
    const QString nul = QString::fromUtf8("http://a\0b", 10);
    const QString longest = "http://h/" + QString(LinkList::MaxEntryLength - 9, 'x');
    EXPECT_FALSE(list.add(nul));
    EXPECT_FALSE(list.add(longest + 'x'));
    EXPECT_EQ(list.addMany({ "http://1", nul, longest, longest + 'x', "http://2" }), 3);
    EXPECT_EQ(list.entries(), (QStringList { "http://1", longest, "http://2" }));
}

TEST(LinkList, ContextStaysWithItsEntry)
{
    LinkList list;
    const EntryContext image { EntryKind::Image, "A cat", "http://h/page", "Cats" };
    list.add("http://h/plain");
    EXPECT_EQ(list.addEntries({ { "http://h/cat.jpg", image }, { QString(1, QChar(u'\0')), image },
                  { "http://h/b", {} } }),
        2);
    list.addMany(QStringList { "http://h/c" });
    list.removeAt(0);
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.entryAt(0), (ListEntry { "http://h/cat.jpg", image }));
    EXPECT_TRUE(list.contextAt(1).isEmpty());
    EXPECT_TRUE(list.contextAt(2).isEmpty());
    const QString tip = list.data(list.index(0), Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.contains("image: A cat") && tip.contains("http://h/page")) << tip.toStdString();
}
