#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <thread>

#include "app/PreferencesStore.h"
#include "core/DialogRequests.h"
#include "core/Version.h"
#include "filters/FilterStore.h"
#include "listops/LinkList.h"
#include "platform/ProfileCookieReader.h"
#include "platform/SqliteRegistryStore.h"
#include "settings/CRegSettings.h"
#include "support/LocalHttpServer.h"
#include "support/QtPrinters.h"
#include "support/SignInSite.h"
#include "support/WaitFor.h"

namespace
{

struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the built quillmarch-cli with its settings store in a temporary folder.
class QuillmarchCliTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_config.isValid()); }

    // prlimit: options of prlimit(1) to run the tool under (a file size limit).
    CliResult cli(
        const QStringList& arguments, const QByteArray& input = {}, const QStringList& prlimit = {})
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), path(QStringLiteral("cache")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        const QString tool = QStringLiteral(QM_BINARY_DIR "/quillmarch-cli");
        if (prlimit.isEmpty())
            process.start(tool, arguments);
        else
            process.start("prlimit", prlimit + QStringList { "--", tool } + arguments);
        if (!process.waitForStarted(30000))
            return {};
        process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            return {};
        }
        return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError()) };
    }

    CRegSettings settings()
    {
        QDir().mkpath(m_config.path() + QStringLiteral("/quillmarch"));
        return CRegSettings::forQuillmarch(std::make_shared<SqliteRegistryStore>(
            m_config.path() + QStringLiteral("/quillmarch/registry.sqlite3")));
    }

    QString path(const QString& name) const { return m_config.filePath(name); }

    static QString lines(const QStringList& entries) { return entries.join('\n') + '\n'; }

private:
    QTemporaryDir m_config;
};

} // namespace

TEST_F(QuillmarchCliTest, HarvestAppliesStoredFiltersUnlessOverridden)
{
    LocalHttpServer site;
    site.page("/p.html",
        "<a href='/a.zip'>1</a><a href='/b.html'>2</a><a href='/a.zip'>3</a>"
        "<a href='mailto:x@example.invalid'>4</a><a href='javascript:x()'>5</a>"
        "<a href='/c%20d.zip'>6</a>");
    site.page("/doc.pdf", "%PDF", "application/pdf");
    site.server().Get("/missing.html", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("<h1>Not here</h1>", "text/html");
    });
    ASSERT_TRUE(site.start());
    const QString s = site.origin();
    {
        CRegSettings store = settings();
        FilterStore::saveEntries(store, { QStringLiteral("Archives - zip") });
        FilterStore::storeApplyFilters(store, true);
        Preferences prefs;
        prefs.exmt = true;
        savePreferences(store, prefs);
    }

    CliResult r = cli({ "harvest", site.url("/p.html"), "--save", path("out.txt") });
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, lines({ s + "/a.zip", s + "/c d.zip" }));
    QFile saved(path("out.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), (s + "/a.zip\r\n" + s + "/c d.zip\r\n").toUtf8());

    r = cli({ "harvest", site.url("/p.html"), "--no-filters", "--exclude-js" });
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, lines({ s + "/a.zip", s + "/b.html", s + "/c d.zip" }));

    r = cli({ "harvest", site.url("/p.html"), "--filter", "html" });
    EXPECT_EQ(r.out, lines({ s + "/b.html" }));

    r = cli({ "harvest", site.url("/missing.html") });
    EXPECT_EQ(r.exitCode, 8);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(r.err, QStringLiteral("quillmarch-cli: Error: the server answered 404 Not Found\n"));

    r = cli({ "harvest", site.url("/doc.pdf") });
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("It does not point to a valid HTML document.")));
}

