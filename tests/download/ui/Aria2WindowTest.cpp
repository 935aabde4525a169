#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <thread>

#include "app/PreferencesStore.h"
#include "app/ui/Form1.h"
#include "compose/WindowServices.h"
#include "download/NetscapeCookies.h"
#include "download/ui/Form4.h"
#include "platform/SqliteRegistryStore.h"
#include "settings/CRegSettings.h"
#include "support/DialogTesting.h"
#include "support/LocalHttpServer.h"
#include "support/ScriptedPrompt.h"
#include "support/WaitFor.h"
#include "viewer/IBrowserWindows.h"

using DialogTesting::Child;

namespace
{

// A daemon that takes two links: the first completes, the second fails with its error.
class ScriptedDaemon final : public IAria2Rpc
{
public:
    quint64 call(const QString& method, const QJsonArray& params) override
    {
        methods.append(method);
        if (log)
            log->append(method);
        const quint64 id = ++m_last;
        Aria2Reply reply;
        reply.ok = true;
        const QJsonObject first = params.at(0).toArray().at(0).toObject();
        if (method == "system.multicall" && first.value("methodName") == "aria2.addUri") {
            firstLinkUri = first.value("params").toArray().at(1).toArray().at(0).toString();
            firstLinkOptions = first.value("params").toArray().at(2).toObject();
            reply.result = QJsonArray { QJsonArray { "g1" }, QJsonArray { "g2" } };
        } else if (method == "system.multicall") {
            const QJsonObject done { { "status", "complete" }, { "completedLength", "5" },
                { "files",
                    QJsonArray { QJsonObject {
                        { "path", firstLinkOptions.value("dir").toString() + "a.jpg" } } } } };
            const QJsonObject failed { { "status", "error" }, { "errorCode", "3" },
                { "errorMessage", "Resource not found" } };
            reply.result = QJsonArray { QJsonArray { done }, QJsonArray { failed } };
        }
        QMetaObject::invokeMethod(
            this, [this, id, reply] { emit replied(id, reply); }, Qt::QueuedConnection);
        return id;
    }
    QStringList methods;
    QStringList* log = nullptr; // where the methods are written too, when set
    QString firstLinkUri; // the address the first link was added with
    QJsonObject firstLinkOptions; // the options the first link was added with

private:
    quint64 m_last = 0;
};

// Browser windows whose profile holds cookies for two hosts.
class SignedInWindows final : public IBrowserWindows
{
public:
    IBrowserWindow* createWindow() override { return nullptr; }
    IBrowserWindow* lastHtmlWindow() override { return nullptr; }
    BrowserSession session() override
    {
        return { "Agent/1",
            { NetscapeCookies::line("127.0.0.2", "/", false, false, 0, "a", "2"),
                NetscapeCookies::line("127.0.0.3", "/", false, false, 0, "b", "3") } };
    }
};

// A main window whose preferences name a daemon, signed in through its browser windows.
struct HandOffWindow {
    QTemporaryDir dir;
    std::shared_ptr<SqliteRegistryStore> store
        = std::make_shared<SqliteRegistryStore>(dir.filePath("registry.sqlite3"));
    ScriptedPrompt prompt;
    SignedInWindows browsers;
    ScriptedDaemon* daemon = nullptr;
    std::unique_ptr<Form1> form;

    explicit HandOffWindow(QStringList* methods = nullptr)
    {
        CRegSettings settings = CRegSettings::forQuillmarch(store);
        Preferences prefs;
        prefs.aria2Url = "http://127.0.0.1:6800/jsonrpc";
        prefs.aria2Secret = "s";
        savePreferences(settings, prefs);
        Services services = windowServices(store);
        services.aria2Rpc = [this, methods](const QString&) {
            auto made = std::make_unique<ScriptedDaemon>();
            daemon = made.get();
            made->log = methods;
            return made;
        };
        form = std::make_unique<Form1>(std::move(services), &prompt);
        form->useBrowserWindows(browsers);
    }

    void save(const QString& link)
    {
        form->list().addMany({ link });
        form->mnulstselall_Click();
        prompt.folders = { dir.path() };
        form->mnufsav_Click();
    }
};

} // namespace

