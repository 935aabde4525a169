#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <gtest/gtest.h>

#include "app/ui/Form12.h"
#include "support/DialogTesting.h"

using DialogTesting::Child;

namespace
{

bool checked(const Form12& d, const char* name)
{
    if (auto* box = d.findChild<QCheckBox*>(QString::fromLatin1(name)))
        return box->isChecked();
    return Child<QRadioButton>(d, name)->isChecked();
}

Preferences saved(Form12& d)
{
    Child<QPushButton>(d, "Command1")->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    return d.preferences().value_or(Preferences {});
}

} // namespace

TEST(Form12Test, ControlsShowTheCurrentPreferences)
{
    Preferences fresh; // a first start: only "On Top" set
    Preferences all { false, true, true, true, true, OverwriteAction::Unique, true, "*num*" };
    for (const Preferences& p : { fresh, all }) {
        Form12 d(p);
        EXPECT_EQ(checked(d, "chkontop"), p.ontop);
        EXPECT_EQ(checked(d, "chkexjs"), p.exjs);
        EXPECT_EQ(checked(d, "chkexmt"), p.exmt);
        EXPECT_EQ(checked(d, "chkdefapp"), p.defappend);
        EXPECT_EQ(checked(d, "oplnkopen_0"), p.newwin);
        EXPECT_EQ(checked(d, "oplnkopen_1"), !p.newwin);
        EXPECT_EQ(checked(d, "chkservernames"), p.serverNames);
        EXPECT_EQ(Child<QLineEdit>(d, "txtnamemask")->text(), p.nameMask);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(checked(d, QStringLiteral("opowaction_%1").arg(i).toLatin1().constData()),
                i == overwriteActionIndex(p.owaction));
    }
}

TEST(Form12Test, SaveReturnsWhatTheControlsShow)
{
    Form12 d(Preferences {});
    Child<QCheckBox>(d, "chkontop")->click();
    Child<QCheckBox>(d, "chkexmt")->click();
    Child<QCheckBox>(d, "chkdefapp")->click();
    Child<QRadioButton>(d, "oplnkopen_0")->click();
    Child<QRadioButton>(d, "opowaction_2")->click();
    Child<QCheckBox>(d, "chkservernames")->click();
    Child<QLineEdit>(d, "txtnamemask")->setText("*host*/*name*.*ext*");
    Child<QSpinBox>(d, "txtatonce")->setValue(3);
    Child<QSpinBox>(d, "txtperhost")->setValue(2);
    Child<QSpinBox>(d, "txtratelimit")->setValue(200);
    Child<QCheckBox>(d, "chkportable")->click();
    Child<QCheckBox>(d, "chkstopfail")->click();
    const Preferences expected { false, true, false, true, true, OverwriteAction::Skip, true,
        "*host*/*name*.*ext*", {}, {}, 3, 2, 200 * 1024, true, false };
    EXPECT_EQ(saved(d), expected);
}

TEST(Form12Test, TheMaskShowsTheNameItGivesAsItIsTyped)
{
    const ListEntry entry { "http://h.example/a/b.jpg", { EntryKind::Link, "", "", "A: B" } };
    Form12 d(Preferences {}, entry);
    auto* shown = Child<QLabel>(d, "lblmaskexample");
    EXPECT_EQ(shown->text(), "Gives: b.jpg");
    Child<QLineEdit>(d, "txtnamemask")->setText("*title*/*name*.*ext*");
    EXPECT_EQ(shown->text(), "Gives: A: B/b.jpg");
    Child<QCheckBox>(d, "chkportable")->click();
    EXPECT_EQ(shown->text(), "Gives: A_ B/b.jpg");
    Child<QLineEdit>(d, "txtnamemask")->setText("*nope*");
    EXPECT_TRUE(shown->text().contains("not a placeholder"));
}

TEST(Form12Test, AMaskThatNamesNoFileKeepsTheDialogOpen)
{
    Form12 d(Preferences {});
    Child<QLineEdit>(d, "txtnamemask")->setText("*subdirs*/");
    Child<QPushButton>(d, "Command1")->click();
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_FALSE(d.preferences());
    EXPECT_TRUE(Child<QLabel>(d, "lblmaskproblem")->text().contains("names no file"));
}