// --media lists media, --all links and media, each page's in turn; the window's stored
// choice does not change what a script gets.
TEST_F(QuillmarchCliTest, HarvestListsMediaOrBothWhenAsked)
{
    LocalHttpServer site;
    site.page("/p.html",
        "<a href='/a.html'>a</a><img src='/i.png'><div style='background: url(/b.png)'></div>");
    site.page("/q.html", "<video poster='/v.jpg'></video>");
    site.page("/none.html", "<p>nothing</p>");
    ASSERT_TRUE(site.start());
    const QString s = site.origin();
    settings().SaveSetting("Options", "Collect", "Media");

    const QString p = site.url("/p.html");
    const QString q = site.url("/q.html");
    const std::tuple<QStringList, QStringList> rows[] = {
        { { "harvest", p }, { s + "/a.html" } },
        { { "harvest", "--media", p }, { s + "/i.png", s + "/b.png" } },
        { { "harvest", "--all", p, q },
            { s + "/a.html", s + "/i.png", s + "/b.png", s + "/v.jpg" } },
    };
    for (const auto& [arguments, expected] : rows) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const CliResult r = cli(arguments);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, lines(expected));
    }

    // A page that gives nothing says what was looked for.
    const std::pair<QStringList, QString> empty[] = {
        { { "harvest" }, "no links were found" },
        { { "harvest", "--media" }, "no media were found" },
        { { "harvest", "--all" }, "no links or media were found" },
    };
    for (const auto& [arguments, text] : empty) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const CliResult r = cli(arguments + QStringList { site.url("/none.html") });
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, "quillmarch-cli: Error: " + text + ".\n");
    }
}

TEST_F(QuillmarchCliTest, TextFileAndSequenceCommandsUseTheBuilders)
{
    CliResult r = cli({ "text" }, "http://a/1\nnot a link\r\nmailto:m@x\nFTP://b/2\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, lines({ "http://a/1", "mailto:m@x", "FTP://b/2" }));

    r = cli({ "text", "-", "--exclude-mailto" }, "mailto:m@x\nhttp://a/1\nhttp://a/1\n");
    EXPECT_EQ(r.out, lines({ "http://a/1", "http://a/1" }));

    r = cli({ "text" }, "nothing here\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(r.err, "quillmarch-cli: Error: no links in the input.\n");

    QFile list(path("list.txt"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("http://f/1\r\njavascript:x()\r\nhttp://f/2\r\n");
    list.close();
    r = cli({ "file", path("list.txt"), "--exclude-js", "--save", path("copy.txt") });
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, lines({ "http://f/1", "http://f/2" }));
    EXPECT_TRUE(QFile::exists(path("copy.txt")));

    r = cli({ "file", path("absent.txt") });
    EXPECT_EQ(r.exitCode, 1);

    r = cli({ "file", "-" }, "http://f/1\r\n\"http://f/2,3\"\r\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, lines({ "http://f/1", "http://f/2,3" }));

    r = cli(
        { "sequence", "http://s/img01.jpg", "--start", "08", "--end", "11", "--select", "12:2" });
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out,
        lines({ "http://s/img08.jpg", "http://s/img09.jpg", "http://s/img10.jpg",
            "http://s/img11.jpg" }));

    r = cli({ "sequence", "http://s/9", "--start", "10", "--end", "08", "--select", "9:1" });
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, lines({ "http://s/10", "http://s/09", "http://s/08" }));

    r = cli({ "sequence", "http://s/1", "--start", "1", "--end", "2", "--select", "40:2" });
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());

    r = cli({ "sequence", "http://s/1", "--start", QString(100000, '0'), "--end", "1", "--select",
        "9:1" });
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("may have at most 64 digits")) << r.err.toStdString();
}

