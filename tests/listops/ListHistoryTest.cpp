#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

#include "listops/LinkList.h"
#include "listops/ListHistory.h"
#include "support/QtPrinters.h"

namespace
{

ListEntries entriesOf(const LinkList& list)
{
    ListEntries entries;
    for (int i = 0; i < list.count(); ++i)
        entries.append(list.entryAt(i));
    return entries;
}

} // namespace

// Each step comes back whole (addresses, contexts, selection, current entry), redo
// replays it, and a new change ends the redo.
TEST(ListHistory, UndoAndRedoRestoreEntriesContextsAndSelection)
{
    LinkList list;
    QAbstractItemModelTester tester(&list);
    ListHistory history(list);
    const EntryContext image { EntryKind::Image, "alt", "http://p/", "Page" };
    list.addEntries({ { "http://a/1.jpg", image }, { "http://a/2", {} }, { "http://a/3", {} } });
    history.checkpoint();
    const ListEntries full = entriesOf(list);
    list.setSelected(0, true);
    list.setSelected(2, true);
    list.setCurrentIndex(2);

    list.removeRows(list.selectedIndexes());
    history.checkpoint();
    list.clear();
    list.add("http://b/1");
    history.checkpoint();
    history.checkpoint(); // a step that changed nothing is not kept
    EXPECT_EQ(history.undoSteps(), 3);

    ASSERT_TRUE(history.undo());
    EXPECT_EQ(list.entries(), QStringList { "http://a/2" });
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(entriesOf(list), full);
    EXPECT_EQ(list.selectedIndexes(), (QList<int> { 0, 2 }));
    EXPECT_EQ(list.currentIndex(), 2);

    ASSERT_TRUE(history.redo());
    EXPECT_EQ(list.entries(), QStringList { "http://a/2" });
    ASSERT_TRUE(history.undo());
    ASSERT_TRUE(history.undo());
    EXPECT_TRUE(list.isEmpty());
    EXPECT_FALSE(history.undo());

    ASSERT_TRUE(history.redo());
    list.add("http://c/1");
    EXPECT_FALSE(history.redo());
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(entriesOf(list), full);
}

// At least 20 steps are kept; past the byte budget the oldest steps go first.
TEST(ListHistory, KeepsManyStepsWithinItsByteBudget)
{
    LinkList list;
    ListHistory history(list);
    for (int i = 0; i < 25; ++i) {
        list.add(QStringLiteral("http://s/%1").arg(i));
        history.checkpoint();
    }
    for (int i = 0; i < 25; ++i)
        ASSERT_TRUE(history.undo()) << i;
    EXPECT_TRUE(list.isEmpty());

    // Each clear saves about 40 MiB of addresses (shared here, so cheap to hold).
    const QString big(512 * 1024, QChar(u'x'));
    for (int round = 0; round < 2; ++round) {
        list.addMany(QStringList(40, big));
        history.checkpoint();
        list.clear();
        history.checkpoint();
        EXPECT_LE(history.bytes(), ListHistory::MaxBytes);
    }
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(list.count(), 40);
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(list.count(), 0);
    EXPECT_FALSE(history.undo()) << "the first clear was dropped";
}
