#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "app/ui/Form1.h"
#include "app/ui/SiteCrawlDialog.h"
#include "compose/WindowServices.h"
#include "listops/ListHistory.h"
#include "support/DialogTesting.h"
#include "support/FakeSiteCrawl.h"
#include "support/ScriptedPrompt.h"
#include "support/TempSettingsStore.h"
#include "support/WaitFor.h"

using DialogTesting::Child;
using DialogTesting::WhenModal;

TEST(Form1SiteCrawlTest, MenuDialogEscAndTheEndMakeOneUndoStep)
{
    TempSettingsStore temp;
    ScriptedPrompt prompt;
    {
        Services none = windowServices(temp.store());
        EXPECT_TRUE(none.siteCrawl);
        none.siteCrawl = nullptr;
        Form1 without(std::move(none), &prompt);
        EXPECT_FALSE(without.action(MainCommand::BuildFromSite)->isEnabled());
    }
    const auto record = std::make_shared<FakeSiteCrawl::Record>();
    Services services = windowServices(temp.store());
    services.siteCrawl = FakeSiteCrawl::factory(record);
    Form1 form(std::move(services), &prompt);
    QAction* item = form.action(MainCommand::BuildFromSite);
    ASSERT_TRUE(item->isEnabled());
    form.list().add(QStringLiteral("http://old"));
    const int steps = form.history().undoSteps();

    WhenModal<SiteCrawlDialog>([](SiteCrawlDialog* dialog) {
        Child<QLineEdit>(*dialog, "txtStart")->setText(QStringLiteral("http://s/"));
        Child<QPushButton>(*dialog, "cmdBuild")->click();
    });
    item->trigger();
    ASSERT_NE(record->live, nullptr);
    EXPECT_EQ(record->startUrl, "http://s/");
    EXPECT_TRUE(form.buildRunning());
    EXPECT_FALSE(form.windowInputEnabled());
    record->live->progress({ 1, 2, 0, 3 });
    EXPECT_EQ(form.Status(), "Pages visited 1, waiting 2, failed 0; entries 3");

    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(record->cancels, 1);
    prompt.desiredActions.push_back(true);
    record->live->finish({ { { QStringLiteral("http://s/1"), {} } }, {}, {}, true, {} });
    ASSERT_TRUE(waitFor([&] { return !form.buildRunning(); }));
    EXPECT_EQ(form.list().entries(), QStringList({ "http://old", "http://s/1" }));
    EXPECT_TRUE(form.windowInputEnabled());
    EXPECT_EQ(form.history().undoSteps(), steps + 1);
    form.action(MainCommand::Undo)->trigger();
    EXPECT_EQ(form.list().entries(), QStringList { "http://old" });
}