// Old list files, binary data, endless input, empty results and characters outside the
// basic plane.
TEST_F(QuillmarchCliTest, MatchAndRejectPatternsChooseTheEntries)
{
    const QByteArray input = "http://a/1.jpg\nhttp://a/thumb.JPG\nhttp://a/2.png\nhttp://b/3.gif\n";
    QFile list(path("list.txt"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(input);
    list.close();
    const struct {
        QStringList arguments;
        int exitCode;
        QStringList out;
    } rows[] = {
        { { "text", "--match", "*.jpg", "--match=/\\.png$/" }, 0,
            { "http://a/1.jpg", "http://a/thumb.JPG", "http://a/2.png" } },
        { { "text", "--reject", "*thumb*", "--match", "*.jpg" }, 0, { "http://a/1.jpg" } },
        { { "file", path("list.txt"), "--reject", "http://a/*" }, 0, { "http://b/3.gif" } },
        { { "file", path("list.txt"), "--match", "*.zip" }, 1, {} },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        const CliResult r = cli(row.arguments, input);
        EXPECT_EQ(r.exitCode, row.exitCode) << r.err.toStdString();
        EXPECT_EQ(r.out, row.out.isEmpty() ? QString() : lines(row.out));
    }
}

TEST_F(QuillmarchCliTest, EncodingsLimitsAndEmptyResults)
{
    QFile old(path("old.txt"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("http://f/caf\xE9\r\nhttp://f/\xC3\xA9t\xE9\r\n");
    old.close();
    const QStringList accented { QString::fromUtf8("http://f/caf\u00E9"),
        QString::fromUtf8("http://f/\u00C3\u00A9t\u00E9") };
    CliResult r = cli({ "file", path("old.txt") });
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, lines(accented));
    r = cli({ "text", path("old.txt") });
    EXPECT_EQ(r.out, lines(accented));

    r = cli({ "text" }, QByteArray("http://a/1\n\0\0\nhttp://a/\0\nhttp://b", 33));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, lines({ "http://a/1", "http://b" })) << "lines with a NUL are passed over";

    QFile(path("empty.txt")).open(QIODevice::WriteOnly);
    for (const QStringList& nothing :
        { QStringList { "file", path("empty.txt") }, QStringList { "text", "--exclude-js" } }) {
        SCOPED_TRACE(nothing.join(' ').toStdString());
        r = cli(nothing, "javascript:x()\n");
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_FALSE(r.err.isEmpty());
    }

    r = cli({ "sequence", QString::fromUtf8("http://s/\U0001F600-07.jpg"), "--start", "1", "--end",
        "2", "--select", "11:2" });
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out,
        lines({ QString::fromUtf8("http://s/\U0001F600-1.jpg"),
            QString::fromUtf8("http://s/\U0001F600-2.jpg") }));

    r = cli({ "harvest", "http://127.0.0.1:9/", "--timeout", "3000000" });
    EXPECT_EQ(r.exitCode, 2);
}

TEST_F(QuillmarchCliTest, VersionHelpAndUsageErrors)
{
    struct Row {
        QStringList arguments;
        int exitCode;
        QString out; // the start of standard output
        QString err; // the whole of standard error
    };
    const QString version = QStringLiteral("quillmarch-cli %1\n").arg(kQuillmarchVersion);
    const QString hint = QStringLiteral("quillmarch-cli: Try 'quillmarch-cli %1--help'.\n");
    const Row rows[] = {
        { { "--version" }, 0, version, "" },
        { { "-V" }, 0, version, "" },
        { { "--help" }, 0, "Usage: quillmarch-cli COMMAND", "" },
        { { "download", "--help" }, 0, "Usage: quillmarch-cli download [OPTIONS]", "" },
        { { "help", "sequence" }, 0, "Usage: quillmarch-cli sequence URL", "" },
        { {}, 2, "", "quillmarch-cli: No command given.\n" + hint.arg("") },
        { { "bogus", "x" }, 2, "", "quillmarch-cli: Unknown command bogus.\n" + hint.arg("") },
        { { "harvest" }, 2, "", "quillmarch-cli: No URL given.\n" + hint.arg("harvest ") },
        { { "text", "--frobnicate" }, 2, "",
            "quillmarch-cli: Unknown option --frobnicate.\n" + hint.arg("text ") },
        { { "download", "--filter=png", "http://x/" }, 2, "",
            "quillmarch-cli: --filter is not an option of download.\n" + hint.arg("download ") },
        { { "download", "http://x/", "--save", "l.txt" }, 2, "",
            "quillmarch-cli: --save is not an option of download.\n" + hint.arg("download ") },
        { { "text", "--from", "list.txt" }, 2, "",
            "quillmarch-cli: --from is not an option of text.\n" + hint.arg("text ") },
        { { "text", "--exclude-js=yes" }, 2, "",
            "quillmarch-cli: --exclude-js takes no value.\n" + hint.arg("text ") },
        { { "--help=all" }, 2, "", "quillmarch-cli: --help takes no value.\n" + hint.arg("") },
        { { "harvest", "http://x/", "--filter" }, 2, "",
            "quillmarch-cli: --filter needs a value.\n" + hint.arg("harvest ") },
        { { "file", "l.txt", "--match", "/a(/" }, 2, "",
            "quillmarch-cli: --match: /a(/ is not a valid regular expression: missing ): a(.\n"
                + hint.arg("file ") },
        { { "sequence", "http://s/1", "--reject", "*" }, 2, "",
            "quillmarch-cli: --reject is not an option of sequence.\n" + hint.arg("sequence ") },
        { { "text", "--format", "xml" }, 2, "",
            "quillmarch-cli: --format needs plain, jsonl or csv.\n" + hint.arg("text ") },
        { { "sequence", "http://s/1", "--format=csv" }, 2, "",
            "quillmarch-cli: --format is not an option of sequence.\n" + hint.arg("sequence ") },
        { { "harvest", "http://x/", "--jobs=0" }, 2, "",
            "quillmarch-cli: --jobs needs a number from 1 to 16.\n" + hint.arg("harvest ") },
        { { "harvest", "http://x/", "--media", "--all" }, 2, "",
            "quillmarch-cli: --media and --all cannot be combined.\n" + hint.arg("harvest ") },
        { { "sequence", "http://s/1", "--start", "1" }, 2, "",
            "quillmarch-cli: sequence needs --start N, --end M and --select OFFSET:LENGTH.\n"
                + hint.arg("sequence ") },
        // "=" values and "--" ending the options: "-5" is then a file name.
        { { "sequence", "--start=1", "--end=2", "--select=9:1", "--", "http://s/1" }, 0,
            "http://s/1\nhttp://s/2\n", "" },
        { { "file", "--", "-5" }, 1, "",
            "quillmarch-cli: Error: Cannot open \"-5\" for reading: No such file or directory.\n" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        const CliResult r = cli(row.arguments);
        EXPECT_EQ(r.exitCode, row.exitCode);
        EXPECT_EQ(r.out.left(row.out.size()), row.out);
        EXPECT_EQ(r.err, row.err);
    }
}

TEST_F(QuillmarchCliTest, HarvestOfManyPagesWritesEachInTurnAndReportsEachFailure)
{
    LocalHttpServer site;
    // The first page answers last, so the later pages are done before it.
    site.server().Get("/slow.html", [](const httplib::Request&, httplib::Response& res) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        res.set_content(
            "<a href='/s1'>1</a><a href='/shared'>2</a><a href='/s1'>3</a>", "text/html");
    });
    site.page("/b.html", "<a href='/shared'>1</a><a href='/b1'>2</a>");
    site.page("/doc.pdf", "%PDF", "application/pdf");
    site.server().Get("/missing.html", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("<h1>Not here</h1>", "text/html");
    });
    ASSERT_TRUE(site.start());
    const QString s = site.origin();
    QFile list(path("pages.txt"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(
        (site.url("/missing.html") + "\r\n\n" + site.url("/doc.pdf") + "\n" + site.url("/b.html"))
            .toUtf8());
    list.close();

    QFile saved(path("all.txt"));
    ASSERT_TRUE(saved.open(QIODevice::WriteOnly));
    saved.write("http://old\r\n");
    saved.close();
    CliResult r = cli({ "harvest", site.url("/slow.html"), "--from", path("pages.txt"), "--save",
        path("all.txt") });
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, lines({ s + "/s1", s + "/shared", s + "/shared", s + "/b1" }));
    EXPECT_EQ(r.err,
        QStringLiteral("quillmarch-cli: ") + site.url("/missing.html")
            + ": Error: the server answered 404 Not Found\nquillmarch-cli: " + site.url("/doc.pdf")
            + ": Error: Quillmarch cannot build a list from this URL. It does not point to a "
              "valid HTML document.\n");
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), "http://old\r\n") << "a failed batch saves nothing";
    saved.close();

    r = cli({ "harvest", site.url("/slow.html"), site.url("/b.html"), "--dedupe-all" });
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, lines({ s + "/s1", s + "/shared", s + "/b1" }));

    // A page left without entries by the patterns fails like a page without links.
    r = cli({ "harvest", site.url("/slow.html"), site.url("/b.html"), "--match", "*/b1" });
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, lines({ s + "/b1" }));
    EXPECT_TRUE(r.err.startsWith("quillmarch-cli: " + site.url("/slow.html") + ": Error: no links"))
        << r.err.toStdString();

    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(("\n # " + site.url("/b.html") + "\n").toUtf8());
    list.close();
    r = cli({ "harvest", "--from", path("pages.txt") });
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QStringLiteral("quillmarch-cli: Error: no URL to harvest.\n"));
}

