#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <mutex>

#include "platform/SqliteRegistryStore.h"
#include "settings/CRegSettings.h"
#include "support/LocalHttpServer.h"
#include "support/QtPrinters.h"

namespace
{

// Runs `quillmarch-cli download` with its settings and home in a temporary folder,
// saving into another one, standard input not a terminal.
class DownloadCommandOptionsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        ASSERT_TRUE(m_out.isValid());
    }

    int run(const QStringList& arguments, const QStringList& environment = {})
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_home.path());
        env.insert("XDG_CONFIG_HOME", m_home.path());
        env.remove("SSL_CERT_FILE");
        for (const QString& pair : environment)
            env.insert(pair.section('=', 0, 0), pair.section('=', 1));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(QM_BINARY_DIR "/quillmarch-cli"),
            QStringList { "download", "--dir", m_out.path() } + arguments);
        process.closeWriteChannel();
        if (!process.waitForFinished(25000))
            process.kill();
        process.waitForFinished();
        m_stdout = process.readAllStandardOutput();
        m_stderr = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QString write(const QString& name, const QByteArray& content)
    {
        QFile file(m_home.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    }

    QTemporaryDir m_home;
    QTemporaryDir m_out;
    QByteArray m_stdout;
    QString m_stderr;
};

} // namespace

TEST_F(DownloadCommandOptionsTest, OutputNamesTheOneFileOrWritesItToStandardOutput)
{
    LocalHttpServer site;
    site.page("/a.txt", "alpha", "text/plain");
    ASSERT_TRUE(site.start());

    EXPECT_EQ(run({ "-O", "named.txt", site.url("/a.txt") }), 0);
    EXPECT_EQ(m_stdout, m_out.filePath("named.txt").toUtf8() + "\t5\n");
    EXPECT_EQ(run({ "-O", "-", site.url("/a.txt") }), 0);
    EXPECT_EQ(m_stdout, "alpha");
    EXPECT_EQ(run({ "-O", "x", site.url("/a.txt"), site.url("/b.txt") }), 2);
    EXPECT_EQ(
        QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "named.txt" });
}

// A stored "ask" cannot be answered without a terminal: the file is skipped with one
// message and the run succeeds; only --exists prompt given on the line fails it.
TEST_F(DownloadCommandOptionsTest, StoredAskWithoutATerminalSkips)
{
    LocalHttpServer site;
    site.page("/a.txt", "alpha", "text/plain");
    ASSERT_TRUE(site.start());
    ASSERT_EQ(run({ site.url("/a.txt") }), 0);

    EXPECT_EQ(run({ site.url("/a.txt") }), 0);
    EXPECT_EQ(m_stderr,
        "quillmarch-cli: Skipped: " + m_out.filePath("a.txt")
            + " exists\nquillmarch-cli: 0 saved, 1 skipped, 0 failed\n");
}

TEST_F(DownloadCommandOptionsTest, StoredNameMaskAppliesUnlessNoConfig)
{
    LocalHttpServer site;
    site.page("/a.txt", "alpha", "text/plain");
    ASSERT_TRUE(site.start());
    QDir().mkpath(m_home.filePath("quillmarch"));
    CRegSettings stored = CRegSettings::forQuillmarch(
        std::make_shared<SqliteRegistryStore>(m_home.filePath("quillmarch/registry.sqlite3")));
    ASSERT_TRUE(stored.SaveSetting("Options", "File Name Mask", "*num*-*name*.*ext*"));

    const struct {
        QStringList arguments;
        QStringList environment;
        const char* saved;
    } rows[] = {
        { {}, {}, "001-a.txt" },
        { { "--name", "*name*-copy.*ext*" }, {}, "a-copy.txt" },
        { { "--no-config" }, {}, "a.txt" },
        { {}, { "QUILLMARCH_NO_CONFIG=1" }, "a.txt" },
    };
    for (const auto& row : rows) {
        QFile::remove(m_out.filePath(row.saved));
        EXPECT_EQ(run(row.arguments + QStringList { site.url("/a.txt") }, row.environment), 0);
        EXPECT_EQ(m_stdout, m_out.filePath(row.saved).toUtf8() + "\t5\n") << m_stderr.toStdString();
    }
}

TEST_F(DownloadCommandOptionsTest, UnfetchableLinksFailBeforeAnythingIsCreated)
{
    const QString folder = m_out.filePath("new");
    EXPECT_EQ(run({ "--dir", folder, "file:///etc/hostname" }), 1);
    EXPECT_EQ(m_stderr,
        "quillmarch-cli: Error: file links cannot be downloaded, only http, https, ftp and ftps "
        "(file:///etc/hostname)\nquillmarch-cli: 0 saved, 0 skipped, 1 failed\n");
    EXPECT_FALSE(QFileInfo::exists(folder));
}

