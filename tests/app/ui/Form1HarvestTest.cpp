#include <QAction>
#include <QDropEvent>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/ui/Application.h"
#include "app/ui/Form1.h"
#include "compose/WindowServices.h"
#include "listops/ui/LinkListView.h"
#include "platform/LinkReceiver.h"
#include "settings/CRegSettings.h"
#include "support/LocalHttpServer.h"
#include "support/ScriptedPrompt.h"
#include "support/TempSettingsStore.h"
#include "support/WaitFor.h"

// The main window wired to the real hidden browser, the real link receiver and another
// Quillmarch process sending it a link.
namespace
{

class Form1HarvestTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        m_server.page("/links.html",
            "<html><body><a href='/a.zip'>a</a><a href='mailto:x@example.com'>m</a>"
            "<a href='/a.zip'>again</a><a href='b.html'>b</a></body></html>");
        ASSERT_TRUE(m_server.start());
    }

    TempSettingsStore m_temp;
    ScriptedPrompt m_prompt;
    LocalHttpServer m_server;
};

TEST_F(Form1HarvestTest, LinkSentByAnotherProcessIsHarvested)
{
    Form1 form(windowServices(m_temp.store()), &m_prompt);
    form.show();
    const Result<> receiving = form.installLinkReceiver();
    ASSERT_TRUE(receiving.isOk()) << receiving.message().toStdString();

    const QString url = m_server.url("/links.html");
    QProcess sender;
    sender.start(QStringLiteral(QM_BINARY_DIR "/quillmarch"), { "--send-link", url });
    ASSERT_TRUE(sender.waitForStarted(10000));
    ASSERT_TRUE(waitFor([&] { return sender.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(sender.exitCode(), 0) << sender.readAllStandardError().toStdString();

    ASSERT_TRUE(waitFor([&] { return form.countText().endsWith("links found"); }, 60000));
    EXPECT_EQ(form.list().entries(),
        (QStringList { m_server.url("/a.zip"), "mailto:x@example.com", m_server.url("/b.html") }));
    EXPECT_EQ(form.countText(), "3 links found");
    EXPECT_EQ(m_prompt.desiredActionAsked, 0); // the list was empty
    EXPECT_TRUE(form.windowInputEnabled());
}

TEST_F(Form1HarvestTest, SendingWithoutARunningProgramFails)
{
    QProcess sender;
    sender.start(QStringLiteral(QM_BINARY_DIR "/quillmarch"),
        { "--send-link", m_server.url("/links.html") });
    ASSERT_TRUE(sender.waitForFinished(20000));
    EXPECT_NE(sender.exitCode(), 0);
    EXPECT_FALSE(sender.readAllStandardError().isEmpty());
}

TEST_F(Form1HarvestTest, BuildFromUrlThroughTheDialogFillsTheList)
{
    Form1 form(windowServices(m_temp.store()), &m_prompt);
    form.show();
    // "Links and media" chosen in the dialog is the Options menu's choice from then on.
    m_prompt.urls.push_back(
        UrlRequest { m_server.url("/links.html"), false, HarvestCollect::Both });
    form.mnufURL_Click();
    EXPECT_EQ(m_prompt.lastUrlInput.collect, HarvestCollect::Links);
    EXPECT_TRUE(form.findChild<QAction*>("mnuopcolboth")->isChecked());
    EXPECT_EQ(m_temp.settings().GetSetting("Options", "Collect", ""), "Both");
    ASSERT_TRUE(waitFor([&] { return form.countText() == "3 links found"; }, 60000));
    EXPECT_EQ(form.Status(), form.idleStatusText());
    EXPECT_TRUE(form.windowInputEnabled());
    EXPECT_GT(form.listView()->horizontalExtent(), 0);
}

TEST_F(Form1HarvestTest, DroppedTextIsBuiltAndOtherDataIsRefused)
{
    Form1 form(windowServices(m_temp.store()), &m_prompt);
    form.show();
    QWidget* viewport = form.listView()->viewport();
    const QPointF at(10, 10);

    QMimeData files;
    files.setUrls({ QUrl::fromLocalFile(m_temp.filePath("x.txt")) });
    QDragEnterEvent enterFiles(
        at.toPoint(), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enterFiles);
    EXPECT_FALSE(enterFiles.isAccepted());

    QMimeData text;
    text.setText("http://drop.example/1\r\nnot a link\r\nftp://drop.example/2");
    QDragEnterEvent enterText(at.toPoint(), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enterText);
    EXPECT_TRUE(enterText.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    EXPECT_EQ(
        form.list().entries(), (QStringList { "http://drop.example/1", "ftp://drop.example/2" }));
}

} // namespace

// A second start of the program, run as its own process: it hands its text (or a request
// to come forward) to this window's receiver and ends; without a display it says so.
TEST_F(Form1HarvestTest, ALaterStartHandsItsTextToTheRunningWindowAndEnds)
{
    QTemporaryDir runtime;
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    const QString socket = LinkReceiver::userSocketPath();
    qputenv("XDG_RUNTIME_DIR", oldRuntime);

    Services services = windowServices(m_temp.store());
    services.linkReceiver = std::make_unique<LinkReceiver>(socket);
    Form1 form(std::move(services), &m_prompt);
    form.show();
    ASSERT_TRUE(form.installLinkReceiver().isOk());
    acceptLaterStarts(form);

    auto start = [&](const QStringList& arguments, bool display = true) {
        QProcess second;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtime.path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        if (!display) {
            for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
                environment.remove(name);
        }
        second.setProcessEnvironment(environment);
        second.start(QStringLiteral(QM_BINARY_DIR "/quillmarch"), arguments);
        EXPECT_TRUE(second.waitForStarted(10000));
        EXPECT_TRUE(waitFor([&] { return second.state() == QProcess::NotRunning; }, 30000));
        return std::make_pair(second.exitCode(), QString::fromUtf8(second.readAllStandardError()));
    };

    // Links dropped on the launcher arrive one an argument and stay separate entries.
    EXPECT_EQ(start({ "http://a.example/1", "http://b.example/2" }).first, 0);
    ASSERT_TRUE(waitFor([&] { return form.list().count() == 2; }, 20000));
    EXPECT_EQ(m_prompt.desiredActionAsked, 0);

    m_prompt.desiredActions.push_back(true); // append
    EXPECT_EQ(start({ "http://c.example/3" }).first, 0);
    ASSERT_TRUE(waitFor([&] { return form.list().count() == 3; }, 20000));
    EXPECT_EQ(form.list().entries(),
        (QStringList { "http://a.example/1", "http://b.example/2", "http://c.example/3" }));
    EXPECT_EQ(m_prompt.desiredActionAsked, 1);
    // Each hand-over is an undo step of its own.
    form.mnulstundo_Click();
    EXPECT_EQ(form.list().entries(), (QStringList { "http://a.example/1", "http://b.example/2" }));
    form.mnulstredo_Click();

    const auto raised = start({});
    EXPECT_EQ(raised.first, 0) << raised.second.toStdString();
    EXPECT_EQ(form.list().count(), 3);

    const auto headless = start({ "http://d.example/4" }, false);
    EXPECT_EQ(headless.first, 1);
    EXPECT_EQ(headless.second.count('\n'), 1);
    EXPECT_TRUE(
        headless.second.startsWith("quillmarch: ") && headless.second.contains("quillmarch-cli"))
        << headless.second.toStdString();
}