// Another program's exclusive lock keeps the settings from being read: the tool gives up
// within seconds and does nothing rather than work with defaults. The write lock alone
// leaves them readable, and the stored preferences apply.
TEST_F(QuillmarchCliTest, ALockedSettingsStoreIsReportedWithinSeconds)
{
    CRegSettings stored = settings();
    ASSERT_TRUE(stored.SaveSetting("Options", "Exclude JS Links", "True"));
    for (const bool exclusive : { true, false }) {
        SCOPED_TRACE(exclusive);
        sqlite3* holder = nullptr;
        ASSERT_EQ(sqlite3_open(
                      QFile::encodeName(path("quillmarch/registry.sqlite3")).constData(), &holder),
            SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(holder, exclusive ? "BEGIN EXCLUSIVE" : "BEGIN IMMEDIATE", nullptr,
                      nullptr, nullptr),
            SQLITE_OK);
        QElapsedTimer clock;
        clock.start();
        const CliResult r
            = cli({ "text", "--save", path("out.txt") }, "javascript:x()\nhttp://a/1\n");
        sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(holder);
        if (exclusive) {
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_TRUE(r.out.isEmpty());
            EXPECT_EQ(r.err,
                "quillmarch-cli: cannot read the settings: another program holds them locked\n");
            EXPECT_FALSE(QFile::exists(path("out.txt")));
            EXPECT_LT(clock.elapsed(), 15000);
        } else {
            EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
            EXPECT_EQ(r.out, lines({ "http://a/1" }));
        }
    }
}

