#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

#include "app/ui/SiteCrawlDialog.h"
#include "support/DialogTesting.h"
#include "winsupport/UrlHistory.h"

using DialogTesting::Child;

TEST(SiteCrawlDialogTest, ShowsTheChoicesAndStaysOpenUntilTheyCanStartAHarvest)
{
    SiteCrawlChoices stored;
    stored.start = QStringLiteral("example.org");
    stored.options = { 4, CrawlScopeKind::Host, "*/a/*", "*/b/*", true, 250, 0, false, 2 };
    UrlHistory history;
    SiteCrawlDialog d(stored, history);
    auto* scope = Child<QComboBox>(d, "cboScope");
    auto* pattern = Child<QLineEdit>(d, "txtScopePattern");
    EXPECT_FALSE(pattern->isEnabled());
    scope->setCurrentIndex(scope->findData(int(CrawlScopeKind::Pattern)));
    EXPECT_TRUE(pattern->isEnabled());

    Child<QPushButton>(d, "cmdBuild")->click();
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_TRUE(Child<QLabel>(d, "lblProblem")->text().contains("not a web address"));
    EXPECT_EQ(d.choices(), std::nullopt);

    Child<QLineEdit>(d, "txtStart")->setText(QStringLiteral(" https://example.org/a/ "));
    Child<QPushButton>(d, "cmdBuild")->click();
    ASSERT_TRUE(d.choices());
    SiteCrawlChoices expected = stored;
    expected.start = QStringLiteral("https://example.org/a/");
    expected.options.scope = CrawlScopeKind::Pattern;
    EXPECT_EQ(*d.choices(), expected);
    EXPECT_EQ(history.urls(), QStringList { "https://example.org/a/" });
}

TEST(SiteCrawlDialogLook, CaptionsAndFrame)
{
    UrlHistory history;
    SiteCrawlDialog d(SiteCrawlChoices {}, history);
    if (DialogTesting::KeepOpen()) {
        d.exec();
        return;
    }
    DialogTesting::ExpectFixedDialog(d, "Build List from Site",
        { { "chkNextPages", "Follow &next-page links whatever the depth" },
            { "chkRobots", "Honour &robots.txt" }, { "cmdBuild", "Build" },
            { "cmdCancel", "Cancel" } },
        "cmdBuild");
}
