#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

#include "listops/LinkList.h"
#include "support/LocalHttpServer.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

namespace
{

struct Ended {
    int exitCode = -1; // -1 when a signal ended the process
    QString out;
    QString err;
};

// Runs the built quillmarch-cli (through bash when a shell pipe is wanted) with its
// settings in a temporary folder.
class CliExitStatusTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_config.isValid()); }

    static QString tool() { return QStringLiteral(QM_BINARY_DIR "/quillmarch-cli"); }

    void prepare(QProcess& process) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
    }

    // stdoutFile: where standard output goes instead of the test (/dev/full).
    Ended cli(const QStringList& arguments, const QByteArray& input = {},
        const QString& stdoutFile = {}, const QString& program = tool())
    {
        QProcess process;
        prepare(process);
        if (!stdoutFile.isEmpty())
            process.setStandardOutputFile(stdoutFile);
        process.start(program, arguments);
        process.write(input);
        process.closeWriteChannel();
        return wait(process);
    }

    static Ended wait(QProcess& process)
    {
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
        }
        return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError()) };
    }

    QString path(const QString& name) const { return m_config.filePath(name); }

    QTemporaryDir m_config;
};

// A page that sends its first link, then holds the rest back until released.
void serveStalledPage(LocalHttpServer& site, std::atomic<bool>& reached, std::atomic<bool>& release)
{
    site.server().Get("/stalled.html", [&](const httplib::Request&, httplib::Response& res) {
        // The length announced is never reached: the page stays loading.
        constexpr size_t announced = 100000;
        res.set_content_provider(
            announced, "text/html", [&](size_t offset, size_t, httplib::DataSink& sink) {
                if (offset == 0) {
                    const std::string first
                        = "<html><body><a href='/early'>early</a>" + std::string(4096, ' ');
                    sink.write(first.data(), first.size());
                    reached = true;
                    return true;
                }
                for (int i = 0; i < 300 && !release; ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                return false;
            });
    });
}

} // namespace

TEST_F(CliExitStatusTest, CommandLineListsHaveNoLimit)
{
    constexpr int links = LinkList::MaxEntries + 5;
    QByteArray many;
    for (int i = 1; i <= links; ++i)
        many += "http://m/" + QByteArray::number(i) + (i % 2 ? "\r" : "\n");
    QFile file(path("many.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(many);
    file.close();
    const QStringList commands[] = {
        { "text", "--save", path("saved.txt") },
        { "file", path("many.txt"), "--save", path("saved.txt") },
        { "sequence", "http://m/1", "--start", "1", "--end", QString::number(links), "--select",
            "9:1", "--save", path("saved.txt") },
    };
    for (const QStringList& command : commands) {
        SCOPED_TRACE(command.first().toStdString());
        QFile::remove(path("saved.txt"));
        const Ended r = cli(command, many);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out.count('\n'), links);
        EXPECT_TRUE(r.out.endsWith(QStringLiteral("http://m/%1\n").arg(links)));
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
        QFile saved(path("saved.txt"));
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        EXPECT_TRUE(saved.readAll().contains("http://m/" + QByteArray::number(links) + "\r\n"));
    }
}

// Each failed page names its cause, and the exit status its kind; with several, the
// lowest non-zero status wins.
TEST_F(CliExitStatusTest, HarvestFailuresNameTheirCauseAndKind)
{
    LocalHttpServer site;
    site.page("/page.xhtml",
        "<?xml version='1.0'?><html xmlns='http://www.w3.org/1999/xhtml'><body>"
        "<a href='/x1'>x</a></body></html>",
        "application/xhtml+xml");
    for (const int status : { 401, 500 }) {
        site.server().Get("/" + std::to_string(status),
            [status](const httplib::Request&, httplib::Response& res) {
                res.status = status;
                res.set_content("<a href='/secret'>s</a>", "text/html");
            });
    }
    ASSERT_TRUE(site.start());
    const struct {
        QStringList urls;
        int exitCode;
        QString said;
    } rows[] = {
        { { site.url("/page.xhtml") }, 0, QString() },
        { { "http://unknown-host.invalid/" }, 4, "host not found" },
        { { "http://127.0.0.1:1/" }, 4, "connection refused" },
        { { site.url("/401") }, 6, "401 Unauthorized" },
        { { site.url("/500") }, 8, "500 Internal Server Error" },
        { { site.url("/401"), site.url("/500") }, 6, "500 Internal Server Error" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.urls.join(' ').toStdString());
        const Ended r = cli(QStringList { "harvest" } + row.urls);
        EXPECT_EQ(r.exitCode, row.exitCode) << r.err.toStdString();
        if (row.exitCode == 0)
            EXPECT_EQ(r.out, site.url("/x1") + "\n");
        else
            EXPECT_TRUE(r.err.contains(row.said)) << r.err.toStdString();
    }
}

// A server whose certificate no authority signed: both commands name the cause and give
// the TLS status.
TEST_F(CliExitStatusTest, AnUntrustedCertificateIsATlsFailure)
{
    const QString cert = path("cert.pem");
    const QString key = path("key.pem");
    QProcess openssl;
    openssl.start("openssl",
        { "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-days", "1",
            "-keyout", key, "-out", cert });
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0)
        GTEST_SKIP() << "openssl could not make a certificate";
    httplib::SSLServer server(cert.toUtf8().constData(), key.toUtf8().constData());
    server.Get("/", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("<a href='/a'>a</a>", "text/html");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port, 0);
    std::thread serving([&] { server.listen_after_bind(); });
    const QString url = QStringLiteral("https://127.0.0.1:%1/").arg(port);
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    for (const QStringList& command :
        { QStringList { "harvest", url }, QStringList { "download", "--dir", out.path(), url } }) {
        SCOPED_TRACE(command.first().toStdString());
        const Ended r = cli(command);
        EXPECT_EQ(r.exitCode, 5) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(
            command.first() == "harvest" ? "certificate not trusted" : "certificate"))
            << r.err.toStdString();
    }
    server.stop();
    serving.join();
}

