#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>

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

    EXPECT_EQ(run({ "--exists", "unique", "--from", list.fileName(), site.url("/none.txt") }), 1);
    EXPECT_EQ(m_stdout, m_out.filePath("a(1).txt") + "\t5\n");
    EXPECT_EQ(m_stderr,
        "quillmarch-cli: Error: ErrorCode: 404 : Not Found (" + site.url("/none.txt") + ")\n");

    // Asking needs a terminal: without one the file is skipped and the run fails.
    EXPECT_EQ(run({ "--exists", "prompt", site.url("/a.txt") }), 1);
    EXPECT_TRUE(m_stderr.contains("no terminal")) << m_stderr.toStdString();

    EXPECT_EQ(run({ "--exists", "skip", site.url("/a.txt") }), 0);
    EXPECT_EQ(run({ "--exists", "sometimes", site.url("/a.txt") }), 2);
    EXPECT_EQ(run({}), 2);
    EXPECT_EQ(names(), QStringList({ "a(1).txt", "a.txt" }));
}

TEST_F(DownloadCommandTest, AFullDiskFailsTheLinkAndLeavesNoFile)
{
    LocalHttpServer site;
    site.page("/small.txt", "s", "text/plain");
    site.page("/big.bin", std::string(200000, 'b'), "application/octet-stream");
    ASSERT_TRUE(site.start());
    ASSERT_EQ(run({ site.url("/small.txt") }), 0); // creates the settings store unlimited

    EXPECT_EQ(run({ "--retries", "0", site.url("/big.bin") }, "--fsize=65536"), 1);
    EXPECT_TRUE(m_stderr.contains("Could not save big.bin in ")) << m_stderr.toStdString();
    EXPECT_TRUE(m_stderr.contains("File too large")) << m_stderr.toStdString();
    EXPECT_EQ(m_stdout, "");
    EXPECT_EQ(names(), QStringList({ "small.txt" }));
}

TEST_F(DownloadCommandTest, KilledMidTransferLeavesNoFileUnderItsName)
{
    std::atomic<bool> release { false };
    LocalHttpServer site;
    site.server().Get("/slow.bin", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(100000, "application/octet-stream",
            [&](size_t offset, size_t, httplib::DataSink& sink) {
                if (offset == 0)
                    return sink.write(std::string(1000, 'x').data(), 1000);
                while (!release)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                return false;
            });
    });
    ASSERT_TRUE(site.start());

    // SIGTERM cancels and removes the partial file; SIGKILL leaves it only under its
    // temporary name.
    for (const bool gentle : { true, false }) {
        SCOPED_TRACE(gentle ? "SIGTERM" : "SIGKILL");
        QProcess process;
        prepare(process, { site.url("/slow.bin") });
        ASSERT_TRUE(waitFor([&] { return !names().isEmpty(); }));
        gentle ? process.terminate() : process.kill();
        process.waitForFinished();
        if (gentle) {
            EXPECT_EQ(process.exitCode(), 130);
            EXPECT_TRUE(names().isEmpty());
        }
        EXPECT_FALSE(names().contains("slow.bin"));
        for (const QString& name : names())
            QFile::remove(m_out.filePath(name));
    }
    release = true;
}
