#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/ui/QtUserPrompt.h"
#include "builders/ui/Form10.h"
#include "builders/ui/Form11.h"
#include "listops/ListFile.h"
#include "support/DialogTesting.h"
#include "winsupport/UrlHistory.h"

using DialogTesting::Child;
using DialogTesting::WhenModal;

namespace
{

// Records the band calls and answers each modal window as the test scripts it.
class QtUserPromptTest : public ::testing::Test
{
protected:
    QtUserPromptTest()
        : prompt(
            &owner, history, [this] { band << QStringLiteral("leave"); },
            [this] { band << QStringLiteral("restore"); })
    {
    }

    QWidget owner;
    QStringList band;
    UrlHistory history;
    QtUserPrompt prompt;
};

} // namespace

TEST_F(QtUserPromptTest, MessageShowsTitleTextIconAndButtons)
{
    struct Row {
        PromptIcon icon;
        QMessageBox::Icon boxIcon;
        PromptButtons buttons;
        QMessageBox::StandardButton press;
        PromptAnswer answer;
    };
    const Row rows[] = {
        { PromptIcon::Information, QMessageBox::Information, PromptButtons::Ok, QMessageBox::Ok,
            PromptAnswer::Ok },
        { PromptIcon::Exclamation, QMessageBox::Warning, PromptButtons::Ok, QMessageBox::Ok,
            PromptAnswer::Ok },
        { PromptIcon::Critical, QMessageBox::Critical, PromptButtons::Ok, QMessageBox::Ok,
            PromptAnswer::Ok },
        { PromptIcon::Question, QMessageBox::Question, PromptButtons::YesNo, QMessageBox::Yes,
            PromptAnswer::Yes },
        { PromptIcon::Question, QMessageBox::Question, PromptButtons::YesNo, QMessageBox::No,
            PromptAnswer::No },
        { PromptIcon::Question, QMessageBox::Question, PromptButtons::YesNoCancel,
            QMessageBox::Cancel, PromptAnswer::Closed },
    };
    for (const Row& row : rows) {
        WhenModal<QMessageBox>([row](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle(), "Close Browser Window?");
            EXPECT_EQ(box->text(), "Text with <b>markup</b> shown as typed.");
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            EXPECT_EQ(box->icon(), row.boxIcon);
            QMessageBox::StandardButtons expected = QMessageBox::Ok;
            if (row.buttons == PromptButtons::YesNo)
                expected = QMessageBox::Yes | QMessageBox::No;
            else if (row.buttons == PromptButtons::YesNoCancel)
                expected = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            EXPECT_EQ(box->standardButtons(), expected);
            box->button(row.press)->click();
        });
        EXPECT_EQ(prompt.message(row.icon, "Close Browser Window?",
                      "Text with <b>markup</b> shown as typed.", row.buttons),
            row.answer);
    }
    // A message box stays over its owner without changing the owner's band.
    EXPECT_TRUE(band.isEmpty());
}

TEST_F(QtUserPromptTest, EscapeOnAYesNoQuestionAnswersNo)
{
    WhenModal<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(
        prompt.message(PromptIcon::Question, "t", "q", PromptButtons::YesNo), PromptAnswer::No);
}

TEST_F(QtUserPromptTest, DialogRunsBetweenLeavingAndRestoringTheBand)
{
    WhenModal<Form10>([this](Form10* dialog) {
        EXPECT_EQ(band, QStringList({ "leave" }));
        EXPECT_EQ(dialog->parentWidget(), &owner);
        Child<QRadioButton>(*dialog, "Option1_1")->click();
        Child<QPushButton>(*dialog, "Command1")->click();
    });
    EXPECT_EQ(prompt.askDesiredAction(false), std::optional<bool>(true));
    EXPECT_EQ(band, QStringList({ "leave", "restore" }));

    WhenModal<Form10>([](Form10* dialog) { dialog->close(); });
    EXPECT_EQ(prompt.askDesiredAction(true), std::nullopt);
    EXPECT_EQ(band, QStringList({ "leave", "restore", "leave", "restore" }));
}

TEST_F(QtUserPromptTest, DialogMessagesAppearOverTheDialog)
{
    WhenModal<Form11>([](Form11* dialog) {
        Child<QLineEdit>(*dialog, "Text1")->setText("example.org");
        WhenModal<QMessageBox>([dialog](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle(), "Bad Format");
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
            EXPECT_EQ(box->parentWidget(), dialog);
            box->button(QMessageBox::Ok)->click();
            // Back in the dialog, still open: correct the URL and add it.
            QTimer::singleShot(0, dialog, [dialog] {
                Child<QLineEdit>(*dialog, "Text1")->setText("http://example.org");
                Child<QPushButton>(*dialog, "Command1")->click();
            });
        });
        Child<QPushButton>(*dialog, "Command1")->click();
    });
    const std::optional<SingleLinkRequest> r = prompt.askSingleLink(true);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->url, "http://example.org");
    EXPECT_TRUE(r->append);
    EXPECT_EQ(band, QStringList({ "leave", "restore" }));
}