// --save writes only for a command that succeeded, and never leaves a cut file; what it
// writes, quoted entries included, is read back by file, text and download --from.
TEST_F(QuillmarchCliTest, SavedListsAreWholeAndReadBackEverywhere)
{
    const QByteArray old = "http://old\r\n";
    auto keep = [&] {
        QFile f(path("keep.txt"));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(old);
    };
    auto kept = [&] {
        QFile f(path("keep.txt"));
        return f.open(QIODevice::ReadOnly) && f.readAll() == old;
    };
    QByteArray many;
    for (int i = 0; i < 500; ++i)
        many += "http://example.org/page/" + QByteArray::number(i) + "\n";
    // The last row runs once the settings exist, so only the save meets the limit.
    const struct {
        QStringList arguments;
        QByteArray input;
        QStringList prlimit;
    } failing[] = {
        { { "text" }, "no links\n", {} },
        { { "file", path("absent.txt") }, {}, {} },
        { { "sequence", "http://s/1", "--start", "1", "--end", "2", "--select", "40:2" }, {}, {} },
        { { "text" }, many, { "--fsize=4096" } },
    };
    for (const auto& row : failing) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        keep();
        const CliResult r = cli(
            row.arguments + QStringList { "--save", path("keep.txt") }, row.input, row.prlimit);
        EXPECT_EQ(r.exitCode, 1);
        if (!row.prlimit.isEmpty()) {
            EXPECT_TRUE(r.err.contains("cannot save")) << r.err.toStdString();
        }
        EXPECT_TRUE(kept());
        EXPECT_EQ(QDir(path("")).entryList({ "keep*" }, QDir::Files | QDir::Hidden),
            QStringList { "keep.txt" });
    }

    LocalHttpServer site;
    site.page("/p1.html", "<a href='/a,b.txt'>1</a>");
    site.page("/p2.html", "<a href='/c.txt'>2</a>");
    site.page("/a,b.txt", "ab", "text/plain");
    site.page("/c.txt", "c", "text/plain");
    ASSERT_TRUE(site.start());
    CliResult r = cli(
        { "harvest", site.url("/p1.html"), site.url("/p2.html"), "--save", path("saved.txt") });
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList links { site.url("/a,b.txt"), site.url("/c.txt") };
    EXPECT_EQ(r.out, lines(links));
    QFile saved(path("saved.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), ("\"" + links[0] + "\"\r\n" + links[1] + "\r\n").toUtf8());
    for (const char* command : { "file", "text" }) {
        r = cli({ command, path("saved.txt") });
        EXPECT_EQ(r.out, lines(links)) << command;
    }
    QDir(path("")).mkdir("got");
    r = cli({ "download", "--dir", path("got"), "--from", path("saved.txt") });
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QDir(path("got")).entryList(QDir::Files), (QStringList { "a,b.txt", "c.txt" }));
}

TEST_F(QuillmarchCliTest, FormatsPrintEachEntryWithItsContext)
{
    const QByteArray input = "http://a/b,\"c\"\nhttp://a/\u00e9\n";
    const QString json = QStringLiteral(
        "{\"kind\":\"link\",\"page\":\"\",\"text\":\"\",\"title\":\"\",\"url\":\"%1\"}\n");
    const struct {
        QString format;
        QString out;
    } rows[] = {
        { "csv",
            "url,kind,text,page,title\r\n\"http://a/b,\"\"c\"\"\",link,,,\r\nhttp://a/"
            "\u00e9,link,,,\r\n" },
        { "jsonl", json.arg("http://a/b,\\\"c\\\"") + json.arg("http://a/\u00e9") },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.format.toStdString());
        const CliResult r = cli({ "text", "--format", row.format, "--save", path("l.txt") }, input);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, row.out);
        QFile saved(path("l.txt"));
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        EXPECT_EQ(saved.readAll(), "\"http://a/b,%22c%22\"\r\nhttp://a/\xC3\xA9\r\n")
            << "the list file keeps its format";
    }
}

