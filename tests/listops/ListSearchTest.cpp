#include <gtest/gtest.h>

#include "core/SearchState.h"
#include "listops/LinkList.h"
#include "listops/ListSearch.h"
#include "support/ScriptedPrompt.h"

class ListSearchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        list.addMany({ "http://a", "http://bx", "http://cx", "http://DX" });
        QObject::connect(&list, &LinkList::topIndexRequested, [this](int i) { top = i; });
    }
    bool search(const QString& text, bool add2sel, bool mcase = false, bool fnext = false)
    {
        ListSearch::applyRequest(state, SearchRequest { text, mcase, add2sel, fnext });
        return ListSearch::run(state, list, prompt);
    }

    SearchState state;
    LinkList list;
    ScriptedPrompt prompt;
    int top = -1;
};

TEST_F(ListSearchTest, FindThenFindNextWithoutAddToSelection)
{
    list.setSelected(0, true);
    EXPECT_TRUE(search("x", false));
    EXPECT_EQ(list.selectedIndexes(), QList<int> { 1 });
    EXPECT_EQ(top, 1);
    EXPECT_TRUE(search("x", false, false, true));
    EXPECT_EQ(list.selectedIndexes(), (QList<int> { 1, 2 }));
    EXPECT_TRUE(search("x", false, false, true)); // "DX" without match case
    EXPECT_EQ(list.selectedIndexes(), (QList<int> { 1, 2, 3 }));
    EXPECT_EQ(state.srchidx, 3);
    EXPECT_FALSE(search("x", false, false, true)); // no wrap-around
    EXPECT_EQ(prompt.titles(), QStringList { "Not Found" });
    EXPECT_EQ(prompt.messages[0].text, "Search text not found");
    EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Information);
    EXPECT_EQ(state.srchidx, 3);
}

TEST_F(ListSearchTest, AddToSelectionKeepsEarlierSelectionsAndStopsAtTheMatch)
{
    list.setSelected(0, true);
    list.setSelected(3, true);
    EXPECT_TRUE(search("X", true));
    EXPECT_EQ(list.selectedIndexes(), (QList<int> { 0, 1, 3 }));
}

TEST_F(ListSearchTest, MatchCaseAndANoMatchScanThatStillClears)
{
    EXPECT_TRUE(search("X", false, true));
    EXPECT_EQ(list.selectedIndexes(), QList<int> { 3 });
    EXPECT_FALSE(search("zz", false));
    EXPECT_TRUE(list.selectedIndexes().isEmpty());
    EXPECT_EQ(state.srchidx, 3);
}

TEST_F(ListSearchTest, FirstFindNextStartsAtTheSecondEntry)
{
    EXPECT_TRUE(search("http", true, false, true));
    EXPECT_EQ(state.srchidx, 1);
}

TEST_F(ListSearchTest, CancelOrEmptyTextDoesNothingAnEmptyListFindsNothing)
{
    list.setSelected(2, true);
    ListSearch::applyRequest(state, std::nullopt);
    EXPECT_FALSE(ListSearch::run(state, list, prompt));
    EXPECT_FALSE(search("", false));
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_EQ(list.selectedIndexes(), QList<int> { 2 });

    list.clear();
    EXPECT_FALSE(search("a", true));
    EXPECT_EQ(prompt.titles(), QStringList { "Not Found" });
}
