#include <QJsonObject>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/PreferencesStore.h"
#include "app/ui/Form1.h"
#include "app/ui/Services.h"
#include "download/ui/Aria2Window.h"
#include "platform/SqliteRegistryStore.h"
#include "settings/CRegSettings.h"
#include "support/DialogTesting.h"
#include "support/ScriptedPrompt.h"
#include "support/WaitFor.h"

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
        const quint64 id = ++m_last;
        Aria2Reply reply;
        reply.ok = true;
        const QJsonObject first = params.at(0).toArray().at(0).toObject();
        if (method == "system.multicall" && first.value("methodName") == "aria2.addUri") {
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
    QJsonObject firstLinkOptions; // the options the first link was added with

private:
    quint64 m_last = 0;
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
    Services services = Services::standard(store);
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

    auto* window = form.findChild<Aria2Window*>();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitFor([&] { return !window->job().isRunning(); }));
    EXPECT_EQ(daemon->methods.first(), "aria2.getVersion");
    EXPECT_EQ(daemon->firstLinkOptions.value("dir").toString(), dir.path() + "/");
    EXPECT_EQ(daemon->firstLinkOptions.value("out").toString(), "a.jpg");
    EXPECT_EQ(Child<QLabel>(*window, "Label3")->text(), "Error");
    EXPECT_EQ(Child<QProgressBar>(*window, "ProgressBar2")->value(), 2);
    EXPECT_EQ(Child<QPlainTextEdit>(*window, "Failures")->toPlainText(),
        "http://h/b.jpg: aria2 error 3: Resource not found");
    EXPECT_TRUE(Child<QPlainTextEdit>(*window, "Failures")->isVisible());
    EXPECT_EQ(form.windowTitle(), "Quillmarch - Saving Files (Error)");

    Child<QPushButton>(*window, "Command1")->click();
    ASSERT_TRUE(waitFor([&] { return form.findChild<Aria2Window*>() == nullptr; }));
    EXPECT_TRUE(form.windowInputEnabled());
}