TEST_F(CliExitStatusTest, HarvestWaitsToSettleAndGivesWhatItHasAtTheTimeout)
{
    LocalHttpServer site;
    site.page("/late.html",
        "<a href='/first'>1</a><script>setTimeout(function () { var a = "
        "document.createElement('a'); a.href = '/late'; document.body.appendChild(a); }, "
        "200);</script>");
    std::atomic<bool> reached = false;
    std::atomic<bool> release = false;
    serveStalledPage(site, reached, release);
    ASSERT_TRUE(site.start());

    Ended r = cli({ "harvest", "--settle", "3000", site.url("/late.html") });
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, site.url("/first") + "\n" + site.url("/late") + "\n");

    r = cli({ "harvest", "--timeout", "5", site.url("/stalled.html") });
    release = true;
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, site.url("/early") + "\n") << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Warning: the page did not load within 5 seconds"))
        << r.err.toStdString();
}

TEST_F(CliExitStatusTest, CtrlCEndsAHarvestAsInterrupted)
{
    LocalHttpServer site;
    std::atomic<bool> reached = false;
    std::atomic<bool> release = false;
    serveStalledPage(site, reached, release);
    ASSERT_TRUE(site.start());
    for (const QStringList& pages : { QStringList { site.url("/stalled.html") },
             QStringList { site.url("/stalled.html"), site.url("/stalled.html") } }) {
        reached = false;
        QProcess process;
        prepare(process);
        process.start(tool(), QStringList { "harvest" } + pages);
        ASSERT_TRUE(waitFor([&] { return reached.load(); }, 30000));
        ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        const Ended r = wait(process);
        EXPECT_EQ(r.exitCode, 130);
        EXPECT_TRUE(r.err.contains("Interrupted")) << r.err.toStdString();
    }
    release = true;
}

// A reader that went away ends the command by SIGPIPE as the shell's tools do; any other
// failed write is said and gives the file system status.
TEST_F(CliExitStatusTest, AFailedWriteToStandardOutputEndsTheWork)
{
    LocalHttpServer site;
    site.page("/page.html", "<a href='/a'>a</a>");
    site.page("/file.txt", "text", "text/plain");
    ASSERT_TRUE(site.start());
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    const QStringList commands[] = {
        { "text" },
        { "harvest", site.url("/page.html"), site.url("/page.html") },
        { "download", "--dir", out.path(), site.url("/file.txt") },
    };
    for (const QStringList& command : commands) {
        SCOPED_TRACE(command.first().toStdString());
        const Ended r = cli(command, "http://t/1\n", "/dev/full");
        EXPECT_EQ(r.exitCode, 3);
        EXPECT_TRUE(r.err.contains("cannot write to standard output")) << r.err.toStdString();
    }

    QByteArray many;
    for (int i = 0; i < 100000; ++i)
        many += "http://t/" + QByteArray::number(i) + "\n";
    // A run of two thousand million numbers is printed as it is made, so it ends too.
    for (const char* command :
        { "text", "sequence http://t/0 --start 0 --end 2000000000 --select 9:1" }) {
        SCOPED_TRACE(command);
        const Ended r = cli({ "-c",
                                QStringLiteral("\"$0\" %1 | head -n 1; exit ${PIPESTATUS[0]}")
                                    .arg(QLatin1String(command)),
                                tool() },
            many, {}, "bash");
        EXPECT_EQ(r.exitCode, 128 + SIGPIPE);
        EXPECT_EQ(r.out, "http://t/0\n");
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    }
}