TEST(Form12Test, ARateLimitOfNoWholeKibibyteIsKeptUnlessChanged)
{
    Preferences odd;
    odd.rateLimit = 1500;
    Form12 d(odd);
    EXPECT_EQ(Child<QSpinBox>(d, "txtratelimit")->value(), 2);
    EXPECT_EQ(saved(d).rateLimit, 1500);
}

TEST(Form12Test, OutOfRangeOverwriteActionSelectsNothingAndIsKeptUnlessChosen)
{
    Preferences p;
    const auto outside = static_cast<OverwriteAction>(7);
    p.owaction = outside;
    Form12 kept(p);
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(checked(kept, QStringLiteral("opowaction_%1").arg(i).toLatin1().constData()));
    EXPECT_EQ(saved(kept).owaction, outside);

    Form12 chosen(p);
    Child<QRadioButton>(chosen, "opowaction_1")->click();
    EXPECT_EQ(saved(chosen).owaction, OverwriteAction::Overwrite);
}

TEST(Form12Test, CancelAndCloseGiveNothing)
{
    Form12 cancelled(Preferences {});
    Child<QCheckBox>(cancelled, "chkexjs")->click();
    Child<QPushButton>(cancelled, "Command2")->click();
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    EXPECT_FALSE(cancelled.preferences().has_value());

    Form12 closed(Preferences {});
    closed.show();
    closed.close();
    EXPECT_FALSE(closed.preferences().has_value());
}

TEST(Form12Look, CaptionsAndFrame)
{
    Form12 d(Preferences {});
    if (DialogTesting::KeepOpen()) {
        d.exec();
        return;
    }
    QStringList groups;
    for (const QGroupBox* g : d.findChildren<QGroupBox*>())
        groups << g->title();
    EXPECT_EQ(groups,
        QStringList({ "Window Behavior:", "Building Lists:", "Opening Links:", "Saving Files:",
            "Send downloads to an aria2 daemon" }));
    DialogTesting::ExpectFixedDialog(d, "Program Preferences",
        {
            { "chkontop", "Keep program window on top of all other windows." },
            { "chkexjs", "Exclude \"javascript:\" links." },
            { "chkexmt", "Exclude \"mailto:\" links." },
            { "chkdefapp", "\"Append to existing list\" checked by default." },
            { "oplnkopen_0", "Open links in new window." },
            { "oplnkopen_1", "Open links in existing window (if any)." },
            { "opowaction_0", "Prompt." },
            { "opowaction_1", "Overwrite." },
            { "opowaction_2", "Skip file." },
            { "opowaction_3", "Save with new auto generated unique name." },
            { "Command1", "Save" },
            { "Command2", "Cancel" },
            { "Command3", "Help" },
        },
        "Command1");
    QStringList labels;
    for (const QLabel* l : d.findChildren<QLabel*>())
        labels << l->text();
    EXPECT_TRUE(labels.contains("Default action to take when opening links from list:"));
    EXPECT_TRUE(labels.contains(
        "Default action to take if file being saved already exists in destination folder:"));
}

TEST(Form12Test, Aria2SecretForAnotherMachineOverPlainHttpIsRefusedWithTheDialogOpen)
{
    Form12 d(Preferences {});
    Child<QLineEdit>(d, "txtaria2url")->setText("http://nas.example:6800/jsonrpc");
    Child<QLineEdit>(d, "txtaria2secret")->setText("s3cret");
    Child<QPushButton>(d, "Command1")->click();
    EXPECT_FALSE(d.preferences());
    EXPECT_TRUE(Child<QLabel>(d, "lblaria2problem")->text().contains("https"));

    Child<QLineEdit>(d, "txtaria2url")->setText("https://nas.example:6800/jsonrpc");
    const Preferences p = saved(d);
    EXPECT_EQ(p.aria2Url, "https://nas.example:6800/jsonrpc");
    EXPECT_EQ(p.aria2Secret, "s3cret");
}
