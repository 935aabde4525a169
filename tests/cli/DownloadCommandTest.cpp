#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>

#include "cli/CliOptions.h"
#include "support/LocalHttpServer.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

namespace
{

// Runs `quillmarch-cli download` with its settings in a temporary folder, saving into
// another one.
class DownloadCommandTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_config.isValid());
        ASSERT_TRUE(m_out.isValid());
    }

    void prepare(QProcess& process, const QStringList& arguments, const QString& wrapper = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", m_config.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        QStringList args = QStringList { "download", "--dir", m_out.path() } + arguments;
        const QString cli = QStringLiteral(QM_BINARY_DIR "/quillmarch-cli");
        if (wrapper.isEmpty()) {
            process.start(cli, args);
        } else {
            args.prepend(cli);
            args.prepend("--");
            args.prepend(wrapper);
            process.start("prlimit", args);
        }
        process.closeWriteChannel();
    }

    int run(const QStringList& arguments, const QString& wrapper = {})
    {
        QProcess process;
        prepare(process, arguments, wrapper);
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
        }
        m_stdout = QString::fromUtf8(process.readAllStandardOutput());
        m_stderr = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QStringList names() const
    {
        return QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    QTemporaryDir m_config;
    QTemporaryDir m_out;
    QString m_stdout;
    QString m_stderr;
};

} // namespace

