#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include "builders/SequenceBuilder.h"
#include "builders/ui/Form2.h"
#include "support/DialogTesting.h"
#include "support/ScriptedPrompt.h"
#include "winsupport/UrlHistory.h"

using DialogTesting::Child;

namespace
{

// "Build" remembers the URL for completion; keep that out of the user's own settings.
class Form2Test : public ::testing::Test
{
protected:
    // A shown, active dialog whose URL box holds url with [start, start+length) selected.
    void open(const QString& url, int start, int length, bool defappend = false)
    {
        SequenceDialogInput in;
        in.defappend = defappend;
        dialog = std::make_unique<Form2>(in, prompt, history);
        ASSERT_TRUE(DialogTesting::ShowActive(*dialog));
        text1 = Child<QLineEdit>(*dialog, "Text1");
        text3 = Child<QComboBox>(*dialog, "text3");
        text4 = Child<QComboBox>(*dialog, "text4");
        build = Child<QPushButton>(*dialog, "Command1");
        text1->setFocus();
        text1->setText(url);
        if (length > 0)
            text1->setSelection(start, length);
    }

    QStringList items(const QComboBox* box) const
    {
        QStringList all;
        for (int i = 0; i < box->count(); ++i)
            all << box->itemText(i);
        return all;
    }

    ScriptedPrompt prompt;
    UrlHistory history;
    std::unique_ptr<Form2> dialog;
    QLineEdit* text1 = nullptr;
    QComboBox* text3 = nullptr;
    QComboBox* text4 = nullptr;
    QPushButton* build = nullptr;
};

} // namespace

TEST_F(Form2Test, LeavingTheUrlBoxFillsBothListsInTheSelectionsWidth)
{
    open("http://example.org/img05.jpg", 22, 2);
    text3->setFocus();
    ASSERT_TRUE(text3->hasFocus());
    EXPECT_EQ(items(text3), SequenceBuilder::numberItems(2));
    EXPECT_EQ(items(text4), SequenceBuilder::numberItems(2));
    EXPECT_EQ(text3->count(), 500);
    EXPECT_EQ(text3->currentText(), "01");
    EXPECT_EQ(text4->currentText(), "01");
    // The selection survives the focus change.
    EXPECT_EQ(text1->selectedText(), "05");

    // Leaving again refills rather than adds.
    text1->setFocus();
    text1->setSelection(19, 5);
    text4->setFocus();
    EXPECT_EQ(text3->count(), 500);
    EXPECT_EQ(text4->count(), 500);
    EXPECT_EQ(text3->currentText(), "00001");
    EXPECT_EQ(text4->itemText(499), "00500");
}

TEST_F(Form2Test, LeavingWithoutSelectionChangesNothing)
{
    open("http://example.org/img05.jpg", 0, 0);
    text3->setFocus();
    EXPECT_EQ(text3->count(), 0);
    EXPECT_EQ(text4->count(), 0);
}

TEST_F(Form2Test, TypingInStartRefillsEndInTheStartWidth)
{
    open("http://example.org/img05.jpg", 22, 2);
    text3->setFocus();
    text4->setCurrentIndex(11);
    ASSERT_EQ(text4->currentText(), "12");

    text3->lineEdit()->clear();
    QTest::keyClicks(text3, "098");
    EXPECT_EQ(text3->currentText(), "098");
    EXPECT_EQ(text4->count(), 500);
    EXPECT_EQ(text4->currentText(), "001");

    QTest::keyClick(text3, Qt::Key_Backspace);
    QTest::keyClick(text3, Qt::Key_Backspace);
    EXPECT_EQ(text3->currentText(), "0");
    EXPECT_EQ(text4->currentText(), "1");
    EXPECT_EQ(text4->count(), 500);
}

TEST_F(Form2Test, PickingAStartItemLeavesEndAlone)
{
    open("http://example.org/img05.jpg", 22, 2);
    text3->setFocus();
    text4->setCurrentIndex(11);
    text3->setCurrentIndex(4);
    EXPECT_EQ(text3->currentText(), "05");
    EXPECT_EQ(text4->currentText(), "12");
}

TEST_F(Form2Test, NumberBoxesDiscardEverythingButDigits)
{
    open("http://example.org/", 0, 0);
    for (QComboBox* box : { text3, text4 }) {
        box->setFocus();
        box->lineEdit()->clear();
        QTest::keyClicks(box, "1a-2 .3x");
        EXPECT_EQ(box->currentText(), "123");
        QTest::keyClick(box, Qt::Key_Backspace);
        EXPECT_EQ(box->currentText(), "12");
        QTest::keyClick(box, Qt::Key_Left);
        QTest::keyClick(box, Qt::Key_Delete);
        EXPECT_EQ(box->currentText(), "1");
    }
}

