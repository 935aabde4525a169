#include <QJsonObject>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

#include "download/ui/Aria2Window.h"
#include "support/DialogTesting.h"
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
        if (method == "system.multicall"
            && params.at(0).toArray().at(0).toObject().value("methodName") == "aria2.addUri") {
            reply.result = QJsonArray { QJsonArray { "g1" }, QJsonArray { "g2" } };
        } else if (method == "system.multicall") {
            const QJsonObject done { { "status", "complete" }, { "completedLength", "5" },
                { "files", QJsonArray { QJsonObject { { "path", "/srv/a.jpg" } } } } };
            const QJsonObject failed { { "status", "error" }, { "errorCode", "3" },
                { "errorMessage", "Resource not found" } };
            reply.result = QJsonArray { QJsonArray { done }, QJsonArray { failed } };
        }
        QMetaObject::invokeMethod(
            this, [this, id, reply] { emit replied(id, reply); }, Qt::QueuedConnection);
        return id;
    }
    QStringList methods;

private:
    quint64 m_last = 0;
};

} // namespace

TEST(Aria2WindowTest, ShowsEachFailedLinkWithTheDaemonsErrorOnceEnded)
{
    ScriptedDaemon daemon;
    auto* window = new Aria2Window({ { "http://h/a.jpg" }, { "http://h/b.jpg" } },
        { "http://127.0.0.1:6800/jsonrpc", "s" }, daemon, nullptr);
    window->show();
    ASSERT_TRUE(waitFor([&] { return !window->job().isRunning(); }));
    EXPECT_EQ(daemon.methods.first(), "aria2.getVersion");
    EXPECT_EQ(Child<QLabel>(*window, "Label3")->text(), "Error");
    EXPECT_EQ(Child<QProgressBar>(*window, "ProgressBar2")->value(), 2);
    EXPECT_EQ(Child<QPlainTextEdit>(*window, "Failures")->toPlainText(),
        "http://h/b.jpg: aria2 error 3: Resource not found");
    EXPECT_TRUE(Child<QPlainTextEdit>(*window, "Failures")->isVisible());
    EXPECT_EQ(Child<QPushButton>(*window, "Command1")->text(), "Close");
    window->close();
}
