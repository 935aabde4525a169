#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include "builders/ui/Form5.h"
#include "support/DialogTesting.h"
#include "winsupport/UrlHistory.h"

using DialogTesting::Child;

namespace
{

class Form5Test : public ::testing::Test
{
protected:
    UrlHistory history;
};

UrlDialogInput withEntry(const QString& entry)
{
    UrlDialogInput in;
    in.hasCurrentEntry = true;
    in.currentEntry = entry;
    return in;
}

} // namespace

TEST_F(Form5Test, TextBoxModeEnablesBuildOnlyWhileAUrlIsTyped)
{
    Form5 d(UrlDialogInput {}, history);
    auto* text1 = Child<QLineEdit>(d, "Text1");
    auto* build = Child<QPushButton>(d, "Command1");
    EXPECT_FALSE(text1->isHidden());
    EXPECT_TRUE(Child<QComboBox>(d, "Combo1")->isHidden());
    EXPECT_FALSE(build->isEnabled());
    QTest::keyClicks(text1, "h");
    EXPECT_TRUE(build->isEnabled());
    QTest::keyClick(text1, Qt::Key_Backspace);
    EXPECT_FALSE(build->isEnabled());
}

TEST_F(Form5Test, BuildReturnsTheTypedUrlAndAppendChoice)
{
    for (const bool defappend : { false, true }) {
        UrlDialogInput in;
        in.defappend = defappend;
        Form5 d(in, history);
        auto* check2 = Child<QCheckBox>(d, "Check2");
        EXPECT_EQ(check2->isChecked(), defappend);
        QTest::keyClicks(Child<QLineEdit>(d, "Text1"), " http://example.org/a b ");
        check2->click();
        Child<QPushButton>(d, "Command1")->click();
        ASSERT_TRUE(d.request().has_value());
        EXPECT_EQ(d.request()->url, " http://example.org/a b ");
        EXPECT_EQ(d.request()->append, !defappend);
        EXPECT_EQ(history.urls().front(), "http://example.org/a b"); // offered next time
    }
}

// The dialog shows what the harvest collects now and returns the choice made there.
TEST_F(Form5Test, CollectChoiceIsShownAndReturned)
{
    const struct {
        HarvestCollect shown;
        int pick;
        HarvestCollect chosen;
    } rows[] = {
        { HarvestCollect::Links, 1, HarvestCollect::Media },
        { HarvestCollect::Media, 2, HarvestCollect::Both },
        { HarvestCollect::Both, 0, HarvestCollect::Links },
    };
    for (const auto& row : rows) {
        UrlDialogInput in;
        in.collect = row.shown;
        Form5 d(in, history);
        auto* collect = Child<QComboBox>(d, "cboCollect");
        EXPECT_EQ(collect->currentText(),
            row.shown == HarvestCollect::Both ? QStringLiteral("Links and media")
                                              : harvestCollectName(row.shown));
        collect->setCurrentIndex(row.pick);
        QTest::keyClicks(Child<QLineEdit>(d, "Text1"), "http://example.org/");
        Child<QPushButton>(d, "Command1")->click();
        ASSERT_TRUE(d.request().has_value());
        EXPECT_EQ(d.request()->collect, row.chosen);
    }
}

TEST_F(Form5Test, CurrentEntryIsOfferedInTheComboBox)
{
    Form5 d(withEntry("http://example.org/listed"), history);
    auto* combo = Child<QComboBox>(d, "Combo1");
    auto* build = Child<QPushButton>(d, "Command1");
    EXPECT_TRUE(Child<QLineEdit>(d, "Text1")->isHidden());
    EXPECT_FALSE(combo->isHidden());
    EXPECT_EQ(combo->count(), 1);
    EXPECT_EQ(combo->currentText(), "http://example.org/listed");
    EXPECT_TRUE(build->isEnabled());

    combo->lineEdit()->clear();
    EXPECT_FALSE(build->isEnabled());
    QTest::keyClicks(combo->lineEdit(), "ftp://other/");
    EXPECT_TRUE(build->isEnabled());
    build->click();
    ASSERT_TRUE(d.request().has_value());
    EXPECT_EQ(d.request()->url, "ftp://other/");
}

TEST_F(Form5Test, EnterWithoutUrlKeepsTheDialogOpen)
{
    Form5 d(UrlDialogInput {}, history);
    ASSERT_TRUE(DialogTesting::ShowActive(d));
    QTest::keyClick(Child<QLineEdit>(d, "Text1"), Qt::Key_Return);
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(d.request().has_value());

    QTest::keyClicks(Child<QLineEdit>(d, "Text1"), "http://x/");
    QTest::keyClick(Child<QLineEdit>(d, "Text1"), Qt::Key_Return);
    EXPECT_FALSE(d.isVisible());
    ASSERT_TRUE(d.request().has_value());
    EXPECT_EQ(d.request()->url, "http://x/");
}

TEST_F(Form5Test, CancelGivesNothing)
{
    Form5 d(withEntry("http://example.org/"), history);
    Child<QPushButton>(d, "Command3")->click();
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_FALSE(d.request().has_value());
}

TEST_F(Form5Test, FilterNoteFollowsTheFilterSwitch)
{
    for (const bool applied : { true, false }) {
        UrlDialogInput in;
        in.filtersApplied = applied;
        Form5 d(in, history);
        EXPECT_EQ(Child<QLabel>(d, "Label2")->text(),
            applied ? "Filters will be applied. (See \"Options\" menu.)"
                    : "Filters will not be applied. (See \"Options\" menu.)");
    }
}

TEST(Form5Look, CaptionsAndFrame)
{
    UrlDialogInput in;
    in.filtersApplied = true;
    UrlHistory history;
    Form5 d(in, history);
    if (DialogTesting::KeepOpen()) {
        d.exec();
        return;
    }
    DialogTesting::ExpectFixedDialog(d, "Build List from URL",
        { { "Label1", "URL:" }, { "Check2", "Append to existing list" }, { "Command1", "Build" },
            { "Command3", "Cancel" } },
        "Command1");
}
