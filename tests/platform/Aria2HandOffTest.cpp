#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "download/Aria2Job.h"
#include "platform/curl/CurlAria2Rpc.h"
#include "support/LocalHttpServer.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

namespace
{

// A port nothing listens on right now.
int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

bool listening(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

constexpr const char* kSecret = "s3cret";

// A real aria2 daemon on a free local port, saving into a temporary folder; a local web
// server whose /pic.jpg needs the referrer and the cookie, and whose /slow.bin trickles.
class Aria2HandOffTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_out.isValid());
        m_site.server().Get(
            "/pic.jpg", [this](const httplib::Request& req, httplib::Response& res) {
                ++m_requests;
                if (req.get_header_value("Referer") != "http://pages.test/gallery"
                    || req.get_header_value("Cookie") != "session=42")
                    res.status = 403;
                else
                    res.set_content("picture", "image/jpeg");
            });
        m_site.server().Get("/slow.bin", [](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider(
                "application/octet-stream", [](size_t, httplib::DataSink& sink) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                    return sink.write("x", 1);
                });
        });
        ASSERT_TRUE(m_site.start());
        m_port = freePort();
        m_daemon.start("aria2c",
            { "--enable-rpc", QStringLiteral("--rpc-listen-port=%1").arg(m_port),
                QStringLiteral("--rpc-secret=%1").arg(kSecret), "--dir=" + m_out.path(),
                "--no-conf", "--quiet", "--max-tries=1" });
        ASSERT_TRUE(waitFor([this] { return listening(m_port); }, 10000));
    }

    void TearDown() override
    {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    QString rpcUrl() const { return QStringLiteral("http://127.0.0.1:%1/jsonrpc").arg(m_port); }

    // quillmarch-cli download with its settings in a temporary folder.
    int runCli(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", m_config.path());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(QM_BINARY_DIR "/quillmarch-cli"),
            QStringList { "download", "--dir", m_out.path() } + arguments);
        process.closeWriteChannel();
        if (!process.waitForFinished(60000))
            process.kill();
        process.waitForFinished();
        m_stdout = QString::fromUtf8(process.readAllStandardOutput());
        m_stderr = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QTemporaryDir m_out;
    QTemporaryDir m_config;
    LocalHttpServer m_site;
    std::atomic<int> m_requests = 0;
    QProcess m_daemon;
    int m_port = 0;
    QString m_stdout;
    QString m_stderr;
};

} // namespace

TEST_F(Aria2HandOffTest, DaemonSavesEachLinkWithItsNameReferrerAndCookiesAndReportsItsErrors)
{
    CurlAria2Rpc rpc(rpcUrl());
    Aria2JobOptions options { rpcUrl(), kSecret, m_out.path() + "/", "session=42" };
    options.pollIntervalMs = 50;
    Aria2Job job(
        { { m_site.url("/pic.jpg"), "http://pages.test/gallery" }, { m_site.url("/missing.jpg") } },
        options, rpc);
    std::map<int, Result<SavedFile>> outcomes;
    QObject::connect(&job, &Aria2Job::linkFinished,
        [&](int index, const QString&, const Result<SavedFile>& result) {
            outcomes.insert_or_assign(index, result);
        });
    job.start();
    ASSERT_TRUE(waitFor([&] { return !job.isRunning() && job.phase() != Aria2Job::Phase::Idle; }));

    EXPECT_EQ(job.phase(), Aria2Job::Phase::Error);
    ASSERT_EQ(outcomes.size(), 2);
    ASSERT_TRUE(outcomes.at(1).isOk()) << outcomes.at(1).message().toStdString();
    EXPECT_EQ(outcomes.at(1).value().path, m_out.filePath("pic.jpg"));
    EXPECT_EQ(outcomes.at(1).value().size, 7);
    QFile saved(m_out.filePath("pic.jpg"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), "picture");
    EXPECT_FALSE(outcomes.at(2).isOk());
    EXPECT_TRUE(outcomes.at(2).message().startsWith("aria2 error 3: "))
        << outcomes.at(2).message().toStdString();
}

TEST_F(Aria2HandOffTest, CancelRemovesTheRunningLinkFromTheDaemon)
{
    CurlAria2Rpc rpc(rpcUrl());
    Aria2JobOptions options { rpcUrl(), kSecret, m_out.path() };
    options.pollIntervalMs = 50;
    Aria2Job job({ { m_site.url("/slow.bin") } }, options, rpc);
    job.start();
    ASSERT_TRUE(waitFor([&] {
        return job.Label1().startsWith("1 bytes of") || job.Label1().startsWith("2 bytes of");
    }));
    job.cancel();
    ASSERT_TRUE(waitFor([&] { return job.phase() == Aria2Job::Phase::Cancelled; }));

    quint64 asked = 0;
    Aria2Reply stopped;
    QObject::connect(&rpc, &IAria2Rpc::replied, [&](quint64 id, const Aria2Reply& reply) {
        if (id == asked)
            stopped = reply;
    });
    asked = rpc.call("aria2.tellStopped",
        { QStringLiteral("token:") + kSecret, 0, 10, QJsonArray { "status" } });
    ASSERT_TRUE(waitFor([&] { return stopped.ok; }));
    EXPECT_EQ(stopped.result.toArray().at(0).toObject().value("status").toString(), "removed");
}

