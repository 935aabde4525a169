#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include "builders/ui/Form10.h"
#include "support/DialogTesting.h"

using DialogTesting::Child;

TEST(Form10Test, PreselectsAppendExactlyWhenDefappend)
{
    for (const bool defappend : { false, true }) {
        Form10 dialog(defappend);
        EXPECT_EQ(Child<QRadioButton>(dialog, "Option1_1")->isChecked(), defappend);
        EXPECT_EQ(Child<QRadioButton>(dialog, "Option1_0")->isChecked(), !defappend);
    }
}

TEST(Form10Test, OkReturnsTheSelectedOption)
{
    struct Row {
        bool defappend;
        const char* click;
        bool expected;
    };
    const Row rows[] = {
        { false, nullptr, false },
        { true, nullptr, true },
        { false, "Option1_1", true },
        { true, "Option1_0", false },
    };
    for (const Row& row : rows) {
        Form10 dialog(row.defappend);
        if (row.click)
            Child<QRadioButton>(dialog, row.click)->click();
        Child<QPushButton>(dialog, "Command1")->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        ASSERT_TRUE(dialog.choice().has_value());
        EXPECT_EQ(*dialog.choice(), row.expected) << row.defappend << (row.click ? row.click : "");
    }
}

TEST(Form10Test, ClosingWithoutOkGivesNoChoice)
{
    Form10 dialog(true);
    dialog.show();
    Child<QRadioButton>(dialog, "Option1_0")->click();
    dialog.close();
    EXPECT_FALSE(dialog.choice().has_value());

    Form10 escaped(false);
    escaped.show();
    QTest::keyClick(&escaped, Qt::Key_Escape);
    EXPECT_FALSE(escaped.isVisible());
    EXPECT_FALSE(escaped.choice().has_value());
}

TEST(Form10Look, CaptionsAndFrame)
{
    Form10 dialog(false);
    if (DialogTesting::KeepOpen()) {
        dialog.exec();
        return;
    }
    DialogTesting::ExpectFixedDialog(dialog, "Select Desired Action",
        { { "Option1_0", "Build new list" }, { "Option1_1", "Append to list" },
            { "Command1", "OK" } },
        "Command1");
}
