#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <gtest/gtest.h>

#include "app/PreferencesStore.h"
#include "app/ui/Form1.h"
#include "compose/WindowServices.h"
#include "download/DownloadFigures.h"
#include "download/ui/Form4.h"
#include "platform/SqliteRegistryStore.h"
#include "settings/TypedSettings.h"
#include "support/DialogTesting.h"
#include "support/LocalHttpServer.h"
#include "support/QtPrinters.h"
#include "support/ScriptedPrompt.h"
#include "support/WaitFor.h"

using DialogTesting::Child;

namespace
{

class Form4Test : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(m_out.isValid());
        m_store = std::make_shared<SqliteRegistryStore>(m_dir.filePath("registry.sqlite3"));
        m_site.page("/a.txt", "a", "text/plain");
        m_site.page("/b.txt", "b", "text/plain");
        m_site.page("/nothing/", "<p>index</p>");
        m_site.server().Get("/stall.bin", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(
                1000, "application/octet-stream", [this](size_t, size_t, httplib::DataSink&) {
                    while (!m_release)
                        std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    return false;
                });
        });
        ASSERT_TRUE(m_site.start());
        m_form = std::make_unique<Form1>(windowServices(m_store), &m_prompt);
    }

    void TearDown() override
    {
        m_release = true;
        m_form.reset();
    }

    // Selects links for the given paths and starts saving them into m_out.
    Form4* save(const QStringList& paths)
    {
        QStringList links;
        for (const QString& p : paths)
            links.append(m_site.url(p));
        m_form->list().addMany(links);
        m_form->mnulstselall_Click();
        m_prompt.folders = { m_out.path() };
        m_form->mnufsav_Click();
        return m_form->downloadWindow();
    }

    QTemporaryDir m_dir;
    QTemporaryDir m_out;
    std::shared_ptr<SqliteRegistryStore> m_store;
    ScriptedPrompt m_prompt;
    std::atomic<bool> m_release { false }; // outlives the server's threads
    LocalHttpServer m_site;
    std::unique_ptr<Form1> m_form;
};

} // namespace

TEST_F(Form4Test, SavesTheSelectionAndOffersTheFolder)
{
    Form4* window = save({ "/a.txt", "/nothing/", "/b.txt" });
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(m_prompt.lastPickerTitle, "Save Link Target(s) in...");
    EXPECT_EQ(lastUsedSaveFolder(CRegSettings::forQuillmarch(m_store)), m_out.path());
    EXPECT_FALSE(m_form->windowInputEnabled());
    ASSERT_TRUE(waitFor([&] { return !window->job().isRunning(); }));
    QTest::qWait(50); // the window repaints on its own timer

    EXPECT_EQ(window->windowTitle(), "Saving Files");
    EXPECT_EQ(Child<QLabel>(*window, "Label3")->text(), "Done");
    EXPECT_EQ(Child<QPushButton>(*window, "Command1")->text(), "Close");
    EXPECT_EQ(Child<QPushButton>(*window, "Command2")->text(), "Open Folder");
    EXPECT_EQ(m_form->windowTitle(), "Quillmarch - Saving Files (Complete)");
    EXPECT_TRUE(QFile::exists(m_out.filePath("a.txt")));
    EXPECT_TRUE(QFile::exists(m_out.filePath("index.html")));
    EXPECT_TRUE(QFile::exists(m_out.filePath("b.txt")));

    Child<QPushButton>(*window, "Command1")->click();
    ASSERT_TRUE(waitFor([&] { return m_form->downloadWindow() == nullptr; }));
    EXPECT_EQ(m_form->windowTitle(), "Quillmarch");
    EXPECT_TRUE(m_form->windowInputEnabled());
}

TEST_F(Form4Test, StartRules)
{
    m_form->list().addMany({ "", m_site.url("/a.txt") });
    m_form->mnulstselall_Click();
    m_prompt.folders = { m_out.path() };
    m_form->mnufsav_Click(); // the first selected entry is empty
    EXPECT_EQ(m_form->downloadWindow(), nullptr);
    EXPECT_EQ(m_prompt.folders.size(), 1u);

    m_form->list().setSelected(0, false);
    m_prompt.folders = { QString() }; // the picker is cancelled
    const QString before = lastUsedSaveFolder(CRegSettings::forQuillmarch(m_store));
    m_form->mnusavepoptrgt_Click();
    EXPECT_EQ(m_form->downloadWindow(), nullptr);
    EXPECT_EQ(lastUsedSaveFolder(CRegSettings::forQuillmarch(m_store)), before);
    EXPECT_TRUE(m_form->windowInputEnabled());
}

TEST_F(Form4Test, AnErrorEndOffersOnlyClose)
{
    Form4* window = save({ "/missing.txt" });
    ASSERT_TRUE(waitFor([&] { return !window->job().isRunning(); }));
    EXPECT_TRUE(Child<QPushButton>(*window, "Command2")->isHidden());
    EXPECT_EQ(Child<QPushButton>(*window, "Command1")->text(), "Close");
    EXPECT_EQ(m_form->windowTitle(), "Quillmarch - Saving Files (Error)");
    ASSERT_EQ(m_prompt.messages.size(), 1);
    EXPECT_EQ(m_prompt.messages[0].text, "ErrorCode: 404 : Not Found");
}

