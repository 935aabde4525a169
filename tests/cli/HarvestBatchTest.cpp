#include <QTimer>
#include <gtest/gtest.h>
#include <map>

#include "builders/IShellWindows.h"
#include "cli/HarvestBatch.h"
#include "compose/CommandLineServices.h"
#include "support/LocalHttpServer.h"
#include "support/QtPrinters.h"

namespace
{

// A page that completes, one event later, with links named after its URL, unless its
// URL is held: then it completes only when released.
struct ScriptedBrowser final : IHarvestBrowser {
    explicit ScriptedBrowser(std::map<QString, std::function<void()>>& held)
        : m_held(held)
    {
    }
    void setDocumentCompleteHandler(std::function<void()> h) override { m_complete = h; }
    void setNavigateErrorHandler(std::function<void(qint32)>) override { }
    void setProgressHandler(std::function<void(int, int)>) override { }
    void navigate(const QString& url) override
    {
        m_url = url;
        if (url.endsWith(QLatin1StringView("/held")))
            m_held[url] = m_complete;
        else
            QTimer::singleShot(0, [c = m_complete] { c(); });
    }
    void stop() override { }
    void collectEntries(EntriesHandler done) override
    {
        done(ListEntries {
            { m_url + "#1", {} }, { QStringLiteral("http://shared/"), {} }, { m_url + "#2", {} } });
    }

    std::map<QString, std::function<void()>>& m_held;
    std::function<void()> m_complete;
    QString m_url;
};

struct NoWindows final : IShellWindows {
    QList<std::shared_ptr<IShellWindow>> windows() const override { return {}; }
};

} // namespace

// Pages end in any order but are written in the order given; while an early page is
// held, no more pages start than the window allows.
TEST(HarvestBatchTest, WritesPagesInOrderAndBoundsThePagesInFlight)
{
    LocalHttpServer site;
    site.server().Get(R"(/.*)", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("<p>", "text/html");
    });
    ASSERT_TRUE(site.start());

    const int pages = 40;
    QStringList urls { site.url("/held") };
    for (int i = 1; i < pages; ++i)
        urls.append(site.url(QStringLiteral("/p%1").arg(i)));
    qsizetype read = 0;
    std::map<QString, std::function<void()>> held;
    int made = 0;
    int mostMadeWhileHeld = 0;
    NoWindows windows;
    HarvestBatch::Options options;
    options.jobs = 2;
    options.dedupeAll = true;
    options.contentTypeCheck = commandLineServices(nullptr).newFetcher;
    MainState settings;
    HarvestBatch batch(
        settings,
        [&]() -> std::optional<QString> {
            if (read == urls.size())
                return std::nullopt;
            return urls.at(read++);
        },
        windows,
        [&] {
            ++made;
            return std::make_unique<ScriptedBrowser>(held);
        },
        options);
    QByteArray out;
    QByteArray err;
    batch.setWriters(
        [&](const QByteArray& t) { out += t; }, [&](const QByteArray& t) { err += t; });

    // Releases the held page once the batch has stalled behind it.
    QTimer release;
    QObject::connect(&release, &QTimer::timeout, [&] {
        if (held.empty())
            return;
        mostMadeWhileHeld = made;
        if (read < urls.size() && out.isEmpty() && made < batch.window())
            return; // still filling the window
        const auto complete = held.begin()->second;
        held.clear();
        complete();
    });
    release.start(20);

    EXPECT_EQ(batch.run(), 0) << err.toStdString();
    EXPECT_EQ(mostMadeWhileHeld, batch.window());
    QStringList expected;
    for (const QString& url : urls)
        expected << url + "#1" << url + "#2";
    expected.insert(1, QStringLiteral("http://shared/"));
    EXPECT_EQ(QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts), expected);
}
