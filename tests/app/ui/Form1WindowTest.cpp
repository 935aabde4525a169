#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "app/ui/Form1.h"
#include "app/ui/Form12.h"
#include "compose/WindowServices.h"
#include "listops/ui/LinkListView.h"
#include "platform/SqliteRegistryStore.h"
#include "support/DialogTesting.h"
#include "support/QtPrinters.h"
#include "support/ScriptedPrompt.h"
#include "support/TempSettingsStore.h"

using DialogTesting::Child;

// The main window shown and active, driven with real keys, drops and focus changes.
namespace
{

class Form1WindowTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_temp.isValid()); }

    TempSettingsStore m_temp;
    ScriptedPrompt m_prompt;
};

// Text from Linux programs ends its lines in LF alone (and old Mac text in CR): pasted
// with the keyboard or dropped, each line is an entry of its own.
TEST_F(Form1WindowTest, LoneLineFeedsAndCarriageReturnsEndPastedAndDroppedLines)
{
    Form1 form(windowServices(m_temp.store()), &m_prompt);
    ASSERT_TRUE(DialogTesting::ShowActive(form));
    QGuiApplication::clipboard()->setText("http://a.example/1\nnot a link\nhttp://a.example/2\n");
    QTest::keyClick(form.listView(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form.list().entries(), QStringList({ "http://a.example/1", "http://a.example/2" }));

    m_prompt.desiredActions.push_back(true);
    QMimeData text;
    text.setText("ftp://b.example/3\rhttp://b.example/4\r\n");
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.listView()->viewport(), &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.listView()->viewport(), &drop);
    EXPECT_EQ(form.list().entries(),
        QStringList({ "http://a.example/1", "http://a.example/2", "ftp://b.example/3",
            "http://b.example/4" }));
}

// The list gaining focus from the keyboard or from its window's activation makes no
// entry current; the right-click menu and Enter then have nothing to act on.
TEST_F(Form1WindowTest, NoEntryBecomesCurrentWithoutTheUser)
{
    Form1 form(windowServices(m_temp.store()), &m_prompt);
    form.list().addMany({ "http://a.example/1", "http://a.example/2" });
    ASSERT_TRUE(DialogTesting::ShowActive(form));
    form.listView()->setFocus(Qt::TabFocusReason);

    QWidget other;
    auto* box = new QLineEdit(&other);
    box->setFocus();
    ASSERT_TRUE(DialogTesting::ShowActive(other));
    ASSERT_TRUE(DialogTesting::ShowActive(form)); // the list regains focus
    ASSERT_TRUE(form.listView()->hasFocus());
    EXPECT_EQ(form.list().currentIndex(), -1);

    QTest::mouseClick(form.listView()->viewport(), Qt::LeftButton, {},
        form.listView()->visualRect(form.list().index(1)).center());
    EXPECT_EQ(form.list().currentIndex(), 1);
}

// Unticking "on top" in Preferences takes the window out of the band once: it does not
// return to the band of the old value first.
TEST_F(Form1WindowTest, PreferencesApplyTheTopmostBandOnceWithTheNewValue)
{
    Form1 form(windowServices(m_temp.store())); // the real dialogs
    ASSERT_TRUE(form.isTopmost());
    QSignalSpy band(&form, &Form1::topmostBandChanged);
    DialogTesting::WhenModal<Form12>([](Form12* dialog) {
        Child<QCheckBox>(*dialog, "chkontop")->setChecked(false);
        Child<QPushButton>(*dialog, "Command1")->click();
    });
    form.mnuopoptions_Click();
    ASSERT_EQ(band.size(), 1);
    EXPECT_FALSE(band.at(0).at(0).toBool());
    EXPECT_FALSE(form.isTopmost());
}

// A damaged settings file found by the command-line tool: the tool says so, and the
// window shows the notice at its next start, once. Settings that cannot be saved are
// told once.
TEST_F(Form1WindowTest, SettingsNoticesAreShownOnce)
{
    QTemporaryDir config;
    QDir().mkpath(config.filePath("quillmarch"));
    const QString path = config.filePath("quillmarch/registry.sqlite3");
    QFile damaged(path);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray("not a database\n").repeated(100));
    damaged.close();
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", config.path());
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(QM_BINARY_DIR "/quillmarch-cli"), { "text" });
    ASSERT_TRUE(cli.waitForStarted(30000));
    cli.write("http://a.example/\n");
    cli.closeWriteChannel();
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_TRUE(cli.readAllStandardError().contains("Settings Reset"));

    auto store = std::make_shared<SqliteRegistryStore>(path);
    for (int start = 0; start < 2; ++start) {
        Form1 form(windowServices(store), &m_prompt);
        form.show();
        form.showStartupNotices();
    }
    EXPECT_EQ(m_prompt.titles(), QStringList { "Settings Reset" });

    m_prompt.messages.clear();
    QTemporaryDir blocked;
    ASSERT_TRUE(QDir().mkpath(blocked.filePath("registry.sqlite3")));
    Form1 form(
        windowServices(std::make_shared<SqliteRegistryStore>(blocked.filePath("registry.sqlite3"))),
        &m_prompt);
    form.show();
    form.showStartupNotices();
    for (const bool ontop : { false, true }) {
        Preferences prefs = form.state().prefs;
        prefs.ontop = ontop;
        m_prompt.preferences.push_back(prefs);
        form.mnuopoptions_Click();
    }
    QTest::qWait(20);
    EXPECT_EQ(m_prompt.titles(), QStringList { "Settings Not Saved" });
}

} // namespace
