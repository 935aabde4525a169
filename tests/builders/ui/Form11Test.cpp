#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include "builders/ui/Form11.h"
#include "support/DialogTesting.h"
#include "support/ScriptedPrompt.h"

using DialogTesting::Child;

TEST(Form11Test, AddTakesLinksAndRefusesTheRestWithBadFormat)
{
    const std::pair<const char*, bool> rows[] = {
        { "https://example.org/a", true },
        { "HTTP://EXAMPLE.ORG/", true },
        { "Ftp://files.example.org/x ", true },
        { " http://example.org/", false },
        { "example.org/page", false },
        { "mailto:someone@example.org", false },
        { "", false },
    };
    for (const auto& [url, accepted] : rows) {
        ScriptedPrompt prompt;
        Form11 d(false, prompt);
        d.show();
        EXPECT_FALSE(Child<QCheckBox>(d, "Check1")->isChecked());
        QTest::keyClicks(Child<QLineEdit>(d, "Text1"), url);
        Child<QPushButton>(d, "Command1")->click();
        if (accepted) {
            EXPECT_TRUE(prompt.messages.isEmpty()) << url;
            EXPECT_FALSE(d.isVisible()) << url;
            ASSERT_TRUE(d.request().has_value()) << url;
            EXPECT_EQ(d.request()->url, url);
            EXPECT_FALSE(d.request()->append);
        } else {
            ASSERT_EQ(prompt.messages.size(), 1) << url;
            EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Critical);
            EXPECT_EQ(prompt.messages[0].title, "Bad Format");
            EXPECT_EQ(prompt.messages[0].text,
                "Please enter a valid URL in the format of \"ftp:// "
                "or http://...\". Operation aborted.");
            EXPECT_TRUE(d.isVisible()) << url;
            EXPECT_EQ(Child<QLineEdit>(d, "Text1")->text(), url);
            EXPECT_FALSE(d.request().has_value()) << url;
        }
    }
}

TEST(Form11Test, CorrectedUrlIsAcceptedAfterARefusal)
{
    ScriptedPrompt prompt;
    Form11 d(true, prompt);
    d.show();
    EXPECT_TRUE(Child<QCheckBox>(d, "Check1")->isChecked());
    auto* text1 = Child<QLineEdit>(d, "Text1");
    QTest::keyClicks(text1, "example.org");
    Child<QPushButton>(d, "Command1")->click();
    ASSERT_TRUE(d.isVisible());
    text1->setCursorPosition(0);
    QTest::keyClicks(text1, "http://");
    Child<QPushButton>(d, "Command1")->click();
    EXPECT_EQ(prompt.messages.size(), 1);
    ASSERT_TRUE(d.request().has_value());
    EXPECT_EQ(d.request()->url, "http://example.org");
    EXPECT_TRUE(d.request()->append);
}

TEST(Form11Test, CancelGivesNothing)
{
    ScriptedPrompt prompt;
    Form11 d(false, prompt);
    Child<QLineEdit>(d, "Text1")->setText("http://x/");
    Child<QPushButton>(d, "Command2")->click();
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_FALSE(d.request().has_value());
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST(Form11Look, CaptionsAndFrame)
{
    ScriptedPrompt prompt;
    Form11 d(false, prompt);
    if (DialogTesting::KeepOpen()) {
        d.exec();
        return;
    }
    DialogTesting::ExpectFixedDialog(d, "Add Single Link",
        { { "Label1", "URL of link to add:" }, { "Check1", "Append to existing list" },
            { "Command1", "Add " }, { "Command2", "Cancel" } },
        "Command1");
}
