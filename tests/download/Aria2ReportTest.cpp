#include <QJsonArray>
#include <QJsonObject>
#include <QTimer>
#include <gtest/gtest.h>
#include <map>

#include "download/Aria2Job.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

namespace
{

// A daemon that takes every link and reports each one with the status given for it.
class ReportingDaemon final : public IAria2Rpc
{
public:
    explicit ReportingDaemon(QList<QJsonObject> statuses)
        : m_statuses(std::move(statuses))
    {
    }

    quint64 call(const QString& method, const QJsonArray& params) override
    {
        const quint64 id = ++m_id;
        Aria2Reply reply;
        reply.ok = true;
        if (method == QLatin1String("system.multicall")) {
            QJsonArray results;
            const QJsonArray calls = params.at(0).toArray();
            for (qsizetype i = 0; i < calls.size(); ++i) {
                const QJsonObject call = calls.at(i).toObject();
                if (call.value("methodName").toString() == "aria2.addUri") {
                    added.append(call.value("params").toArray().at(1).toObject());
                    results.append(QJsonArray { QString::number(i) });
                } else {
                    const int gid = call.value("params").toArray().at(0).toString().toInt();
                    results.append(QJsonArray { m_statuses.at(gid) });
                }
            }
            reply.result = results;
        }
        QTimer::singleShot(0, this, [this, id, reply] { emit replied(id, reply); });
        return id;
    }

    QList<QJsonObject> added; // the options each link was added with

private:
    QList<QJsonObject> m_statuses;
    quint64 m_id = 0;
};

QJsonObject complete(const QString& path, const QString& length)
{
    return { { "status", "complete" }, { "completedLength", length },
        { "files", QJsonArray { QJsonObject { { "path", path } } } } };
}

} // namespace

TEST(Aria2ReportTest, ADaemonsReportOutsideTheFolderOrWithoutASizeIsAFailure)
{
    ReportingDaemon daemon({ complete("/srv/in/a.bin", "5"), complete("/srv/in/../etc/passwd", "5"),
        complete("/srv/in/c.bin", "-1"), complete("/srv/inside/d.bin", "5"),
        { { "status", "error" }, { "errorCode", "13" }, { "errorMessage", "exists" } } });
    Aria2JobOptions options { "http://127.0.0.1:6800/jsonrpc", {}, "/srv/in" };
    options.nameMask = "*num*-*name*.*ext*";
    options.pollIntervalMs = 10;
    QList<Aria2Link> links;
    for (const char* name : { "a.bin", "%62.bin?v=2#t", "c.bin", "d.bin", "e.bin" })
        links.append({ QStringLiteral("http://files.test/x/") + name });
    Aria2Job job(links, options, daemon);
    std::map<int, Result<SavedFile>> outcomes;
    QObject::connect(&job, &Aria2Job::linkFinished,
        [&](int index, const QString&, const Result<SavedFile>& result) {
            outcomes.insert_or_assign(index, result);
        });
    job.start();
    ASSERT_TRUE(waitFor([&] { return outcomes.size() == 5; }));

    EXPECT_EQ(daemon.added.at(1).value("out").toString(), "002-b.bin");
    ASSERT_TRUE(outcomes.at(1).isOk());
    EXPECT_EQ(outcomes.at(1).value().size, 5);
    EXPECT_FALSE(outcomes.at(2).isOk());
    EXPECT_TRUE(outcomes.at(2).message().contains("outside"))
        << outcomes.at(2).message().toStdString();
    EXPECT_FALSE(outcomes.at(3).isOk());
    EXPECT_FALSE(outcomes.at(4).isOk()); // a sibling folder sharing the prefix
    ASSERT_TRUE(outcomes.at(5).isOk());
    EXPECT_TRUE(outcomes.at(5).value().skipped);
    EXPECT_EQ(outcomes.at(5).value().path, "/srv/in/005-e.bin");
}

TEST(Aria2ReportTest, TheJobKeepsEachLinksStateAndTheSummaryAsTheDaemonReports)
{
    ReportingDaemon daemon({ complete("/srv/in/a.1.bin", "5"),
        { { "status", "error" }, { "errorCode", "3" }, { "errorMessage", "not found" } },
        { { "status", "error" }, { "errorCode", "13" }, { "errorMessage", "exists" } },
        { { "status", "active" }, { "completedLength", "7" }, { "totalLength", "70" } } });
    Aria2JobOptions options { "http://127.0.0.1:6800/jsonrpc", {}, "/srv/in" };
    options.pollIntervalMs = 10;
    QList<Aria2Link> links;
    for (const char* name : { "a.bin", "b.bin", "c.bin", "d.bin" })
        links.append({ QStringLiteral("http://files.test/x/") + name });
    links[1].context.page = "http://pages.test/b";
    Aria2Job job(links, options, daemon);
    job.start();
    ASSERT_TRUE(waitFor([&] { return job.links().at(3).bytes == 7 && job.summary().failed == 1; }));

    using Status = DownloadLinkState::Status;
    const QList<DownloadLinkState>& states = job.links();
    EXPECT_EQ(states.at(0).status, Status::Saved);
    EXPECT_EQ(states.at(0).folder + states.at(0).file, "/srv/in/a.1.bin"); // the daemon's name
    EXPECT_EQ(states.at(0).bytes, 5);
    EXPECT_EQ(states.at(1).status, Status::Failed);
    EXPECT_TRUE(states.at(1).reason.contains("not found"));
    EXPECT_EQ(states.at(2).status, Status::Skipped);
    EXPECT_EQ(states.at(3).status, Status::Running);
    EXPECT_EQ(states.at(3).size, 70);
    const DownloadSummary& summary = job.summary();
    EXPECT_EQ(summary.saved, 1);
    EXPECT_EQ(summary.skipped, 1);
    EXPECT_EQ(summary.savedBytes, 5);
    ASSERT_EQ(summary.failures.size(), 1);
    EXPECT_EQ(summary.failures.at(0).item.number, 2); // "Retry failed" keeps its *num*
    EXPECT_EQ(summary.failures.at(0).item.entry.context.page, "http://pages.test/b");
    job.cancel();
    EXPECT_TRUE(waitFor([&] { return job.phase() == Aria2Job::Phase::Cancelled; }));
}