// Pages on this machine, as a file: URL or a path, alone or among others: their web links
// are listed, their links to local files are not.
TEST_F(QuillmarchCliTest, HarvestReadsLocalPages)
{
    QFile page(path("page.html"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<a href='http://web.invalid/a'>A</a><a href='other.html'>local</a>"
               "<a href='mailto:m@web.invalid'>M</a>");
    page.close();
    const QString file = path("page.html");
    const QString url = QUrl::fromLocalFile(file).toString();
    const QString links = lines({ "http://web.invalid/a", "mailto:m@web.invalid" });

    CliResult r = cli({ "harvest", url });
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, links);

    r = cli({ "harvest", file, url, "--format", "csv" });
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.count(QStringLiteral("http://web.invalid/a,")), 2) << r.out.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("url,kind,text,page,title\r\n")));

    r = cli({ "harvest", path("gone.html") });
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(
        r.err.contains(QStringLiteral("The file \"%1\" does not exist.").arg(path("gone.html"))))
        << r.err.toStdString();
}

// --session sends the cookies a browser window's profile stored: the members' page
// harvests and its file downloads. Without it the site's login page is what loads (and
// the tool says so), and the file is refused.
TEST_F(QuillmarchCliTest, SessionSendsTheBrowserProfilesCookies)
{
    LocalHttpServer site;
    serveSignInSite(site);
    ASSERT_TRUE(site.start());
    // A window's profile, where a page signed in; released, so it writes its cookies.
    const QString folder = path(QStringLiteral("data/quillmarch/browser"));
    auto* profile = new QWebEngineProfile(QStringLiteral("cli-session"));
    profile->setPersistentStoragePath(folder);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
    auto* page = new QWebEnginePage(profile);
    QSignalSpy loaded(page, &QWebEnginePage::loadFinished);
    page->load(QUrl(site.url("/sign-in")));
    ASSERT_TRUE(loaded.wait(30000));
    delete page;
    delete profile;
    ASSERT_TRUE(waitFor([&] {
        const auto stored = ProfileCookieReader::read(folder + QStringLiteral("/Cookies"));
        return stored && stored.value().cookies.size() == 1;
    }));

    const CliResult signedIn = cli({ "harvest", "--session", site.url("/members") });
    EXPECT_EQ(signedIn.exitCode, 0) << signedIn.err.toStdString();
    EXPECT_EQ(signedIn.out, lines({ site.url("/report.zip") }));
    const CliResult outside = cli({ "harvest", site.url("/members") });
    EXPECT_EQ(outside.out, lines({ site.url("/help.html") }));
    EXPECT_TRUE(outside.err.contains(
        QStringLiteral("Warning: the page moved to %1;").arg(site.url("/login"))))
        << outside.err.toStdString();

    const QString dir = path(QStringLiteral("saved"));
    const QString report = site.url("/members/report.txt");
    EXPECT_EQ(cli({ "download", "--dir", dir, report }).exitCode, 8);
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/report.txt")));
    EXPECT_EQ(cli({ "download", "--session", "--dir", dir, report }).exitCode, 0);
    QFile saved(dir + QStringLiteral("/report.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), "report");
}

namespace
{

// A picture of width × height in format: one colour, or for a JPEG a pattern that makes
// its file large.
std::string pictureFile(int width, int height, const char* format)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    for (int y = 0; y < height && qstrcmp(format, "JPEG") == 0; y += 2) {
        for (int x = 0; x < width; x += 3)
            image.setPixel(x, y, qRgb((x * 37) % 256, (y * 91) % 256, (x * y) % 256));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, qstrcmp(format, "JPEG") == 0 ? 100 : -1);
    return bytes.toStdString();
}

// A GIF (which the toolkit reads but does not write): its header and one white pixel.
std::string gifFile(quint16 width, quint16 height)
{
    const auto le = [](quint16 n) { return std::string { char(n & 0xFF), char(n >> 8) }; };
    return "GIF89a" + le(width) + le(height) + std::string("\x80\0\0\0\0\0\xFF\xFF\xFF", 9) + ","
        + le(0) + le(0) + le(width) + le(height) + std::string("\0\x02\x02\x44\x01\0;", 8);
}

} // namespace

// Measuring after a media harvest: the bounds keep what they accept, drop what cannot
// be checked (and say how many), and --measure adds the facts to jsonl and csv.
TEST_F(QuillmarchCliTest, MediaBoundsKeepWhatMeasuringFinds)
{
    LocalHttpServer site;
    site.page("/p.html",
        "<img src='/big.png'><img src='/small.png'><img src='/photo.jpg'>"
        "<img src='/anim.gif'><img src='/broken.png'>");
    site.page("/q.html", "<img src='/small.png'><img src='/photo.jpg'>");
    const std::string photo = pictureFile(1200, 900, "JPEG");
    ASSERT_GT(photo.size(), 40u * 1024);
    site.page("/big.png", pictureFile(800, 600, "PNG"), "image/png");
    site.page("/small.png", pictureFile(100, 50, "PNG"), "image/png");
    site.page("/photo.jpg", photo, "image/jpeg");
    site.page("/anim.gif", gifFile(300, 200), "image/gif");
    site.page("/broken.png", "this is no picture", "image/png");
    ASSERT_TRUE(site.start());
    const QString s = site.origin();
    const QString p = site.url("/p.html");

    const struct {
        QStringList arguments;
        QStringList kept;
        int exitCode;
        QString told; // on standard error
    } rows[] = {
        { { "--min-width", "500" }, { "/big.png", "/photo.jpg" }, 0, "1 entry was left out" },
        { { "--min-height=250" }, { "/big.png", "/photo.jpg" }, 0, "1 entry was left out" },
        { { "--min-size", "40K" }, { "/photo.jpg" }, 0, "1 entry was left out" },
        { { "--type", "png,gif" }, { "/big.png", "/small.png", "/anim.gif" }, 0,
            "1 entry was left out" },
        { { "--min-width", "5000" }, {}, 1, "no media passed the size and type bounds" },
        { { "--measure" }, { "/big.png", "/small.png", "/photo.jpg", "/anim.gif", "/broken.png" },
            0, "1 of 5 pictures could not be measured" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        const CliResult r = cli(QStringList { "harvest", "--media", p } + row.arguments);
        EXPECT_EQ(r.exitCode, row.exitCode) << r.err.toStdString();
        QStringList kept;
        for (const QString& path : row.kept)
            kept.append(s + path);
        EXPECT_EQ(r.out, kept.isEmpty() ? QString() : lines(kept));
        EXPECT_TRUE(r.err.contains(row.told)) << r.err.toStdString();
    }

    // Several pages: each page's entries are measured before they are printed.
    CliResult r = cli({ "harvest", "--media", "--min-width", "500", p, site.url("/q.html") });
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, lines({ s + "/big.png", s + "/photo.jpg", s + "/photo.jpg" }));

    r = cli({ "harvest", "--media", "--measure", "--format", "jsonl", p });
    const QStringList objects = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(objects.size(), 5) << r.out.toStdString();
    const auto field = [&](int line, const char* name) {
        return QJsonDocument::fromJson(objects.at(line).toUtf8()).object().value(name);
    };
    EXPECT_EQ(field(0, "width").toInt(), 800);
    EXPECT_EQ(field(0, "height").toInt(), 600);
    EXPECT_EQ(field(0, "type").toString(), "png");
    EXPECT_EQ(field(2, "size").toInteger(), qint64(photo.size()));
    EXPECT_EQ(field(2, "type").toString(), "jpeg");
    EXPECT_TRUE(field(4, "width").isNull());
    EXPECT_TRUE(field(4, "size").isNull());

    r = cli({ "harvest", "--media", "--measure", "--format", "csv", site.url("/q.html") });
    EXPECT_EQ(r.out,
        "url,kind,text,page,title,width,height,size,type\r\n" + s + "/small.png,image,," + s
            + "/q.html,,100,50," + QString::number(pictureFile(100, 50, "PNG").size()) + ",png\r\n"
            + s + "/photo.jpg,image,," + s + "/q.html,,1200,900," + QString::number(photo.size())
            + ",jpeg\r\n");
}

TEST_F(QuillmarchCliTest, MediaBoundsRefuseWhatTheyCannotRead)
{
    const QString hint = QStringLiteral("quillmarch-cli: %1\nquillmarch-cli: Try "
                                        "'quillmarch-cli harvest --help'.\n");
    const std::pair<QStringList, QString> rows[] = {
        { { "--media", "--type", "png,tiff" },
            "--type: unknown type tiff; the types are jpeg, png, gif, webp, svg, avif and video." },
        { { "--media", "--min-size", "12Q" },
            "--min-size needs bytes, a number with K, M or G after it for 1024, 1024² or 1024³ "
            "(e.g. 20K or 1.5M)." },
        { { "--media", "--min-width", "-3" },
            "--min-width needs a number of pixels from 0 to 1000000." },
        { { "--min-width", "10" }, "--min-width needs --media or --all." },
    };
    for (const auto& [arguments, message] : rows) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const CliResult r = cli(QStringList { "harvest", "http://x.invalid/" } + arguments);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err, hint.arg(message));
    }
}

