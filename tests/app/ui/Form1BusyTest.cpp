#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "app/ui/Form1.h"
#include "builders/UrlListBuilder.h"
#include "compose/WindowServices.h"
#include "listops/ui/LinkListView.h"
#include "settings/CRegSettings.h"
#include "support/DialogTesting.h"
#include "support/LocalHttpServer.h"
#include "support/ScriptedPrompt.h"
#include "support/TempSettingsStore.h"
#include "support/WaitFor.h"

// The main window while a build waits on a server that accepts the connection and never
// answers: closing it, typing into it, and links sent meanwhile.
namespace
{

const QString kBuilding = QStringLiteral("Bulding list (press \"Esc\" to cancel).");

class Form1BusyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        // Answers nothing until the test ends (bounded, so a failing test cannot hang).
        m_server.server().Get("/silent", [this](const httplib::Request&, httplib::Response& res) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (!m_release && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            res.set_content("<html></html>", "text/html");
        });
        ASSERT_TRUE(m_server.start());
        m_silent = m_server.url("/silent");
    }
    void TearDown() override
    {
        m_release = true;
        m_server.stop();
    }

    // Closes the window as the window manager's close box does, once `ready` holds.
    void closeWhen(Form1& form, std::function<bool()> ready)
    {
        QTimer::singleShot(10, &form, [this, &form, ready] {
            if (ready())
                form.close();
            else
                closeWhen(form, ready);
        });
    }

    TempSettingsStore m_temp;
    ScriptedPrompt m_prompt;
    LocalHttpServer m_server;
    std::atomic<bool> m_release { false };
    QString m_silent;
};

// Each moment of a build at which the window can be closed; the build is cancelled,
// the window closes, nothing is added, and the settings stay readable and writable.
TEST_F(Form1BusyTest, ClosingDuringABuildCancelsItAndCloses)
{
    enum class Moment { ContentTypeCheck, LinkTargetCheck, PageLoad, IncomingQuestion };
    for (const Moment moment : { Moment::ContentTypeCheck, Moment::LinkTargetCheck,
             Moment::PageLoad, Moment::IncomingQuestion }) {
        SCOPED_TRACE(static_cast<int>(moment));
        m_prompt = ScriptedPrompt();
        auto form = std::make_unique<Form1>(windowServices(m_temp.store()), &m_prompt);
        form->show();
        QSignalSpy finished(form.get(), &Form1::harvestFinished);
        Form1& f = *form;
        auto building = [&f] { return f.Status() == kBuilding || !f.windowInputEnabled(); };

        switch (moment) {
        case Moment::ContentTypeCheck:
            m_prompt.urls.push_back(UrlRequest { m_silent, false, {} });
            closeWhen(f, building);
            f.mnufURL_Click(); // returns while the check runs
            ASSERT_TRUE(waitFor([&] { return !f.isVisible(); }));
            break;
        case Moment::LinkTargetCheck:
            f.list().add(m_silent);
            f.list().setCurrentIndex(0);
            closeWhen(f, building);
            f.mnusavpopbuild_Click();
            ASSERT_TRUE(waitFor([&] { return !f.isVisible(); }));
            break;
        case Moment::PageLoad:
            ASSERT_TRUE(f.receiveLink(m_silent));
            ASSERT_TRUE(waitFor([&] { return f.buildRunning(); }));
            f.close();
            break;
        case Moment::IncomingQuestion:
            f.list().add(QStringLiteral("http://kept.example/"));
            m_prompt.whileDesiredActionOpen = [&f] { f.close(); };
            ASSERT_TRUE(f.receiveLink(m_silent));
            ASSERT_TRUE(waitFor([&] { return m_prompt.desiredActionAsked == 1; }));
            break;
        }

        EXPECT_FALSE(f.isVisible());
        QTest::qWait(50); // anything the cancelled build left queued runs now
        EXPECT_FALSE(f.isVisible());
        EXPECT_FALSE(f.buildRunning());
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_LE(finished.size(), 1);
        EXPECT_TRUE(m_prompt.messages.isEmpty()) << m_prompt.titles().join(",").toStdString();
        EXPECT_FALSE(f.list().entries().contains(m_silent) && moment == Moment::PageLoad);
        form.reset();
    }
    CRegSettings settings = m_temp.settings();
    settings.SaveSetting("Options", "Probe", "1");
    EXPECT_EQ(settings.GetSetting("Options", "Probe", "0"), "1");
}

