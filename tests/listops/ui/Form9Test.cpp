#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include "listops/ui/Form9.h"
#include "support/DialogTesting.h"

using DialogTesting::Child;

TEST(Form9Test, FindAndFindNextReturnTheTextAndOptions)
{
    struct Row {
        const char* button;
        bool toggleCase;
        bool toggleSelection;
        SearchRequest expected;
    };
    const Row rows[] = {
        { "Command1", false, false, { "Abc", false, true, false } },
        { "Command2", false, false, { "Abc", false, true, true } },
        { "Command1", true, true, { "Abc", true, false, false } },
        { "Command2", true, false, { "Abc", true, true, true } },
    };
    for (const Row& row : rows) {
        Form9 d;
        QTest::keyClicks(Child<QLineEdit>(d, "Text1"), "Abc");
        if (row.toggleCase)
            Child<QCheckBox>(d, "Check1")->click();
        if (row.toggleSelection)
            Child<QCheckBox>(d, "Check2")->click();
        Child<QPushButton>(d, row.button)->click();
        ASSERT_TRUE(d.request().has_value());
        const SearchRequest r = *d.request();
        EXPECT_EQ(r.text, row.expected.text);
        EXPECT_EQ(r.matchCase, row.expected.matchCase);
        EXPECT_EQ(r.addToSelection, row.expected.addToSelection);
        EXPECT_EQ(r.findNext, row.expected.findNext) << row.button;
    }
}

TEST(Form9Test, EnterIsFindAndCancelGivesNothing)
{
    Form9 d;
    ASSERT_TRUE(DialogTesting::ShowActive(d));
    QTest::keyClicks(Child<QLineEdit>(d, "Text1"), "x");
    QTest::keyClick(Child<QLineEdit>(d, "Text1"), Qt::Key_Return);
    ASSERT_TRUE(d.request().has_value());
    EXPECT_FALSE(d.request()->findNext);

    Form9 cancelled;
    QTest::keyClicks(Child<QLineEdit>(cancelled, "Text1"), "x");
    Child<QPushButton>(cancelled, "Command3")->click();
    EXPECT_FALSE(cancelled.request().has_value());
}

TEST(Form9Look, CaptionsInitialStateAndFrame)
{
    Form9 d;
    if (DialogTesting::KeepOpen()) {
        d.exec();
        return;
    }
    DialogTesting::ExpectFixedDialog(d, "Search List",
        { { "Label1", "Search text:" }, { "Check1", "Match Case" },
            { "Check2", "Add to Selection" }, { "Command1", "Find" }, { "Command2", "Find Next" },
            { "Command3", "Cancel" } },
        "Command1");
    EXPECT_TRUE(Child<QLineEdit>(d, "Text1")->text().isEmpty());
    EXPECT_FALSE(Child<QCheckBox>(d, "Check1")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(d, "Check2")->isChecked());
}