// A site harvest prints each entry with the page it was found on and that page's depth,
// and sums up on standard error; a single page's lines carry no depth.
TEST_F(QuillmarchCliTest, HarvestOfASiteGivesPageAndDepth)
{
    LocalHttpServer site;
    site.page("/s/index.html", "<a href='a.html'>A</a><a href='/elsewhere.html'>E</a>");
    site.page("/s/a.html", "<a href='deep.zip'>Z</a>");
    ASSERT_TRUE(site.start());

    const CliResult crawl = cli({ "harvest", site.url("/s/index.html"), "--depth", "1", "--format",
        "jsonl", "--ignore-robots", "--no-config" });
    EXPECT_EQ(crawl.exitCode, 0) << crawl.err.toStdString();
    EXPECT_EQ(crawl.out,
        lines({ QStringLiteral(
                    R"({"depth":0,"kind":"link","page":"%1","text":"A","title":"","url":"%2"})")
                    .arg(site.url("/s/index.html"), site.url("/s/a.html")),
            QStringLiteral(
                R"({"depth":0,"kind":"link","page":"%1","text":"E","title":"","url":"%2"})")
                .arg(site.url("/s/index.html"), site.url("/elsewhere.html")),
            QStringLiteral(
                R"({"depth":1,"kind":"link","page":"%1","text":"Z","title":"","url":"%2"})")
                .arg(site.url("/s/a.html"), site.url("/s/deep.zip")) }));
    EXPECT_TRUE(crawl.err.contains("2 pages visited, 0 failed, 3 entries"))
        << crawl.err.toStdString();

    const CliResult single
        = cli({ "harvest", site.url("/s/a.html"), "--format", "jsonl", "--no-config" });
    EXPECT_FALSE(single.out.contains("depth")) << single.out.toStdString();
}