TEST(Aria2WindowTest, WithADaemonInThePreferencesTheWindowsDownloadsGoToIt)
{
    QTemporaryDir dir;
    const auto store = std::make_shared<SqliteRegistryStore>(dir.filePath("registry.sqlite3"));
    CRegSettings settings = CRegSettings::forQuillmarch(store);
    Preferences prefs;
    prefs.aria2Url = "http://127.0.0.1:6800/jsonrpc";
    prefs.aria2Secret = "s";
    savePreferences(settings, prefs);
    Services services = windowServices(store);
    ScriptedDaemon* daemon = nullptr;
    services.aria2Rpc = [&daemon](const QString&) {
        auto made = std::make_unique<ScriptedDaemon>();
        daemon = made.get();
        return made;
    };
    ScriptedPrompt prompt;
    Form1 form(std::move(services), &prompt);
    form.list().addMany({ "http://h/a.jpg", "http://h/b.jpg" });
    form.mnulstselall_Click();
    prompt.folders = { dir.path() };
    form.mnufsav_Click();

    auto* window = form.findChild<Form4*>();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitFor([&] { return !window->shownJob().isRunning(); }));
    EXPECT_EQ(daemon->methods.first(), "aria2.getVersion");
    EXPECT_EQ(daemon->firstLinkOptions.value("dir").toString(), dir.path() + "/");
    EXPECT_EQ(daemon->firstLinkOptions.value("out").toString(), "a.jpg");
    EXPECT_EQ(Child<QLabel>(*window, "Label3")->text(), "Error");
    EXPECT_EQ(Child<QProgressBar>(*window, "ProgressBar2")->value(), 2);
    EXPECT_EQ(Child<QPlainTextEdit>(*window, "Failures")->toPlainText(),
        "http://h/b.jpg: aria2 error 3: Resource not found");
    EXPECT_TRUE(Child<QPlainTextEdit>(*window, "Failures")->isVisible());
    EXPECT_EQ(form.windowTitle(), "Quillmarch - Saving Files (Error)");
    // The daemon's files are on its machine: no "Retry failed" here.
    EXPECT_FALSE(Child<QPushButton>(*window, "Command3")->isVisible());
    EXPECT_EQ(Child<QPushButton>(*window, "Command1")->text(), "Close");

    Child<QPushButton>(*window, "Command1")->click();
    ASSERT_TRUE(waitFor([&] { return form.findChild<Form4*>() == nullptr; }));
    EXPECT_TRUE(form.windowInputEnabled());
}

TEST(Aria2WindowTest, WithBrowserCookiesTheDaemonGetsTheAddressAfterRedirectsAndItsCookiesOnly)
{
    LocalHttpServer first;
    LocalHttpServer second;
    second.server().Get("/file.bin", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("moved file", "application/octet-stream");
    });
    ASSERT_TRUE(second.start("127.0.0.3"));
    first.server().Get("/file.bin", [&](const httplib::Request&, httplib::Response& res) {
        res.set_redirect(second.url("/file.bin").toStdString());
    });
    ASSERT_TRUE(first.start("127.0.0.2"));
    HandOffWindow window;

    window.save(first.url("/file.bin"));
    // The links are resolved without holding the window up; the hand-off follows.
    EXPECT_EQ(window.form->findChild<Form4*>(), nullptr);
    ASSERT_TRUE(waitFor([&] { return window.form->findChild<Form4*>() != nullptr; }));
    ASSERT_TRUE(waitFor([&] { return !window.daemon->firstLinkUri.isEmpty(); }));
    EXPECT_EQ(window.daemon->firstLinkUri, second.url("/file.bin"));
    const QJsonArray headers = window.daemon->firstLinkOptions.value("header").toArray();
    EXPECT_TRUE(headers.contains("Cookie: b=3")) << QJsonDocument(headers).toJson().toStdString();
    EXPECT_FALSE(headers.contains("Cookie: a=2"));
}

TEST(Aria2WindowTest, ClosingTheMainWindowWhileLinksAreResolvedHandsNothingOff)
{
    LocalHttpServer slow;
    std::atomic<bool> asked = false;
    slow.server().Get("/file.bin", [&](const httplib::Request&, httplib::Response& res) {
        asked = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        res.set_content("late", "application/octet-stream");
    });
    ASSERT_TRUE(slow.start("127.0.0.2"));
    QStringList methods;
    {
        HandOffWindow window(&methods);
        window.save(slow.url("/file.bin"));
        ASSERT_TRUE(waitFor([&] { return asked.load(); }));
    }
    // The answer arrives after the window is gone: nothing is delivered, nothing sent.
    QTest::qWait(1000);
    EXPECT_TRUE(methods.isEmpty()) << methods.join(' ').toStdString();
}