TEST_F(Form2Test, BuildIsEnabledExactlyWhenAllThreeTextsAreFilled)
{
    open("", 0, 0);
    EXPECT_FALSE(build->isEnabled());
    QTest::keyClicks(text1, "http://x/1");
    EXPECT_FALSE(build->isEnabled());
    // Typing a start number also fills End #.
    QTest::keyClicks(text3, "1");
    EXPECT_EQ(text4->currentText(), "1");
    EXPECT_TRUE(build->isEnabled());
    text4->lineEdit()->clear();
    EXPECT_FALSE(build->isEnabled());
    QTest::keyClicks(text4, "9");
    EXPECT_TRUE(build->isEnabled());
    text3->lineEdit()->clear();
    EXPECT_FALSE(build->isEnabled());
    QTest::keyClicks(text3, "2");
    text1->clear();
    EXPECT_FALSE(build->isEnabled());
}

TEST_F(Form2Test, BuildWithoutSelectionOrWithANumberOutOfRangeWarnsAndStaysOpen)
{
    struct Row {
        int selected;
        QString start;
        const char* end;
        QString message;
    };
    const Row rows[] = {
        { 0, "5", "12",
            "Please select a portion of the URL in place of which to insert the sequential "
            "digits." },
        { 2, "5", "99999999999",
            "End # \"99999999999\" is not a whole number from 0 to 2147483647." },
        { 2, QString(64, '0') + "5", "12",
            "Start # has 65 digits; the numbers may have at most 64 digits." },
    };
    for (const Row& row : rows) {
        prompt.messages.clear();
        open("http://example.org/img05.jpg", 22, row.selected);
        QTest::keyClicks(text3, row.start);
        text4->setEditText(row.end);
        text1->setFocus();
        if (row.selected == 0)
            text1->deselect();
        build->click();
        ASSERT_EQ(prompt.messages.size(), 1);
        EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Exclamation);
        EXPECT_EQ(prompt.messages[0].title, "Error");
        EXPECT_EQ(prompt.messages[0].text, row.message);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_FALSE(dialog->request().has_value());
    }
}

TEST_F(Form2Test, BuildReturnsTheSelectionCapturedWhenPressed)
{
    open("http://example.org/img05.jpg", 22, 2, true);
    text3->setFocus();
    text3->setCurrentIndex(4);
    text4->setCurrentIndex(11);
    Child<QCheckBox>(*dialog, "Check1")->click();
    QTest::keyClick(text4, Qt::Key_Return);
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_FALSE(dialog->isVisible());
    ASSERT_TRUE(dialog->request().has_value());
    const SequenceRequest r = *dialog->request();
    EXPECT_EQ(r.url, "http://example.org/img05.jpg");
    EXPECT_EQ(r.selectionStart, 22);
    EXPECT_EQ(r.selectionLength, 2);
    EXPECT_EQ(r.startText, "05");
    EXPECT_EQ(r.endText, "12");
    EXPECT_FALSE(r.append);
}

TEST_F(Form2Test, ClipboardTextPrefillsOnlyWhenItLooksLikeALink)
{
    const std::pair<const char*, bool> rows[] = {
        { "http://example.org/a01.jpg", true },
        { "HTTPS://example.org/", true },
        { "FTP://files.example.org/x", true },
        { "ftp.example.org/pub", true },
        { "www.example.org/a01.jpg", false },
        { " http://example.org/", false },
        { "", false },
    };
    for (const auto& [clip, prefilled] : rows) {
        Form2 d(SequenceDialogInput { false, QString::fromLatin1(clip) }, prompt, history);
        EXPECT_EQ(Child<QLineEdit>(d, "Text1")->text(), prefilled ? clip : "") << clip;
    }
}

TEST_F(Form2Test, AppendBoxFollowsDefappendAndCancelGivesNothing)
{
    for (const bool defappend : { false, true }) {
        Form2 d(SequenceDialogInput { defappend, {} }, prompt, history);
        EXPECT_EQ(Child<QCheckBox>(d, "Check1")->isChecked(), defappend);
        Child<QPushButton>(d, "Command3")->click();
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_FALSE(d.request().has_value());
    }
}

TEST(Form2Look, CaptionsAndFrame)
{
    ScriptedPrompt prompt;
    UrlHistory history;
    Form2 d(SequenceDialogInput { false, QStringLiteral("http://example.org/gallery/img05.jpg") },
        prompt, history);
    if (DialogTesting::KeepOpen()) {
        d.exec();
        return;
    }
    DialogTesting::ExpectFixedDialog(d, "Build Sequential List",
        { { "Label4", "Enter a url below then select the portion you would like to increment." },
            { "Label1", "URL:" }, { "Label2", "Start #:" }, { "Label3", "End #:" },
            { "Check1", "Append to existing list" }, { "Command1", "Build" },
            { "Command2", "Help" }, { "Command3", "Cancel" } },
        "Command1");
}