TEST_F(Form4Test, BackgroundHidesTheWindowUntilTheMainWindowIsRestored)
{
    m_form->show();
    Form4* window = save({ "/stall.bin", "/a.txt" });
    ASSERT_TRUE(waitFor([&] { return window->job().currentIndex() == 1; }));
    QTest::qWait(50);
    EXPECT_EQ(m_form->windowTitle(), "Quillmarch - Saving Files  (1 of 2)");
    EXPECT_TRUE(Child<QLabel>(*window, "Label3")->toolTip().endsWith("stall.bin (1 of 2)"));

    Child<QPushButton>(*window, "Command2")->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(m_form->windowInputEnabled());
    EXPECT_TRUE(m_form->isMinimized());
    // A new request shows the running job's window again instead of starting another.
    m_form->mnufsav_Click();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(m_form->downloadWindow(), window);

    Child<QPushButton>(*window, "Command1")->click(); // Cancel
    ASSERT_TRUE(waitFor([&] { return m_form->downloadWindow() == nullptr; }));
    EXPECT_FALSE(QFile::exists(m_out.filePath("stall.bin")));
    EXPECT_FALSE(QFile::exists(m_out.filePath("a.txt")));
    EXPECT_EQ(m_form->windowTitle(), "Quillmarch");
}

TEST_F(Form4Test, TheEndSumsUpAndRetryFailedFetchesTheFailedLinksAgain)
{
    // A retried link keeps the number it had in the job the user started.
    CRegSettings settings = CRegSettings::forQuillmarch(m_store);
    TypedSettings::writeText(settings, SettingsTable::FileNameMask, "*num*-*name*.*ext*");
    m_form = std::make_unique<Form1>(windowServices(m_store), &m_prompt);
    std::atomic<int> calls { 0 };
    m_site.server().Get("/flaky.txt", [&](const httplib::Request&, httplib::Response& res) {
        if (calls++ == 0)
            res.status = 404;
        else
            res.set_content("flaky", "text/plain");
    });
    Form4* window = save({ "/a.txt", "/flaky.txt" });
    ASSERT_TRUE(waitFor([&] { return !window->job().isRunning(); }));
    QPushButton* retry = Child<QPushButton>(*window, "Command3");
    EXPECT_EQ(Child<QLabel>(*window, "Summary")->text(),
        "1 saved, 0 skipped, 1 failed\n" + m_site.url("/flaky.txt")
            + ": ErrorCode: 404 : Not Found");
    ASSERT_FALSE(retry->isHidden());
    EXPECT_EQ(m_prompt.messages.size(), 1); // the link's own "Error" box stays

    retry->click();
    ASSERT_TRUE(waitFor([&] { return !window->job().isRunning(); }));
    EXPECT_EQ(window->job().count(), 1);
    EXPECT_EQ(Child<QLabel>(*window, "Summary")->text(), "1 saved, 0 skipped, 0 failed");
    EXPECT_TRUE(retry->isHidden());
    EXPECT_EQ(Child<QPushButton>(*window, "Command2")->text(), "Open Folder");
    EXPECT_EQ(QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden),
        (QStringList { "001-a.txt", "002-flaky.txt" }));
}

TEST_F(Form4Test, SeveralRunningAreListedAndClosingStopsThemAll)
{
    m_site.server().Get(
        R"(/stall\d\.bin)", [this](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider(
                "application/octet-stream", [this](size_t offset, httplib::DataSink& sink) {
                    if (offset == 0)
                        sink.write("12345", 5);
                    while (!m_release)
                        std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    return false;
                });
        });
    CRegSettings settings = CRegSettings::forQuillmarch(m_store);
    TypedSettings::writeInt(settings, SettingsTable::DownloadsAtOnce, 3);
    m_form = std::make_unique<Form1>(windowServices(m_store), &m_prompt);
    m_form->show();
    Form4* window = save({ "/stall1.bin", "/stall2.bin", "/stall3.bin", "/a.txt" });
    ASSERT_TRUE(waitFor([&] {
        const DownloadJob& job = window->job();
        const QList<RunningTransfer> running
            = DownloadFigures(job.links(), job.summary()).running();
        return running.size() == 3 && running.last().bytes == 5;
    }));
    QTest::qWait(50);
    const QString details = Child<QLabel>(*window, "Details")->text();
    EXPECT_EQ(details.count('\n'), 3) << details.toStdString();
    EXPECT_TRUE(details.startsWith("stall1.bin  5 bytes of unknown size")) << details.toStdString();
    EXPECT_EQ(m_form->windowTitle(), "Quillmarch - Saving Files  (3 of 4)");
    EXPECT_TRUE(Child<QLabel>(*window, "Label3")->toolTip().endsWith("stall3.bin (3 of 4)"));

    window->close();
    ASSERT_TRUE(waitFor([&] { return m_form->downloadWindow() == nullptr; }));
    // Each stopped link keeps its partial file for the next run; none got a final name.
    EXPECT_EQ(QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden).filter(".part").size(), 3);
    EXPECT_EQ(QDir(m_out.path()).entryList(QDir::Files), QStringList());
}
