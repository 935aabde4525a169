#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

#include "filters/ui/Form3.h"
#include "support/DialogTesting.h"
#include "support/ScriptedPrompt.h"

using DialogTesting::Child;

namespace
{

class Form3Test : public ::testing::Test
{
protected:
    void open(const QStringList& entries)
    {
        dialog = std::make_unique<Form3>(entries, prompt);
        dialog->show();
        text1 = Child<QLineEdit>(*dialog, "Text1");
        text2 = Child<QLineEdit>(*dialog, "Text2");
        list1 = Child<QListWidget>(*dialog, "List1");
        add = Child<QPushButton>(*dialog, "Command1");
        del = Child<QPushButton>(*dialog, "Command4");
    }
    void type(const QString& description, const QString& extension)
    {
        text1->clear();
        text2->clear();
        QTest::keyClicks(text1, description);
        QTest::keyClicks(text2, extension);
    }
    QStringList shown() const
    {
        QStringList all;
        for (int i = 0; i < list1->count(); ++i)
            all << list1->item(i)->text();
        return all;
    }

    ScriptedPrompt prompt;
    std::unique_ptr<Form3> dialog;
    QLineEdit* text1 = nullptr;
    QLineEdit* text2 = nullptr;
    QListWidget* list1 = nullptr;
    QPushButton* add = nullptr;
    QPushButton* del = nullptr;
};

const QStringList kTwo { QStringLiteral("Pictures - jpg"), QStringLiteral("Archives - zip") };

} // namespace

TEST_F(Form3Test, AddIsEnabledOnlyWithBothTexts)
{
    open({});
    const std::tuple<const char*, const char*, bool> rows[] = {
        { "", "", false },
        { "Pictures", "", false },
        { "", "jpg", false },
        { "Pictures", "jpg", true },
        { " ", " ", true },
    };
    for (const auto& [description, extension, enabled] : rows) {
        type(description, extension);
        EXPECT_EQ(add->isEnabled(), enabled) << description << "|" << extension;
    }
}

TEST_F(Form3Test, AddAppendsTheEntryAndEmptiesTheBoxes)
{
    open(kTwo);
    EXPECT_EQ(shown(), kTwo);
    type("A - B", "c");
    add->click();
    type("Photos", "JPG");
    add->click();
    type("Dotted", ".jpg");
    add->click();
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_EQ(shown(), kTwo + QStringList({ "A - B - c", "Photos - JPG", "Dotted - .jpg" }));
    EXPECT_TRUE(text1->text().isEmpty());
    EXPECT_TRUE(text2->text().isEmpty());
    EXPECT_FALSE(add->isEnabled());
}

TEST_F(Form3Test, DuplicateExtensionIsRefusedWithAMessage)
{
    open(kTwo);
    type("Photos", "jpg");
    add->click();
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Information);
    EXPECT_EQ(prompt.messages[0].title, "Duplicate Type");
    EXPECT_EQ(prompt.messages[0].text, "You already have the type \"jpg\" in the list.");
    EXPECT_EQ(shown(), kTwo);
    EXPECT_EQ(text1->text(), "Photos");
    EXPECT_EQ(text2->text(), "jpg");
}

TEST_F(Form3Test, DeleteRemovesTheSelectedEntryOnly)
{
    open(kTwo + QStringList({ "Docs - pdf", "Music - mp3" }));
    EXPECT_FALSE(del->isEnabled());
    list1->setCurrentRow(1);
    EXPECT_TRUE(del->isEnabled());
    del->click();
    EXPECT_EQ(shown(), QStringList({ "Pictures - jpg", "Docs - pdf", "Music - mp3" }));
    EXPECT_TRUE(list1->selectedItems().isEmpty());
    EXPECT_FALSE(del->isEnabled());

    // The deleted extension may be added again; the list and the saved entries agree.
    type("Archives", "zip");
    add->click();
    Child<QPushButton>(*dialog, "Command2")->click();
    ASSERT_TRUE(dialog->entries().has_value());
    EXPECT_EQ(*dialog->entries(), shown());
    EXPECT_EQ(dialog->entries()->last(), "Archives - zip");
}

TEST_F(Form3Test, SaveReturnsTheEditedListAndCancelNothing)
{
    open(kTwo);
    list1->setCurrentRow(0);
    del->click();
    list1->setCurrentRow(0);
    del->click();
    Child<QPushButton>(*dialog, "Command2")->click();
    ASSERT_TRUE(dialog->entries().has_value());
    EXPECT_TRUE(dialog->entries()->isEmpty());

    open(kTwo);
    type("Docs", "pdf");
    add->click();
    Child<QPushButton>(*dialog, "Command3")->click();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->entries().has_value());
}

TEST(Form3Look, CaptionsAndFrame)
{
    ScriptedPrompt prompt;
    Form3 d({ QStringLiteral("Pictures - jpg"), QStringLiteral("Archives - zip"),
                QStringLiteral("Documents - pdf") },
        prompt);
    if (DialogTesting::KeepOpen()) {
        d.exec();
        return;
    }
    DialogTesting::ExpectFixedDialog(d, "Manage Filters",
        { { "Label3",
              "Define the file types below whose links you'd like displayed in the list when "
              "building a list from a url. Enter a description and an extension then click "
              "\"Add\". Don't include the dot. " },
            { "Label1", "Description:" }, { "Label2", "Extension:" }, { "Command1", "Add" },
            { "Command4", "Delete" }, { "Command2", "Save" }, { "Command3", "Cancel" } },
        nullptr);
}