TEST_F(Aria2HandOffTest, CommandLineHandsOffOrRefusesBeforeSendingAnything)
{
    const QString link = m_site.url("/pic.jpg");
    const QString remote = "http://192.0.2.1:6800/jsonrpc";
    // A secret read from a file is one as much as one typed on the line.
    QTemporaryDir secrets;
    QFile secretFile(secrets.filePath("secret"));
    ASSERT_TRUE(secretFile.open(QIODevice::WriteOnly) && secretFile.write("wrong\n") == 6);
    secretFile.close();
    struct Row {
        QStringList arguments;
        int exitCode;
        const char* stderrHas;
    };
    const Row rows[] = {
        { { "--aria2", rpcUrl(), "--aria2-secret", "wrong", link }, 1, "refused the secret" },
        { { "--aria2", QStringLiteral("http://127.0.0.1:%1/jsonrpc").arg(freePort()),
              "--aria2-secret", kSecret, link },
            1, "Cannot reach the aria2 daemon" },
        { { "--aria2", remote, "--aria2-secret", kSecret, link }, 2, "over plain http" },
        { { "--aria2", remote, "--aria2-secret-file", secretFile.fileName(), link }, 2,
            "over plain http" },
        { { "--aria2", rpcUrl(), "--aria2-secret-file", secretFile.fileName(), link }, 1,
            "refused the secret" },
        { { "--aria2", "ftp://127.0.0.1/", link }, 2, "not an http or https URL" },
        { { "--aria2-secret", kSecret, link }, 2, "--aria2-secret needs --aria2" },
        { { "--aria2", rpcUrl(), "--jobs", "2", link }, 2, "--jobs does not apply with --aria2" },
        { { "--aria2", rpcUrl(), "--exists", "skip", link }, 2, "--exists does not apply" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        EXPECT_EQ(runCli(row.arguments), row.exitCode);
        EXPECT_TRUE(m_stderr.contains(row.stderrHas)) << m_stderr.toStdString();
    }
    EXPECT_EQ(m_requests.load(), 0);

    EXPECT_EQ(
        runCli({ "--aria2", rpcUrl(), "--aria2-secret", kSecret, m_site.url("/missing.jpg") }), 1);
    EXPECT_TRUE(m_stderr.contains("aria2 error 3")) << m_stderr.toStdString();
    EXPECT_TRUE(QDir(m_out.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(Aria2HandOffTest, RedirectedLinksReachTheDaemonWithOnlyTheFinalHostsCredentials)
{
    LocalHttpServer first;
    LocalHttpServer second;
    std::mutex seen;
    std::string secondCookie = "<none>";
    std::string secondAuthorization = "<none>";
    second.server().Get("/file.bin", [&](const httplib::Request& req, httplib::Response& res) {
        std::lock_guard lock(seen);
        secondCookie = req.get_header_value("Cookie");
        secondAuthorization = req.get_header_value("Authorization");
        res.set_content("moved file", "application/octet-stream");
    });
    second.server().set_keep_alive_max_count(1);
    ASSERT_TRUE(second.start("127.0.0.3"));
    first.server().Get("/file.bin", [&](const httplib::Request&, httplib::Response& res) {
        res.set_redirect(second.url("/file.bin").toStdString());
    });
    first.server().set_keep_alive_max_count(1);
    ASSERT_TRUE(first.start("127.0.0.2"));
    QFile cookies(m_config.filePath("cookies.txt"));
    ASSERT_TRUE(cookies.open(QIODevice::WriteOnly));
    cookies.write("127.0.0.2\tFALSE\t/\tFALSE\t0\ta\t2\n.0.0.2\tTRUE\t/\tFALSE\t0\twide\t1\n"
                  "127.0.0.3\tFALSE\t/\tFALSE\t0\tb\t3\n");
    cookies.close();

    EXPECT_EQ(runCli({ "--aria2", rpcUrl(), "--aria2-secret", kSecret, "--cookies",
                  cookies.fileName(), "--header", "Authorization: Bearer t", "--format", "jsonl",
                  "--name", "*num*-*name*.*ext*", first.url("/file.bin") }),
        0)
        << m_stderr.toStdString();
    std::lock_guard lock(seen);
    EXPECT_EQ(secondCookie, "b=3");
    EXPECT_EQ(secondAuthorization, "");
    const QJsonObject line = QJsonDocument::fromJson(m_stdout.toUtf8()).object();
    EXPECT_EQ(line.value("status").toString(), "saved") << m_stdout.toStdString();
    EXPECT_EQ(line.value("url").toString(), first.url("/file.bin"));
    EXPECT_EQ(line.value("path").toString(), m_out.filePath("001-file.bin"));
    EXPECT_TRUE(m_stderr.contains("1 saved, 0 skipped, 0 failed")) << m_stderr.toStdString();
}
