#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include "download/ui/Form8.h"
#include "support/DialogTesting.h"
#include "support/QtPrinters.h"
#include "support/ScriptedPrompt.h"

using DialogTesting::Child;

TEST(Form8Test, TypedNamesAreCheckedBeforeTheDialogCloses)
{
    ScriptedPrompt prompt;
    Form8 dialog("photo.jpg", prompt);
    EXPECT_EQ(Child<QLabel>(dialog, "Label1")->text(),
        "The file \"photo.jpg\" already exists in the destination folder. Select the action you "
        "wish to be taken below.");
    auto* text1 = Child<QLineEdit>(dialog, "Text1");
    auto* ok = Child<QPushButton>(dialog, "Command1");
    EXPECT_FALSE(text1->isEnabled());
    Child<QRadioButton>(dialog, "Option1_2")->click();
    EXPECT_TRUE(text1->isEnabled());
    EXPECT_EQ(text1->text(), "photo.jpg");
    EXPECT_EQ(text1->selectedText(), "photo.jpg");

    for (const char* typed : { "", "..", "a/b.jpg" }) {
        text1->setText(QString::fromUtf8(typed));
        ok->click();
        EXPECT_FALSE(dialog.answer().has_value()) << typed;
    }
    ASSERT_EQ(prompt.messages.size(), 3);
    EXPECT_EQ(prompt.messages[0].title, "No Filename Specified");
    EXPECT_EQ(prompt.messages[0].text,
        "Please specify a valid filename in the space provided or choose anothr save option.");
    EXPECT_EQ(prompt.titles().mid(1), QStringList({ "Invalid Filename", "Invalid Filename" }));

    text1->setText("copy.jpg");
    Child<QCheckBox>(dialog, "Check1")->setChecked(true);
    ok->click();
    ASSERT_TRUE(dialog.answer().has_value());
    EXPECT_EQ(dialog.answer()->action, FileExistsAction::SaveWithNewName);
    EXPECT_EQ(dialog.answer()->filnm, "copy.jpg");
    EXPECT_TRUE(dialog.answer()->allfiles);
    Child<QRadioButton>(dialog, "Option1_1")->click();
    EXPECT_FALSE(text1->isEnabled());
    EXPECT_EQ(text1->text(), "");
}