// Ctrl-C (or SIGTERM) ends a site harvest with what it found and status 130; --continue
// then reads only the pages left, and lists the entries found before too.
TEST_F(QuillmarchCliTest, InterruptedSiteHarvestContinues)
{
    LocalHttpServer site;
    std::atomic<int> slowAsked = 0;
    std::atomic<int> indexAsked = 0;
    std::atomic<bool> hang = true;
    site.server().Get("/s/index.html", [&](const httplib::Request&, httplib::Response& res) {
        ++indexAsked;
        res.set_content("<a href='slow.html'>S</a>", "text/html");
    });
    site.server().Get("/s/slow.html", [&](const httplib::Request&, httplib::Response& res) {
        ++slowAsked;
        for (int i = 0; i < 40 && hang; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        res.set_content("<a href='end.zip'>E</a>", "text/html");
    });
    ASSERT_TRUE(site.start());
    const QStringList arguments { "harvest", site.url("/s/index.html"), "--depth", "1",
        "--ignore-robots", "--no-config" };

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CACHE_HOME"), path(QStringLiteral("cache")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QM_BINARY_DIR "/quillmarch-cli"), arguments);
    ASSERT_TRUE(waitFor([&] { return slowAsked > 0; }));
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(30000));
    hang = false;
    EXPECT_EQ(process.exitCode(), 130);
    EXPECT_EQ(
        QString::fromUtf8(process.readAllStandardOutput()), lines({ site.url("/s/slow.html") }));
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError()).contains("--continue"));

    const CliResult continued = cli(arguments + QStringList { "--continue" });
    EXPECT_EQ(continued.exitCode, 0) << continued.err.toStdString();
    EXPECT_EQ(continued.out, lines({ site.url("/s/slow.html"), site.url("/s/end.zip") }));
    EXPECT_EQ(indexAsked, 1);
}