// While busy only Esc and the close request get through: clicks, shortcuts and a tool
// bar added to the window do nothing; Esc ends the build and gives the window back.
TEST_F(Form1BusyTest, WhileBusyOnlyEscapeAndCloseGetThrough)
{
    Form1 form(windowServices(m_temp.store()), &m_prompt);
    QToolBar* bar = form.addToolBar(QStringLiteral("Toolbar1"));
    int toolUsed = 0;
    QAction* tool = bar->addAction(QStringLiteral("Tool"), [&] { ++toolUsed; });
    tool->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    ASSERT_TRUE(DialogTesting::ShowActive(form));
    form.list().add(QStringLiteral("http://a.example/"));

    m_prompt.urls.push_back(UrlRequest { m_silent, false, {} });
    bool checked = false;
    QTimer::singleShot(10, &form, [&] {
        ASSERT_TRUE(waitFor([&] { return form.Status() == kBuilding; }));
        EXPECT_FALSE(form.windowInputEnabled());
        QTest::mouseClick(bar->widgetForAction(tool), Qt::LeftButton);
        QTest::keyClick(&form, Qt::Key_T, Qt::ControlModifier);
        QTest::keyClick(&form, Qt::Key_L, Qt::ControlModifier); // Build list from URL
        QTest::keyClick(&form, Qt::Key_Delete);
        QTest::mouseClick(form.listView()->viewport(), Qt::LeftButton);
        EXPECT_EQ(form.list().selectedCount(), 0);
        QTest::mouseClick(form.menuBar(), Qt::LeftButton, {}, QPoint(12, 8));
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        checked = true;
        QTest::keyClick(&form, Qt::Key_Escape);
    });
    form.mnufURL_Click(); // returns while the check runs
    EXPECT_TRUE(waitFor([&] { return checked; }));
    EXPECT_EQ(toolUsed, 0);
    EXPECT_TRUE(m_prompt.urls.empty());
    EXPECT_EQ(form.list().count(), 1);
    EXPECT_TRUE(form.windowInputEnabled());
    EXPECT_TRUE(bar->isEnabled());
    EXPECT_EQ(form.Status(), form.idleStatusText());
}

// Links sent while the question of an earlier one is open wait their turn, one question
// at a time; the queue is bounded and a sender beyond it is told so.
TEST_F(Form1BusyTest, IncomingLinksWaitInABoundedQueue)
{
    Form1 form(windowServices(m_temp.store()), &m_prompt);
    form.show();
    const Result<> receiving = form.installLinkReceiver();
    ASSERT_TRUE(receiving.isOk()) << receiving.message().toStdString();
    form.list().add(QStringLiteral("http://kept.example/"));
    m_prompt.desiredActions.assign(100, true); // append: every step asks again

    int taken = 0;
    int depth = 0;
    int deepest = 0;
    QProcess sender;
    m_prompt.whileDesiredActionOpen = [&] {
        deepest = std::max(deepest, ++depth);
        if (m_prompt.desiredActionAsked == 1) {
            while (form.receiveLink(QStringLiteral("http://queued.example/%1").arg(taken)))
                ++taken;
            sender.start(QStringLiteral(QM_BINARY_DIR "/quillmarch"), { "--send-link", m_silent });
            ASSERT_TRUE(sender.waitForStarted(10000));
            ASSERT_TRUE(waitFor([&] { return sender.state() == QProcess::NotRunning; }, 20000));
        }
        --depth;
    };
    ASSERT_TRUE(form.receiveLink(m_silent));
    ASSERT_TRUE(waitFor([&] { return m_prompt.desiredActionAsked == taken + 1; }));
    EXPECT_GT(taken, 2);
    EXPECT_LT(taken, 100);
    EXPECT_EQ(sender.exitCode(), 1);
    EXPECT_TRUE(sender.readAllStandardError().contains("busy"));
    EXPECT_EQ(deepest, 1);
}

} // namespace
