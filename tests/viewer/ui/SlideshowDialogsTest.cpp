#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include "support/DialogTesting.h"
#include "support/ScriptedPrompt.h"
#include "support/WaitFor.h"
#include "viewer/ui/Form6.h"
#include "viewer/ui/Form7.h"
#include "winsupport/ui/FrmAbt.h"
#include "winsupport/ui/Shell.h"

using DialogTesting::Child;

namespace
{

TEST(Form6Test, OpensWithTheStoredChoicesAndStartReturnsTheShownOnes)
{
    Form6 dialog(SlideshowOptions { false, false, 120 });
    EXPECT_TRUE(Child<QRadioButton>(dialog, "Option1_0")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>(dialog, "Option2_1")->isChecked());
    auto* combo = Child<QComboBox>(dialog, "Combo1");
    EXPECT_EQ(combo->count(), 120);
    EXPECT_EQ(combo->currentText(), "120");

    Child<QRadioButton>(dialog, "Option1_1")->setChecked(true);
    Child<QRadioButton>(dialog, "Option2_0")->setChecked(true);
    combo->setCurrentIndex(0);
    Child<QPushButton>(dialog, "Command3")->click();
    ASSERT_TRUE(dialog.options().has_value());
    EXPECT_EQ(*dialog.options(), (SlideshowOptions { true, true, 1 }));

    Form6 cancelled(SlideshowOptions {});
    Child<QPushButton>(cancelled, "Command1")->click();
    EXPECT_FALSE(cancelled.options().has_value());
}

TEST(Form7Test, OnlyResumeResumes)
{
    Form7 resume;
    Child<QPushButton>(resume, "Command1")->click();
    EXPECT_TRUE(resume.ss_resume());
    Form7 closed;
    closed.reject();
    EXPECT_FALSE(closed.ss_resume());
}

TEST(FrmAbtTest, LinksWithoutAProgramToOpenThemSayWhich)
{
    ScriptedPrompt prompt;
    QList<QUrl> opened;
    bool handled = true;
    setShellOpener([&](const QUrl& url) {
        opened.append(url);
        return handled;
    });
    FrmAbt about(prompt, QStringLiteral("Ready"));
    EXPECT_EQ(Child<QLabel>(about, "Label2")->text(), "Ready");
    about.Label5_Click();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].scheme(), "mailto");
    EXPECT_TRUE(prompt.messages.isEmpty());

    handled = false;
    about.Label5_Click();
    about.Label6_Click();
    setShellOpener({});
    ASSERT_EQ(prompt.messages.size(), 2);
    EXPECT_EQ(prompt.messages[0].text, "Could not start your email program.");
    EXPECT_EQ(prompt.messages[1].text, "Could not start your web browser.");
    EXPECT_EQ(prompt.titles(), QStringList({ "Oops!", "Oops!" }));
}

} // namespace

// xdg-open is not waited for: exit status 3 (a tool missing) and 4 (no program for the
// address) are reported when it ends, as is a missing xdg-open; other failures are not.
TEST(FrmAbtTest, XdgOpenWithoutAProgramSaysOops)
{
    QTemporaryDir bin;
    ASSERT_TRUE(bin.isValid());
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit());
    ScriptedPrompt prompt;
    FrmAbt about(prompt, QStringLiteral("Ready"));
    const QString script = bin.filePath("xdg-open");
    for (const int status : { 0, 1, 3, 4 }) {
        SCOPED_TRACE(status);
        QFile::remove(script);
        QFile::remove(bin.filePath("ran"));
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("#!/bin/sh\necho \"$1\" > '%1'\nexit %2\n")
                       .arg(bin.filePath("ran"), QString::number(status))
                       .toUtf8());
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        about.Label5_Click();
        EXPECT_TRUE(waitFor([&] { return QFile::exists(bin.filePath("ran")); }));
    }
    EXPECT_TRUE(waitFor([&] { return prompt.messages.size() == 2; }));
    QFile::remove(script);
    about.Label6_Click();
    qputenv("PATH", path);
    ASSERT_EQ(prompt.messages.size(), 3);
    EXPECT_EQ(prompt.messages[0].text, "Could not start your email program.");
    EXPECT_EQ(prompt.messages[1].text, "Could not start your email program.");
    EXPECT_EQ(prompt.messages[2].text, "Could not start your web browser.");
    EXPECT_EQ(prompt.titles(), QStringList({ "Oops!", "Oops!", "Oops!" }));
}