TEST_F(DownloadCommandTest, PrintsSavedFilesAndErrorsWithItsExitStatus)
{
    LocalHttpServer site;
    site.page("/a.txt", "alpha", "text/plain");
    ASSERT_TRUE(site.start());
    QFile list(m_config.filePath("links.txt"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write((site.url("/a.txt") + "\r\n\n").toUtf8());
    list.close();

    EXPECT_EQ(run({ site.url("/a.txt") }), 0);
    EXPECT_EQ(m_stdout, m_out.filePath("a.txt") + "\t5\n");

    EXPECT_EQ(run({ "--exists", "unique", "--from", list.fileName(), site.url("/none.txt") }), 8);
    EXPECT_EQ(m_stdout, m_out.filePath("a(1).txt") + "\t5\n");
    EXPECT_EQ(m_stderr,
        "quillmarch-cli: Error: ErrorCode: 404 : Not Found (" + site.url("/none.txt")
            + ")\nquillmarch-cli: 1 saved, 0 skipped, 1 failed\n");

    // Asking needs a terminal: without one the file is skipped and the run fails.
    EXPECT_EQ(run({ "--exists", "prompt", site.url("/a.txt") }), 1);
    EXPECT_TRUE(m_stderr.contains("no terminal")) << m_stderr.toStdString();

    EXPECT_EQ(run({ "--exists", "skip", site.url("/a.txt") }), 0);
    EXPECT_EQ(run({ "--exists", "sometimes", site.url("/a.txt") }), 2);
    // A bad value names its option and nothing is downloaded.
    const QStringList bad[] = { { "--jobs", "0" }, { "--jobs", "x" }, { "--per-host", "-1" },
        { "--per-host", "100" }, { "--limit-rate", "-5K" }, { "--limit-rate", "9999999M" },
        { "--limit-rate", "fast" }, { "--format", "xml" } };
    for (const QStringList& option : bad) {
        EXPECT_EQ(run(option + QStringList { site.url("/b.txt") }), 2)
            << option.join(' ').toStdString();
        EXPECT_TRUE(m_stderr.contains(option.first())) << m_stderr.toStdString();
    }
    EXPECT_EQ(run({}), 2);
    EXPECT_EQ(names(), QStringList({ "a(1).txt", "a.txt" }));
}

// --limit-rate takes a decimal number with a binary K, M or G; -1: refused.
TEST(DownloadRateOption, ReadsDecimalsWithBinaryUnits)
{
    const struct {
        const char* text;
        qint64 rate;
    } rows[] = {
        { "200K", 200 * 1024 },
        { "1.5M", 1572864 },
        { "1G", 1024LL * 1024 * 1024 },
        { "0.25k", 256 },
        { "2047M", 2047LL * 1024 * 1024 },
        { "0", 0 },
        { "2048M", -1 },
        { "2G", -1 },
        { "0.1", -1 },
        { ".5M", -1 },
        { "1,5M", -1 },
        { "1e3", -1 },
        { "3T", -1 },
        { "99999999999G", -1 },
    };
    for (const auto& row : rows) {
        const CliOptions options = CliOptions::parse(
            { "quillmarch-cli", "download", "--limit-rate", row.text, "http://h/" });
        EXPECT_EQ(options.error.isEmpty() ? options.rateLimit : -1, row.rate) << row.text;
    }
}

TEST_F(DownloadCommandTest, JsonLinesDescribeEachLink)
{
    LocalHttpServer site;
    site.page("/a.txt", "alpha", "text/plain");
    ASSERT_TRUE(site.start());
    ASSERT_EQ(run({ site.url("/a.txt") }), 0);

    EXPECT_EQ(run({ "--format", "jsonl", "--exists", "skip", "--jobs", "1", site.url("/a.txt"),
                  site.url("/none.txt") }),
        8);
    const QString a = m_out.filePath("a.txt");
    EXPECT_EQ(m_stdout,
        "{\"error\":\"\",\"path\":\"" + a + "\",\"size\":0,\"status\":\"skipped\",\"url\":\""
            + site.url("/a.txt") + "\"}\n"
            + "{\"error\":\"ErrorCode: 404 : Not Found\",\"path\":\"\",\"size\":0,"
              "\"status\":\"failed\",\"url\":\""
            + site.url("/none.txt") + "\"}\n");
    EXPECT_TRUE(m_stderr.endsWith("quillmarch-cli: 0 saved, 1 skipped, 1 failed\n"))
        << m_stderr.toStdString();
}

TEST_F(DownloadCommandTest, PercentSignsInNamesArePrintedAsTheyAre)
{
    LocalHttpServer site;
    site.server().Get(".*", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("12345", "text/plain");
    });
    ASSERT_TRUE(site.start());
    EXPECT_EQ(run({ site.url("/a%2fb%1%00.txt") }), 0);
    EXPECT_EQ(m_stdout, m_out.filePath("a%2fb%1%00.txt") + "\t5\n");
}

TEST_F(DownloadCommandTest, AFullDiskFailsTheLinkAndLeavesNoFile)
{
    LocalHttpServer site;
    site.page("/small.txt", "s", "text/plain");
    site.page("/big.bin", std::string(200000, 'b'), "application/octet-stream");
    ASSERT_TRUE(site.start());
    ASSERT_EQ(run({ site.url("/small.txt") }), 0); // creates the settings store unlimited

    EXPECT_EQ(run({ "--retries", "0", site.url("/big.bin") }, "--fsize=65536"), 3);
    EXPECT_TRUE(m_stderr.contains("Could not save big.bin in ")) << m_stderr.toStdString();
    EXPECT_TRUE(m_stderr.contains("File too large")) << m_stderr.toStdString();
    EXPECT_EQ(m_stdout, "");
    EXPECT_EQ(names(), QStringList({ "small.txt" }));
}

TEST_F(DownloadCommandTest, AnInterruptedRunLeavesAHiddenPartialFileTheNextRunResumes)
{
    std::atomic<bool> release { false };
    std::string lastRange;
    LocalHttpServer site;
    // Stalled handlers end before the server waits for them, whatever the outcome.
    const std::shared_ptr<void> unstall(nullptr, [&](void*) { release = true; });
    site.server().Get("/slow.bin", [&](const httplib::Request& req, httplib::Response& res) {
        const bool stall = !release;
        lastRange = req.get_header_value("Range");
        res.set_header("ETag", "\"s1\"");
        res.set_content_provider(100000, "application/octet-stream",
            [stall, &release](size_t offset, size_t length, httplib::DataSink& sink) {
                if (stall && offset >= 1000) {
                    while (!release)
                        std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    return false;
                }
                const size_t n = std::min<size_t>(length, stall ? 1000 - offset : length);
                return sink.write(std::string(n, 'x').data(), n);
            });
    });
    ASSERT_TRUE(site.start());

    const QStringList hidden { ".slow.bin.part", ".slow.bin.part.rec" };
    for (const bool gentle : { true, false }) {
        SCOPED_TRACE(gentle ? "SIGTERM" : "SIGKILL");
        QProcess process;
        prepare(process, { site.url("/slow.bin") });
        ASSERT_TRUE(
            waitFor([&] { return QFileInfo(m_out.filePath(".slow.bin.part")).size() == 1000; }));
        gentle ? process.terminate() : process.kill();
        process.waitForFinished();
        if (gentle) {
            EXPECT_EQ(process.exitCode(), 130);
        }
        EXPECT_EQ(names(), hidden);
    }
    release = true;
    EXPECT_EQ(run({ site.url("/slow.bin") }), 0) << m_stderr.toStdString();
    EXPECT_EQ(lastRange, "bytes=1000-");
    EXPECT_EQ(names(), QStringList({ "slow.bin" }));
    EXPECT_EQ(QFileInfo(m_out.filePath("slow.bin")).size(), 100000);
}

TEST_F(DownloadCommandTest, TwoRunsIntoOneFolderNeverReplaceEachOthersFile)
{
    std::atomic<bool> release { false };
    LocalHttpServer site;
    // Stalled handlers end before the server waits for them, whatever the outcome.
    const std::shared_ptr<void> unstall(nullptr, [&](void*) { release = true; });
    site.server().Get("/big/report.pdf", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(
            50000, "application/pdf", [&](size_t offset, size_t length, httplib::DataSink& sink) {
                while (offset > 0 && !release)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                const size_t n = std::min<size_t>(length, 1000);
                return sink.write(std::string(n, 'B').data(), n);
            });
    });
    site.page("/small/report.pdf", "small", "application/pdf");
    ASSERT_TRUE(site.start());
    QFile existing(m_out.filePath("report.pdf"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("mine");
    existing.close();

    QProcess big;
    prepare(big, { "--exists", "unique", site.url("/big/report.pdf") });
    ASSERT_TRUE(waitFor([&] { return names().contains(".report.pdf.part"); }));
    EXPECT_EQ(run({ "--exists", "unique", site.url("/small/report.pdf") }), 0);
    EXPECT_TRUE(m_stdout.contains("report(1).pdf\t5")) << m_stdout.toStdString();
    release = true;
    ASSERT_TRUE(big.waitForFinished(30000));
    EXPECT_EQ(big.exitCode(), 0) << big.readAllStandardError().toStdString();
    EXPECT_TRUE(big.readAllStandardOutput().contains("report(2).pdf\t50000"));
    EXPECT_EQ(names(), QStringList({ "report(1).pdf", "report(2).pdf", "report.pdf" }));
    EXPECT_EQ(QFileInfo(m_out.filePath("report(1).pdf")).size(), 5);
}

TEST_F(DownloadCommandTest, TimeoutBoundsASilentServerAndRetriesAreAnnounced)
{
    std::atomic<int> calls { 0 };
    std::atomic<bool> release { false };
    LocalHttpServer site;
    // Stalled handlers end before the server waits for them, whatever the outcome.
    const std::shared_ptr<void> unstall(nullptr, [&](void*) { release = true; });
    site.server().Get("/quiet.txt", [&](const httplib::Request&, httplib::Response& res) {
        const bool silent = calls++ == 0;
        res.set_content_provider(
            4, "text/plain", [silent, &release](size_t, size_t, httplib::DataSink& sink) {
                if (silent) {
                    while (!release)
                        std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    return false;
                }
                return sink.write("done", 4);
            });
    });
    ASSERT_TRUE(site.start());
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(run({ "--timeout", "2", site.url("/quiet.txt") }), 0) << m_stderr.toStdString();
    EXPECT_LT(clock.elapsed(), 15000);
    EXPECT_TRUE(m_stderr.contains("/quiet.txt: Retrying in 1 s (attempt 2 of 4)"))
        << m_stderr.toStdString();
    EXPECT_EQ(names(), QStringList({ "quiet.txt" }));
    release = true;
}

TEST_F(DownloadCommandTest, CookiesRefererHeadersAndJsonLinesReachTheServer)
{
    LocalHttpServer site;
    site.server().Get("/private.zip", [](const httplib::Request& req, httplib::Response& res) {
        const bool allowed = req.get_header_value("Cookie") == "sid=42"
            && req.get_header_value("X-Key") == "k" && req.get_header_value("User-Agent") == "UA/2"
            && req.get_header_value("Referer") == "http://pages.example/from";
        res.set_content(allowed ? "secret" : "<p>sign in</p>",
            allowed ? "application/octet-stream" : "text/html");
    });
    // The explicit referer wins over the entry's page.
    site.server().Get("/pic.jpg", [](const httplib::Request& req, httplib::Response& res) {
        if (req.get_header_value("Referer") == "http://pages.example/from")
            res.set_content("pic", "image/jpeg");
        else
            res.status = 403;
    });
    ASSERT_TRUE(site.start());
    QFile cookies(m_config.filePath("cookies.txt"));
    ASSERT_TRUE(cookies.open(QIODevice::WriteOnly));
    cookies.write("# Netscape HTTP Cookie File\n127.0.0.1\tFALSE\t/\tFALSE\t0\tsid\t42\n"
                  "other.example\tFALSE\t/\tFALSE\t0\tleak\t1\n");
    cookies.close();
    QFile list(m_config.filePath("links.jsonl"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(
        QStringLiteral("\n{\"url\":\"%1\",\"kind\":\"image\",\"page\":\"http://pages.example/"
                       "gallery\",\"title\":\"G\"}\n")
            .arg(site.url("/pic.jpg"))
            .toUtf8());
    list.close();
    const QString dir = m_out.filePath("new/folder");

    const QStringList common { "--dir", dir, "--cookies", cookies.fileName(), "--header",
        "X-Key: k", "--user-agent", "UA/2", "--referer", "http://pages.example/from" };
    EXPECT_EQ(run(common + QStringList { site.url("/private.zip"), "--from", list.fileName() }), 0)
        << m_stderr.toStdString();
    QFile saved(dir + "/private.zip");
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), "secret");
    EXPECT_TRUE(QFile::exists(dir + "/pic.jpg"));

    // Without the cookie the server's sign-in page is refused, not saved as the file.
    EXPECT_EQ(run({ "--dir", dir, "--exists", "overwrite", site.url("/private.zip") }), 1);
    EXPECT_TRUE(m_stderr.contains("web page instead of the file")) << m_stderr.toStdString();
    ASSERT_TRUE(saved.seek(0));
    EXPECT_EQ(saved.readAll(), "secret");
}

TEST_F(DownloadCommandTest, BadRequestOptionsAreUsageErrors)
{
    QFile json(m_config.filePath("cookies.json"));
    ASSERT_TRUE(json.open(QIODevice::WriteOnly));
    json.write("[{\"name\": \"sid\", \"value\": \"42\"}]\n");
    json.close();
    QFile crlf(m_config.filePath("crlf.txt"));
    ASSERT_TRUE(crlf.open(QIODevice::WriteOnly));
    crlf.write("127.0.0.1\tFALSE\t/\tFALSE\t0\tsid\t4\r2\n");
    crlf.close();
    const struct {
        QStringList arguments;
        const char* message;
    } rows[] = {
        { { "--cookies", json.fileName() }, "--cookies needs a cookies.txt file" },
        { { "--cookies", m_config.filePath("none.txt") }, "--cookies cannot read" },
        { { "--name", "*subdirs*/" }, "--name: " },
        { { "--name", "*nmae*.*ext*" }, "--name: " },
        { { "--header", "no colon" }, "--header needs" },
        { { "--header", "X-A: 1\r\nX-Injected: 1" }, "--header needs" },
        { { "--referer", "http://r/\r\nX-Injected: 1" },
            "--referer cannot be sent: it holds a line break" },
        { { "--user-agent", "UA\nX-UA: 1" }, "--user-agent cannot be sent: it holds a line break" },
        { { "--cookies", crlf.fileName() }, "line 1 is a cookie whose value cannot be sent" },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(run(row.arguments + QStringList { "http://127.0.0.1:9/a.bin" }), 2)
            << row.message;
        EXPECT_TRUE(m_stderr.contains(row.message)) << m_stderr.toStdString();
    }
    EXPECT_TRUE(names().isEmpty());
}

TEST_F(DownloadCommandTest, UnreadableListLinesAreNamedAndCountedAsFailed)
{
    LocalHttpServer site;
    std::atomic<int> requests = 0;
    site.server().Get(R"(/p\d\.bin)", [&requests](const httplib::Request&, httplib::Response& res) {
        ++requests;
        res.set_content("x", "application/octet-stream");
    });
    ASSERT_TRUE(site.start());
    const QByteArray overLong(3 * 1024 * 1024 + 16, 'x');
    const auto write = [this](const char* name, const QByteArray& text) {
        QFile file(m_config.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    };
    const QByteArray p1 = site.url("/p1.bin").toUtf8();
    const QString plain = write("links.txt",
        p1 + "\n" + QByteArray("http://x/p\0-2\n", 14) + site.url("/p3.bin").toUtf8() + "\n"
            + overLong + "\n  # " + p1 + "\n");
    // A comment before the first link does not hide that the list is JSON lines.
    const QString json = write("links.jsonl",
        "# " + p1 + "\n{\"url\":\"" + p1 + "\"}\n{\"url\":\"" + site.url("/p4.bin").toUtf8()
            + "\",\"page\":\"http://p/\\r\\nGET /second HTTP/1.1\"}\n{\"nourl\":1}\n{\"url\":\""
            + overLong + "\"}\n");

    EXPECT_EQ(run({ "--from", plain }), 1);
    EXPECT_TRUE(m_stderr.contains(plain + " line 2: it holds a NUL byte"))
        << m_stderr.toStdString();
    EXPECT_TRUE(m_stderr.contains(plain + " line 4: it is longer than")) << m_stderr.toStdString();
    EXPECT_TRUE(m_stderr.endsWith("2 saved, 0 skipped, 2 failed\n")) << m_stderr.toStdString();

    EXPECT_EQ(run({ "--exists", "overwrite", "--from", json }), 1);
    EXPECT_TRUE(m_stderr.contains(json + " line 3: its \"page\" cannot be sent"))
        << m_stderr.toStdString();
    EXPECT_TRUE(m_stderr.contains(json + " line 4: it is not a JSON object"))
        << m_stderr.toStdString();
    EXPECT_TRUE(m_stderr.contains(json + " line 5: it is longer than")) << m_stderr.toStdString();
    EXPECT_TRUE(m_stderr.endsWith("1 saved, 0 skipped, 3 failed\n")) << m_stderr.toStdString();
    EXPECT_EQ(requests, 3);
}

// The exit status tells what kind of failure a link met; with several, the lowest
// non-zero status wins.
TEST_F(DownloadCommandTest, ExitStatusTellsTheKindOfFailure)
{
    LocalHttpServer site;
    site.page("/a.txt", "alpha", "text/plain");
    for (const int status : { 401, 403, 500 }) {
        site.server().Get("/" + std::to_string(status),
            [status](const httplib::Request&, httplib::Response& res) {
                res.status = status;
                res.set_content("<h1>no</h1>", "text/html");
            });
    }
    ASSERT_TRUE(site.start());
    const struct {
        QStringList links;
        int exitCode;
    } rows[] = {
        { { site.url("/a.txt") }, 0 },
        { { site.url("/401") }, 6 },
        { { site.url("/403") }, 8 },
        { { site.url("/500") }, 8 },
        { { "http://127.0.0.1:1/x" }, 4 },
        { { "http://unknown-host.invalid/x" }, 4 },
        { { site.url("/500"), site.url("/401"), "http://127.0.0.1:1/x" }, 4 },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.links.join(' ').toStdString());
        EXPECT_EQ(run(QStringList { "--retries", "0", "--exists", "overwrite" } + row.links),
            row.exitCode)
            << m_stderr.toStdString();
    }
}