TEST_F(QtUserPromptTest, OpenPickerOffersExistingFilesFromTheInitialFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString list = dir.filePath("links list.txt");
    QFile file(list);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    // The folder of a remembered file path, or the folder itself, is where it opens.
    for (const QString& initial : { dir.path(), list }) {
        WhenModal<QFileDialog>([&](QFileDialog* picker) {
            EXPECT_EQ(picker->windowTitle(), "Append to...");
            EXPECT_EQ(picker->acceptMode(), QFileDialog::AcceptOpen);
            EXPECT_EQ(picker->fileMode(), QFileDialog::ExistingFile);
            EXPECT_EQ(QDir(picker->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
            EXPECT_FALSE(picker->nameFilters().isEmpty());
            EXPECT_TRUE(picker->nameFilters().constFirst().contains("*.txt"));
            picker->selectFile(list);
            static_cast<QDialog*>(picker)
                ->accept(); // QFileDialog::accept, as its "Open"/"Save" button does
        });
        EXPECT_EQ(prompt.openFileName(
                      "Append to...", "Text Files (*.txt)|*.txt|All Files (*.*)|*.*", initial),
            list);
    }
    EXPECT_EQ(band, QStringList({ "leave", "restore", "leave", "restore" }));
}

TEST_F(QtUserPromptTest, SavePickerConfirmsCreatingAndOverwritingAndCancelGivesEmpty)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile bare(dir.filePath("links"));
    ASSERT_TRUE(bare.open(QIODevice::WriteOnly));
    bare.close();
    const QString target = dir.filePath("new.txt");
    int pickerShown = 0;
    std::function<void(QFileDialog*)> pick = [&](QFileDialog* picker) {
        ++pickerShown;
        EXPECT_EQ(picker->windowTitle(), "Save file as...");
        EXPECT_EQ(picker->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_FALSE(picker->testOption(QFileDialog::DontConfirmOverwrite));
        // The captions as written; "All Files (*.*)" also lists a file without a dot.
        auto* types = picker->findChild<QComboBox*>("fileTypeCombo");
        ASSERT_NE(types, nullptr);
        EXPECT_EQ(types->itemText(1), "All Files (*.*)");
        picker->selectNameFilter(picker->nameFilters().value(1));
        auto* files = picker->findChild<QListView*>("listView");
        ASSERT_NE(files, nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] {
            const QAbstractItemModel* m = files->model();
            for (int row = 0; row < m->rowCount(files->rootIndex()); ++row) {
                if (m->index(row, 0, files->rootIndex()).data() == "links")
                    return true;
            }
            return false;
        }));
        // Typed, as selectFile leaves a focused name box alone.
        picker->findChild<QLineEdit*>("fileNameEdit")->setText("new.txt");
        // A name that does not exist is confirmed; "No" shows the picker again.
        WhenModal<QMessageBox>([&, first = pickerShown == 1](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle(), "Save file as...");
            EXPECT_TRUE(box->text().contains("Do you want to create it?"));
            if (first)
                WhenModal<QFileDialog>(pick);
            box->button(first ? QMessageBox::No : QMessageBox::Yes)->click();
        });
        static_cast<QDialog*>(picker)
            ->accept(); // QFileDialog::accept, as its "Open"/"Save" button does
    };
    WhenModal<QFileDialog>(pick);
    EXPECT_EQ(prompt.saveFileName("Save file as...", ListFile::filter(), dir.path()), target);
    EXPECT_EQ(pickerShown, 2);

    WhenModal<QFileDialog>([](QFileDialog* picker) { picker->reject(); });
    EXPECT_EQ(
        prompt.saveFileName("Save file as...", "Text Files (*.txt)|*.txt", dir.path()), QString());
}

TEST_F(QtUserPromptTest, ExportPickerGivesTheChosenTypeAndItsExtension)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WhenModal<QFileDialog>([](QFileDialog* picker) {
        auto* types = picker->findChild<QComboBox*>("fileTypeCombo");
        ASSERT_NE(types, nullptr);
        types->setCurrentIndex(1);
        // As a click on the entry.
        emit types->activated(1);
        emit types->textActivated(types->itemText(1));
        picker->findChild<QLineEdit*>("fileNameEdit")->setText("out");
        // A new file is written without the question whether to create it.
        QTimer::singleShot(0, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ADD_FAILURE() << box->text().toStdString();
                box->button(QMessageBox::Yes)->click();
            }
        });
        static_cast<QDialog*>(picker)->accept();
    });
    const std::optional<SaveTarget> target = prompt.exportFileName(
        "Export list", "CSV (*.csv)|*.csv|JSON lines (*.jsonl)|*.jsonl", dir.path());
    ASSERT_TRUE(target);
    EXPECT_EQ(target->path, dir.filePath("out.jsonl"));
    EXPECT_EQ(target->filterIndex, 1);
}

// The folder picker starts in the folder of a remembered file, and offers to create a
// typed folder that does not exist; a folder that cannot be made is reported and the
// picker stays open.
TEST_F(QtUserPromptTest, FolderPickerCreatesATypedFolderOnRequest)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath("list.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const struct {
        QString typed;
        bool created;
    } rows[] = {
        { "new/deeper", true },
        { "list.txt/inside", false },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed.toStdString());
        const QString path = dir.filePath(row.typed);
        WhenModal<QFileDialog>([&](QFileDialog* picker) {
            EXPECT_EQ(QDir(picker->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
            picker->findChild<QLineEdit*>("fileNameEdit")->setText(row.typed);
            WhenModal<QMessageBox>([&, picker](QMessageBox* ask) {
                EXPECT_TRUE(ask->text().contains("Do you want to create it?"));
                if (!row.created) {
                    WhenModal<QMessageBox>([&, picker](QMessageBox* failure) {
                        EXPECT_TRUE(
                            failure->text().contains("Not a directory", Qt::CaseInsensitive))
                            << failure->text().toStdString();
                        QTimer::singleShot(0, picker, &QDialog::reject);
                        failure->button(QMessageBox::Ok)->click();
                    });
                }
                ask->button(QMessageBox::Yes)->click();
            });
            static_cast<QDialog*>(picker)->accept();
        });
        const QString chosen = prompt.chooseFolder("Save Link Target(s) in...", file.fileName());
        EXPECT_EQ(QFileInfo(path).isDir(), row.created);
        EXPECT_EQ(chosen.isEmpty(), !row.created) << chosen.toStdString();
    }
}
