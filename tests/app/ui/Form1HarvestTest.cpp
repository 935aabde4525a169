#include <QDropEvent>
#include <QMimeData>
#include <QProcess>
#include <gtest/gtest.h>

#include "app/ui/Form1.h"
#include "listops/ui/LinkListView.h"
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
    Form1 form(Services::standard(m_temp.store()), &m_prompt);
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
    EXPECT_TRUE(form.state().handover.nurl.isEmpty()) << "the harvest took it";
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
    Form1 form(Services::standard(m_temp.store()), &m_prompt);
    form.show();
    m_prompt.urls.push_back(UrlRequest { m_server.url("/links.html"), false });
    form.mnufURL_Click();
    ASSERT_TRUE(waitFor([&] { return form.countText() == "3 links found"; }, 60000));
    EXPECT_EQ(form.Status(), form.idleStatusText());
    EXPECT_TRUE(form.windowInputEnabled());
    EXPECT_GT(form.listView()->horizontalExtent(), 0);
}

TEST_F(Form1HarvestTest, DroppedTextIsBuiltAndOtherDataIsRefused)
{
    Form1 form(Services::standard(m_temp.store()), &m_prompt);
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
    EXPECT_FALSE(form.state().handover.drgdrp);
}

} // namespace