// The saved file takes the server's Last-Modified time; with --timestamping a copy as new
// is not fetched again (a skip, not a failure) and an older one is replaced.
TEST_F(DownloadCommandOptionsTest, FilesTakeTheServersTimeAndTimestampingSkipsUnchangedOnes)
{
    const QDateTime modified = QDateTime::fromSecsSinceEpoch(1700000000);
    LocalHttpServer site;
    std::mutex lock;
    std::string asked;
    site.server().Get("/a.txt", [&](const httplib::Request& req, httplib::Response& res) {
        const std::lock_guard guard(lock);
        asked = req.get_header_value("If-Modified-Since");
        res.set_header("Last-Modified", "Tue, 14 Nov 2023 22:13:20 GMT");
        if (asked == "Tue, 14 Nov 2023 22:13:20 GMT")
            res.status = 304;
        else
            res.set_content("alpha", "text/plain");
    });
    ASSERT_TRUE(site.start());
    const QString saved = m_out.filePath("a.txt");

    EXPECT_EQ(run({ site.url("/a.txt") }), 0);
    EXPECT_EQ(QFileInfo(saved).lastModified(), modified);
    EXPECT_EQ(run({ "--timestamping", site.url("/a.txt") }), 0);
    EXPECT_TRUE(m_stderr.endsWith("0 saved, 1 skipped, 0 failed\n")) << m_stderr.toStdString();
    EXPECT_EQ(asked, "Tue, 14 Nov 2023 22:13:20 GMT");

    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.resize(0);
    file.setFileTime(modified.addDays(-1), QFileDevice::FileModificationTime);
    file.close();
    EXPECT_EQ(run({ "--timestamping", site.url("/a.txt") }), 0);
    EXPECT_EQ(QFileInfo(saved).size(), 5);
}

// The user's password (given in a file, or from ~/.netrc) goes to the link's own origin
// only, never to the host a redirect leads to, and no printed line repeats a password
// written into a link.
TEST_F(DownloadCommandOptionsTest, SignInGoesOnlyToTheLinksOriginAndIsNeverPrinted)
{
    LocalHttpServer other;
    LocalHttpServer site;
    std::mutex lock;
    std::string otherHeard = "<none>";
    other.server().Get("/b.txt", [&](const httplib::Request& req, httplib::Response& res) {
        const std::lock_guard guard(lock);
        otherHeard = req.get_header_value("Authorization");
        res.set_content("beta", "text/plain");
    });
    site.server().Get("/a.txt", [](const httplib::Request& req, httplib::Response& res) {
        if (req.get_header_value("Authorization") == "Basic Ym9iOmh1bnRlcjI=") // bob:hunter2
            res.set_content("alpha", "text/plain");
        else
            res.status = 401;
    });
    ASSERT_TRUE(other.start("127.0.0.2"));
    site.server().Get("/hop", [&](const httplib::Request&, httplib::Response& res) {
        res.set_redirect(other.url("/b.txt").toStdString());
    });
    ASSERT_TRUE(site.start());
    write(".netrc", QStringLiteral("machine 127.0.0.1 login bob password hunter2\n").toUtf8());
    const QString passwordFile = write("password", "hunter2\n");

    for (const QStringList& access :
        { QStringList { "--user", "bob", "--password-file", passwordFile }, QStringList {} }) {
        EXPECT_EQ(
            run(access + QStringList { "-v", "--exists", "overwrite", site.url("/a.txt") }), 0)
            << m_stderr.toStdString();
        if (!access.isEmpty()) {
            EXPECT_TRUE(m_stderr.contains("> Authorization: ***")) << m_stderr.toStdString();
            EXPECT_EQ(run(access + QStringList { "--exists", "overwrite", site.url("/hop") }), 0);
            EXPECT_EQ(otherHeard, "");
        }
    }
    QFile::remove(m_home.filePath(".netrc"));
    const QString written = site.url("/a.txt").replace("//", "//bob:wrong@");
    EXPECT_EQ(run({ "--format", "jsonl", "--exists", "overwrite", written }), 6);
    EXPECT_TRUE(m_stdout.contains(site.url("/a.txt").toUtf8())) << m_stdout.toStdString();
    EXPECT_FALSE(m_stdout.contains("wrong") || m_stderr.contains("wrong"));
}

TEST_F(DownloadCommandOptionsTest, QuietPrintsOnlyErrors)
{
    LocalHttpServer site;
    site.page("/a.txt", "alpha", "text/plain");
    ASSERT_TRUE(site.start());
    EXPECT_EQ(run({ "-q", site.url("/a.txt"), site.url("/none") }), 8);
    EXPECT_EQ(m_stderr,
        "quillmarch-cli: Error: ErrorCode: 404 : Not Found (" + site.url("/none") + ")\n");
    EXPECT_EQ(m_stdout, m_out.filePath("a.txt").toUtf8() + "\t5\n");
}
