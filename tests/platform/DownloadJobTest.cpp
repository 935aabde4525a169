#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <ctime>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <thread>

#include "core/Version.h"
#include "download/DownloadJob.h"
#include "download/DownloadQuestions.h"
#include "platform/curl/CurlTransferService.h"
#include "support/LocalHttpServer.h"
#include "support/QtPrinters.h"
#include "support/ScriptedPrompt.h"
#include "support/WaitFor.h"

namespace
{

using SteadyClock = std::chrono::steady_clock;

qint64 msSince(SteadyClock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start)
        .count();
}

// The same server under its other name: another host to the job.
QString otherHost(const QString& url)
{
    return QString(url).replace("127.0.0.1", "localhost");
}

// The links as a job's items, each with its context from contexts when given.
DownloadItems itemsOf(const QStringList& links, const QList<EntryContext>& contexts = {})
{
    ListEntries entries;
    for (qsizetype i = 0; i < links.size(); ++i)
        entries.append({ links.at(i), contexts.value(i) });
    return numberedItems(entries);
}

// The link the job follows as "bytes of size" (size -1 when unknown).
QString followedBytes(const DownloadJob& job)
{
    if (job.current() < 0)
        return QString();
    const DownloadLinkState& link = job.links().at(job.current());
    return QString("%1 of %2").arg(link.bytes).arg(link.size);
}

std::string bytes(size_t size, char seed = 'a')
{
    std::string body(size, '\0');
    for (size_t i = 0; i < size; ++i)
        body[i] = static_cast<char>(seed + i % 23);
    return body;
}

// Serves body from offset with its length announced; stops after cutAt bytes (closing the
// connection) when cutAt is below the size.
void serveBody(httplib::Response& res, std::shared_ptr<std::string> body, size_t cutAt)
{
    res.set_header("Accept-Ranges", "bytes");
    res.set_content_provider(body->size(), "application/octet-stream",
        [body, cutAt](size_t offset, size_t length, httplib::DataSink& sink) {
            if (offset >= cutAt)
                return false;
            const size_t n = std::min({ length, cutAt - offset, size_t(1000) });
            sink.write(body->data() + offset, n);
            return true;
        });
}

class DownloadJobTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + "/";
    }

    // Runs a job to its end; returns its window state there.
    DownloadJob& run(const QStringList& paths,
        OverwriteAction owaction = OverwriteAction::Overwrite, int retries = 3)
    {
        QStringList links;
        for (const QString& p : paths)
            links.append(p.contains("://") ? p : m_site.url(p));
        DownloadJobOptions options;
        options.folder = m_folder;
        options.owaction = owaction;
        options.retries = retries;
        options.retryBaseMs = 10;
        options.progressIntervalMs = 5;
        if (m_configure)
            m_configure(options);
        m_job = std::make_unique<DownloadJob>(itemsOf(links, m_contexts), options, m_service);
        m_questions = std::make_unique<DownloadQuestions>(*m_job, m_prompt);
        if (m_started)
            m_started(m_job.get());
        QObject::connect(m_job.get(), &DownloadJob::changed, [this] {
            if (m_job->isRunning() && m_job->current() >= 0)
                m_byteLabels.append(followedBytes(*m_job));
        });
        m_job->start();
        EXPECT_TRUE(waitFor([this] { return !m_job->isRunning(); }));
        return *m_job;
    }

    QByteArray read(const QString& name)
    {
        QFile f(m_folder + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
    }

    // Names in the folder, hidden ones included (temporary files would show here).
    QStringList names()
    {
        return QDir(m_folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    void TearDown() override { m_release = true; }

    QTemporaryDir m_dir;
    QString m_folder;
    // A stalled handler waits for this; it outlives the server's threads.
    std::atomic<bool> m_release { false };
    std::atomic<bool> m_stalled { false };
    LocalHttpServer m_site;
    CurlTransferService m_service;
    ScriptedPrompt m_prompt;
    std::unique_ptr<DownloadJob> m_job;
    std::unique_ptr<DownloadQuestions> m_questions;
    QStringList m_byteLabels;
    std::function<void(DownloadJob*)> m_started; // called with each job before it starts
    std::function<void(DownloadJobOptions&)> m_configure;
    QList<EntryContext> m_contexts; // the links' contexts, in their order
};

} // namespace

TEST_F(DownloadJobTest, SavesEachLinkInOrderWithAndWithoutLength)
{
    const auto body = std::make_shared<std::string>(bytes(2049));
    // Downloads name the program, with its version, as the content-type check does.
    m_site.server().Get("/len/b.bin", [body](const httplib::Request& req, httplib::Response& res) {
        if (req.get_header_value("User-Agent") == std::string("Quillmarch/") + kQuillmarchVersion)
            res.set_content(*body, "application/octet-stream");
        else
            res.status = 403;
    });
    m_site.server().Get("/chunked/c.bin", [body](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider(
            "application/octet-stream", [body](size_t offset, httplib::DataSink& sink) {
                if (offset < body->size())
                    sink.write(
                        body->data() + offset, std::min<size_t>(1024, body->size() - offset));
                else
                    sink.done();
                return true;
            });
    });
    m_site.page("/dir/", "<p>index</p>");
    // The list keeps a harvested "%20" as a space; the request must encode it.
    m_site.page("/s p/a b%.txt", "spaced", "text/plain");
    // The name comes from the decoded path alone; the request still sends the query.
    m_site.server().Get(
        "/q/\xC3\xBCn.png", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(req.get_param_value("size"), "image/png");
        });
    ASSERT_TRUE(m_site.start());

    DownloadJob& job = run({ "/len/b.bin", "/chunked/c.bin", "/dir/", "/s p/a b%25.txt",
        "/q/%C3%BCn.png?size=large&v=2#x" });
    EXPECT_EQ(job.phase(), DownloadJob::Phase::Done);
    EXPECT_EQ(read("b.bin"), QByteArray::fromStdString(*body));
    EXPECT_EQ(read("c.bin"), QByteArray::fromStdString(*body));
    EXPECT_EQ(read("index.html"), "<p>index</p>");
    EXPECT_EQ(read("a b%.txt"), "spaced");
    EXPECT_EQ(read("\u00fcn.png"), "large");
    EXPECT_EQ(names(), QStringList({ "a b%.txt", "b.bin", "c.bin", "index.html", "\u00fcn.png" }));
    EXPECT_TRUE(m_byteLabels.contains("2049 of 2049")) << m_byteLabels.join('|').toStdString();
    EXPECT_TRUE(m_byteLabels.contains("2049 of -1")) << m_byteLabels.join('|').toStdString();
    EXPECT_EQ(job.endedCount(), 5);
    for (const DownloadLinkState& link : job.links())
        EXPECT_EQ(link.status, DownloadLinkState::Status::Saved);
    EXPECT_TRUE(m_prompt.messages.isEmpty());
}

TEST_F(DownloadJobTest, FailedLinksAreReportedAndLeaveNoFile)
{
    const auto body = std::make_shared<std::string>(bytes(10000));
    m_site.server().Get("/drop.bin",
        [body](const httplib::Request&, httplib::Response& res) { serveBody(res, body, 3000); });
    m_site.server().Get(
        "/gone.bin", [](const httplib::Request&, httplib::Response& res) { res.status = 410; });
    m_site.page("/ok.txt", "fine", "text/plain");
    ASSERT_TRUE(m_site.start());

    const struct {
        const char* path;
        const char* file;
        const char* message; // start of the message
    } rows[] = {
        { "/missing.txt", "missing.txt", "ErrorCode: 404 : Not Found" },
        { "/gone.bin", "gone.bin", "ErrorCode: 410 : Gone" },
        { "/drop.bin", "drop.bin", "ErrorCode: 18 : " },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        m_prompt.messages.clear();
        QFile::remove(m_folder + "ok.txt");
        DownloadJob& job = run({ row.path, "/ok.txt" }, OverwriteAction::Overwrite, 0);
        EXPECT_EQ(job.phase(), DownloadJob::Phase::Error);
        EXPECT_EQ(job.links().at(0).status, DownloadLinkState::Status::Failed);
        EXPECT_TRUE(job.links().at(0).reason.startsWith(row.message));
        ASSERT_EQ(m_prompt.messages.size(), 1);
        EXPECT_EQ(m_prompt.messages[0].title, "Error");
        EXPECT_EQ(m_prompt.messages[0].icon, PromptIcon::Critical);
        EXPECT_TRUE(m_prompt.messages[0].text.startsWith(row.message))
            << m_prompt.messages[0].text.toStdString();
        EXPECT_EQ(names(), QStringList({ "ok.txt" }));
    }
}

TEST_F(DownloadJobTest, TransientFailuresAreTriedAgainResumingWhereTheyStopped)
{
    const auto body = std::make_shared<std::string>(bytes(50000));
    std::atomic<int> flakyCalls { 0 };
    std::string secondRange;
    m_site.server().Get("/flaky.bin", [&](const httplib::Request& req, httplib::Response& res) {
        if (flakyCalls++ == 0) {
            serveBody(res, body, 20000);
        } else {
            secondRange = req.get_header_value("Range");
            serveBody(res, body, body->size());
        }
    });
    std::atomic<int> busyCalls { 0 };
    QElapsedTimer sinceBusy;
    qint64 busyPause = 0;
    m_site.server().Get("/busy.txt", [&](const httplib::Request&, httplib::Response& res) {
        if (busyCalls++ == 0) {
            res.status = 503;
            // The date form: two seconds from now.
            const std::time_t at = std::time(nullptr) + 2;
            char date[64];
            std::strftime(date, sizeof date, "%a, %d %b %Y %H:%M:%S GMT", std::gmtime(&at));
            res.set_header("Retry-After", date);
            sinceBusy.start();
        } else {
            busyPause = sinceBusy.elapsed();
            res.set_content("served", "text/plain");
        }
    });
    ASSERT_TRUE(m_site.start());
    QStringList retries;
    auto record = [&](DownloadJob* job) {
        QObject::connect(job, &DownloadJob::retrying, [&, job](int index) {
            const DownloadLinkState& link = job->links().at(index - 1);
            EXPECT_EQ(link.status, DownloadLinkState::Status::Retrying);
            retries.append(QString("%1 s, %2 of %3")
                               .arg((link.retryInMs + 999) / 1000)
                               .arg(link.attempt)
                               .arg(link.attempts));
        });
    };
    m_started = record;

    DownloadJob& job = run({ "/flaky.bin", "/busy.txt" });
    EXPECT_EQ(job.phase(), DownloadJob::Phase::Done);
    EXPECT_EQ(read("flaky.bin"), QByteArray::fromStdString(*body));
    EXPECT_EQ(secondRange, "bytes=20000-");
    EXPECT_EQ(read("busy.txt"), "served");
    EXPECT_EQ(busyCalls.load(), 2);
    EXPECT_GE(busyPause, 900);
    ASSERT_EQ(retries.size(), 2);
    EXPECT_EQ(retries[0], "1 s, 2 of 4");
    EXPECT_TRUE(retries[1] == "1 s, 2 of 4" || retries[1] == "2 s, 2 of 4")
        << retries[1].toStdString();
    EXPECT_TRUE(m_prompt.messages.isEmpty());
}

TEST_F(DownloadJobTest, CancelDuringAStalledOverwriteKeepsTheOldFile)
{
    m_site.server().Get("/stall.bin", [this](const httplib::Request&, httplib::Response& res) {
        res.set_header("ETag", "\"s\""); // a validator makes the partial file resumable
        res.set_content_provider(100000, "application/octet-stream",
            [this](size_t offset, size_t, httplib::DataSink& sink) {
                if (offset == 0) {
                    sink.write(std::string(1000, 'n').data(), 1000);
                    return true;
                }
                m_stalled = true;
                while (!m_release)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                return false;
            });
    });
    ASSERT_TRUE(m_site.start());
    QFile old(m_folder + "stall.bin");
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old content");
    old.close();

    DownloadJobOptions options;
    options.folder = m_folder;
    options.owaction = OverwriteAction::Overwrite;
    DownloadJob job(
        itemsOf({ m_site.url("/stall.bin"), m_site.url("/never.bin") }), options, m_service);
    DownloadQuestions questions(job, m_prompt);
    job.start();
    ASSERT_TRUE(waitFor([&] { return m_stalled.load() && names().size() == 3; }));
    EXPECT_EQ(read("stall.bin"), "old content");
    const QStringList kept { ".stall.bin.part", ".stall.bin.part.rec", "stall.bin" };
    EXPECT_EQ(names(), kept);
    job.cancel();
    EXPECT_EQ(job.phase(), DownloadJob::Phase::Cancelled);
    m_release = true;
    EXPECT_EQ(read("stall.bin"), "old content");
    // The partial file stays hidden, for the next run to resume.
    EXPECT_EQ(names(), kept);
}

TEST_F(DownloadJobTest, ExistingNamesFollowThePolicy)
{
    m_site.page("/a.jpg", "new a", "image/jpeg");
    m_site.page("/b.gif", "new b", "image/gif");
    ASSERT_TRUE(m_site.start());
    QTemporaryDir outside;
    const QString target = outside.filePath("target.txt");
    const struct {
        OverwriteAction owaction;
        QStringList files; // the folder's files afterwards, with their contents
    } rows[] = {
        { OverwriteAction::Overwrite, { "a.jpg=new a", "b.gif=new b" } },
        { OverwriteAction::Skip, { "a.jpg=old", "b.gif=link" } },
        { OverwriteAction::Unique,
            { "a(1).jpg=new a", "a.jpg=old", "b(2).gif=new b", "b.gif=link" } },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(overwriteActionIndex(row.owaction));
        for (const QString& name : names())
            QFile::remove(m_folder + name);
        QFile(target).remove();
        QFile t(target);
        ASSERT_TRUE(t.open(QIODevice::WriteOnly));
        t.write("link");
        t.close();
        QFile a(m_folder + "a.jpg");
        ASSERT_TRUE(a.open(QIODevice::WriteOnly));
        a.write("old");
        a.close();
        // A symbolic link of the same name is replaced, never written through.
        ASSERT_TRUE(QFile::link(target, m_folder + "b.gif"));

        run({ "/a.jpg", "/b.gif" }, row.owaction);
        QStringList files;
        for (const QString& name : names())
            files.append(name + "=" + QString::fromUtf8(read(name)));
        EXPECT_EQ(files, row.files);
        QFile check(target);
        ASSERT_TRUE(check.open(QIODevice::ReadOnly));
        EXPECT_EQ(check.readAll(), "link");
    }
}

TEST_F(DownloadJobTest, StatusShowsPercentSignsOfNamesAsTheyAre)
{
    ASSERT_TRUE(m_site.start());
    DownloadJobOptions options;
    options.folder = m_folder;
    m_job = std::make_unique<DownloadJob>(
        itemsOf({ m_site.url("/x%1%2%00y.txt") }), options, m_service);
    m_questions = std::make_unique<DownloadQuestions>(*m_job, m_prompt);
    m_job->start();
    ASSERT_TRUE(waitFor([this] { return !m_job->isRunning(); }));
    EXPECT_EQ(m_job->links().at(0).folder + m_job->links().at(0).file, m_folder + "x%1%2%00y.txt");
}

TEST_F(DownloadJobTest, FtpTargetsAreSavedToo)
{
    QTemporaryDir root;
    QFile served(root.filePath("f.bin"));
    ASSERT_TRUE(served.open(QIODevice::WriteOnly));
    served.write(QByteArray::fromStdString(bytes(3000)));
    served.close();
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const QString port = QString::number(probe.serverPort());
    probe.close();
    QProcess ftp; // the FTP server of Debian's python3-pyftpdlib
    ftp.start("/usr/bin/python3",
        { "-m", "pyftpdlib", "-i", "127.0.0.1", "-p", port, "-d", root.path() });
    ASSERT_TRUE(waitFor(
        [&] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port.toUShort());
            return socket.waitForConnected(100);
        },
        10000))
        << ftp.readAllStandardError().toStdString();

    const QString origin = "ftp://127.0.0.1:" + port;
    DownloadJob& job = run({ origin + "/f.bin", origin + "/none.bin" });
    EXPECT_EQ(read("f.bin"), QByteArray::fromStdString(bytes(3000)));
    EXPECT_EQ(job.phase(), DownloadJob::Phase::Error);
    ASSERT_EQ(m_prompt.messages.size(), 1);
    EXPECT_TRUE(m_prompt.messages[0].text.startsWith("ErrorCode: 78 : "))
        << m_prompt.messages[0].text.toStdString();
    EXPECT_EQ(names(), QStringList({ "f.bin" }));
    ftp.kill();
    ftp.waitForFinished();
}

// A server whose range answers can be wrong: each request is logged as "path range
// if-range"; the body is bytes(100000) under the ETag "v1".
constexpr const char* kRangeServer = R"(
import http.server, sys
body = bytes(97 + i % 23 for i in range(100000))
class H(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        rng = self.headers.get('Range')
        with open(sys.argv[2], 'a') as log:
            log.write('%s %s %s\n' % (self.path, rng or '-', self.headers.get('If-Range') or '-'))
        data, status, first = body, 200, 0
        if rng:
            first = int(rng[6:-1])
            if self.path == '/start.bin':
                status, cr = 206, 'bytes 0-99999/100000'
            elif self.path == '/total.bin':
                data, status, cr = body + body[:20000], 206, 'bytes %d-119999/120000' % first
            else:
                status, cr = 206, 'bytes %d-99999/100000' % first
            if self.path != '/start.bin':
                data = data[first:]
        self.send_response(status)
        self.send_header('ETag', '"v1"')
        self.send_header('Accept-Ranges', 'bytes')
        self.send_header('Content-Length', str(len(data)))
        if status == 206:
            self.send_header('Content-Range', cr)
        self.end_headers()
        self.wfile.write(data)
    def log_message(self, *args):
        pass
http.server.HTTPServer(('127.0.0.1', int(sys.argv[1])), H).serve_forever()
)";

TEST_F(DownloadJobTest, APartialFileIsResumedOnlyWhenTheRangeAnswerContinuesIt)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const QString port = QString::number(probe.serverPort());
    probe.close();
    QTemporaryDir logDir;
    const QString log = logDir.filePath("requests.log");
    QProcess server;
    server.start("/usr/bin/python3", { "-c", kRangeServer, port, log });
    ASSERT_TRUE(waitFor([&] {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port.toUShort());
        return socket.waitForConnected(100);
    }));
    const QString origin = "http://127.0.0.1:" + port;
    const QByteArray body = QByteArray::fromStdString(bytes(100000));

    const struct {
        const char* path;
        const char* recordedPath; // the URL the partial file's record names
        const char* requests; // what the server was asked, "|" between requests
    } rows[] = {
        { "/good.bin", "/good.bin", "/good.bin bytes=40000- \"v1\"" },
        { "/start.bin", "/start.bin", "/start.bin bytes=40000- \"v1\"|/start.bin - -" },
        { "/total.bin", "/total.bin", "/total.bin bytes=40000- \"v1\"|/total.bin - -" },
        { "/good.bin", "/other/good.bin", "/good.bin - -" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        const QString name = QString(row.path).mid(1);
        QFile::remove(log);
        QFile part(m_folder + "." + name + ".part");
        ASSERT_TRUE(part.open(QIODevice::WriteOnly));
        part.write(body.left(40000));
        part.close();
        QFile rec(part.fileName() + ".rec");
        ASSERT_TRUE(rec.open(QIODevice::WriteOnly));
        rec.write((origin + row.recordedPath + "\n\"v1\"\n100000\n").toUtf8());
        rec.close();

        DownloadJob& job = run({ origin + row.path });
        EXPECT_EQ(job.phase(), DownloadJob::Phase::Done);
        EXPECT_EQ(read(name), body);
        EXPECT_EQ(names(), QStringList({ name }));
        QFile requests(log);
        ASSERT_TRUE(requests.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(requests.readAll()).trimmed().replace('\n', '|'), row.requests);
        QFile::remove(m_folder + name);
    }
    server.kill();
    server.waitForFinished();
}

TEST_F(DownloadJobTest, ANameTakenDuringTheTransferIsDecidedAgain)
{
    // Another run saves a.txt while this one receives it.
    m_site.server().Get("/a.txt", [this](const httplib::Request&, httplib::Response& res) {
        QFile other(m_folder + "a.txt");
        if (other.open(QIODevice::WriteOnly))
            other.write("other");
        res.set_content("mine", "text/plain");
    });
    ASSERT_TRUE(m_site.start());
    const struct {
        OverwriteAction owaction;
        QStringList files;
    } rows[] = {
        { OverwriteAction::Overwrite, { "a.txt=mine" } },
        { OverwriteAction::Skip, { "a.txt=other" } },
        { OverwriteAction::Unique, { "a(1).txt=mine", "a.txt=other" } },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(overwriteActionIndex(row.owaction));
        for (const QString& name : names())
            QFile::remove(m_folder + name);
        run({ "/a.txt" }, row.owaction);
        QStringList files;
        for (const QString& name : names())
            files.append(name + "=" + QString::fromUtf8(read(name)));
        EXPECT_EQ(files, row.files);
        EXPECT_TRUE(m_prompt.messages.isEmpty());
    }
}

// "File Exists" opens from the event loop while the job waits; a job destroyed while
// the question is open is simply not answered.
TEST_F(DownloadJobTest, TheFileExistsQuestionIsAskedWhileTheJobWaits)
{
    m_site.page("/a.txt", "mine", "text/plain");
    ASSERT_TRUE(m_site.start());
    QFile old(m_folder + "a.txt");
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();

    bool waitedUnasked = false;
    m_started = [&](DownloadJob* job) {
        QObject::connect(job, &DownloadJob::fileExistsAsked, [&, job](const QString& name) {
            waitedUnasked = name == "a.txt" && job->waiting() && m_prompt.fileExistsAsked.isEmpty();
        });
    };
    m_prompt.fileExistsAnswers
        = { FileExistsAnswer { FileExistsAction::Overwrite, "a.txt", false } };
    run({ "/a.txt" }, OverwriteAction::Prompt);
    EXPECT_TRUE(waitedUnasked);
    EXPECT_EQ(read("a.txt"), "mine");

    m_started = nullptr;
    m_prompt.fileExistsAnswers
        = { FileExistsAnswer { FileExistsAction::Overwrite, "a.txt", false } };
    m_prompt.fileExistsAsked.clear();
    DownloadJobOptions options;
    options.folder = m_folder;
    auto job = std::make_unique<DownloadJob>(itemsOf({ m_site.url("/b.txt") }), options, m_service);
    QFile empty(m_folder + "b.txt");
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    // Queued before the question opens: the job is gone by the time it is answered.
    QObject::connect(job.get(), &DownloadJob::fileExistsAsked, [&] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [&] { job.reset(); }, Qt::QueuedConnection);
    });
    DownloadQuestions questions(*job, m_prompt);
    job->start();
    ASSERT_TRUE(waitFor([&] { return !job && m_prompt.fileExistsAsked.size() == 1; }));
    waitFor([] { return false; }, 100);
    EXPECT_EQ(names(), (QStringList { "a.txt", "b.txt" }));
}

TEST_F(DownloadJobTest, SeveralRunAtOnceButNeverMoreThanThePerHostCap)
{
    std::mutex mutex;
    std::map<std::string, int> running;
    std::map<std::string, int> peak;
    int allRunning = 0;
    int allPeak = 0;
    m_site.server().Get(
        R"(/slow/\d+\.txt)", [&](const httplib::Request& req, httplib::Response& res) {
            const std::string host = req.get_header_value("Host").substr(0, 9);
            {
                std::lock_guard lock(mutex);
                peak[host] = std::max(peak[host], ++running[host]);
                allPeak = std::max(allPeak, ++allRunning);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            {
                std::lock_guard lock(mutex);
                --running[host];
                --allRunning;
            }
            res.set_content(req.path, "text/plain");
        });
    ASSERT_TRUE(m_site.start());
    QStringList links;
    for (int i = 0; i < 6; ++i) {
        links.append(m_site.url(QStringLiteral("/slow/%1.txt").arg(i)));
        links.append(otherHost(m_site.url(QStringLiteral("/slow/1%1.txt").arg(i))));
    }
    m_configure = [](DownloadJobOptions& options) {
        options.atOnce = 5;
        options.perHost = 2;
    };

    DownloadJob& job = run(links);
    EXPECT_EQ(job.phase(), DownloadJob::Phase::Done);
    EXPECT_EQ(job.summary().saved, 12);
    EXPECT_EQ(read("13.txt"), "/slow/13.txt");
    EXPECT_EQ(peak["127.0.0.1"], 2);
    EXPECT_EQ(peak["localhost"], 2);
    EXPECT_EQ(allPeak, 4);
}

TEST_F(DownloadJobTest, RetryAfterPausesTheWholeHostWhileOthersGoOn)
{
    const SteadyClock::time_point start = SteadyClock::now();
    std::atomic<int> busyCalls { 0 };
    std::atomic<qint64> busyAt { -1 };
    std::atomic<qint64> nextAt { -1 };
    std::atomic<qint64> farDoneAt { -1 };
    m_site.server().Get("/busy.txt", [&](const httplib::Request&, httplib::Response& res) {
        if (busyCalls++ == 0) {
            busyAt = msSince(start);
            res.status = 429;
            res.set_header("Retry-After", "1");
        } else {
            res.set_content("busy", "text/plain");
        }
    });
    m_site.server().Get("/far.txt", [&](const httplib::Request&, httplib::Response& res) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        res.set_content("far", "text/plain");
        farDoneAt = msSince(start);
    });
    m_site.server().Get("/next.txt", [&](const httplib::Request&, httplib::Response& res) {
        nextAt = msSince(start);
        res.set_content("next", "text/plain");
    });
    ASSERT_TRUE(m_site.start());
    m_configure = [](DownloadJobOptions& options) { options.atOnce = 2; };

    DownloadJob& job = run(
        { m_site.url("/busy.txt"), otherHost(m_site.url("/far.txt")), m_site.url("/next.txt") });
    EXPECT_EQ(job.phase(), DownloadJob::Phase::Done);
    EXPECT_EQ(read("next.txt"), "next");
    EXPECT_LT(farDoneAt - busyAt, 900);
    EXPECT_GE(nextAt - busyAt, 900);
}

TEST_F(DownloadJobTest, TheRateLimitIsSharedByTheRunningTransfers)
{
    const auto body = std::make_shared<std::string>(bytes(300 * 1024));
    m_site.server().Get(R"(/big\d\.bin)", [body](const httplib::Request&, httplib::Response& res) {
        serveBody(res, body, body->size());
    });
    ASSERT_TRUE(m_site.start());
    m_configure = [](DownloadJobOptions& options) {
        options.atOnce = 2;
        options.limits.sharedRateLimit = 200 * 1024;
    };
    QElapsedTimer clock;
    clock.start();

    // 600 KiB at 200 KiB a second in all take 3 s; each transfer at the whole rate, 1.5 s.
    DownloadJob& job = run({ "/big1.bin", "/big2.bin" });
    EXPECT_GE(clock.elapsed(), 2000);
    EXPECT_EQ(job.phase(), DownloadJob::Phase::Done);
    EXPECT_EQ(read("big2.bin"), QByteArray::fromStdString(*body));
}

// Each running transfer gets its part of the limit: none waits at 0 B while another takes
// all of it, so all four are under way before any is done.
TEST_F(DownloadJobTest, EveryRunningTransferMakesProgressUnderARateLimit)
{
    const auto body = std::make_shared<std::string>(bytes(400 * 1024));
    m_site.server().Get(
        R"(/share\d\.bin)", [body](const httplib::Request&, httplib::Response& res) {
            serveBody(res, body, body->size());
        });
    ASSERT_TRUE(m_site.start());
    bool allMoved = false;
    m_started = [&](DownloadJob* job) {
        QObject::connect(job, &DownloadJob::changed, job, [&, job] {
            const QList<DownloadLinkState>& links = job->links();
            if (!allMoved && std::all_of(links.begin(), links.end(), [](const auto& link) {
                    return link.status == DownloadLinkState::Status::Running
                        && link.bytes >= 16 * 1024;
                })) {
                allMoved = true;
                job->cancel();
            }
        });
    };
    m_configure = [](DownloadJobOptions& options) {
        options.atOnce = 4;
        options.limits.sharedRateLimit = 120 * 1024;
    };

    run({ "/share1.bin", "/share2.bin", "/share3.bin", "/share4.bin" });
    EXPECT_TRUE(allMoved);
}

// A transfer held back by a low limit receives what the limit allows: no stall.
TEST_F(DownloadJobTest, ALowRateLimitIsNoStall)
{
    const auto body = std::make_shared<std::string>(bytes(12 * 1024));
    m_site.server().Get("/slow.bin", [body](const httplib::Request&, httplib::Response& res) {
        serveBody(res, body, body->size());
    });
    ASSERT_TRUE(m_site.start());
    m_configure = [](DownloadJobOptions& options) {
        options.limits.sharedRateLimit = 4 * 1024;
        options.limits.stallTimeoutSeconds = 1;
        options.reportErrors = false;
    };

    DownloadJob& job = run({ "/slow.bin" }, OverwriteAction::Overwrite, 0);
    EXPECT_EQ(job.phase(), DownloadJob::Phase::Done)
        << job.summary().failures.value(0).error.toStdString();
    EXPECT_EQ(read("slow.bin"), QByteArray::fromStdString(*body));
}

// Links that name no file are named for the type the server gives, numbered as any name.
TEST_F(DownloadJobTest, LinksWithoutANameTakeTheExtensionOfTheirType)
{
    m_site.server().Get("/image", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content("jpeg " + req.get_param_value("id"), "image/jpeg");
    });
    m_site.page("/doc/", "pdf", "application/pdf");
    m_site.page("/page/", "<p>page</p>", "text/html; charset=utf-8");
    ASSERT_TRUE(m_site.start());
    m_configure = [](DownloadJobOptions& options) { options.atOnce = 2; };

    DownloadJob& job
        = run({ "/image?id=1", "/image?id=2", "/doc/", "/page/" }, OverwriteAction::Unique);
    EXPECT_EQ(job.phase(), DownloadJob::Phase::Done);
    EXPECT_EQ(names(), (QStringList { "image(1).jpg", "image.jpg", "index.html", "index.pdf" }));
    EXPECT_EQ(read("image.jpg") + read("image(1).jpg"), "jpeg 1jpeg 2");
}

TEST_F(DownloadJobTest, TheSummaryCountsSavedSkippedAndFailedLinks)
{
    m_site.page("/a.txt", "alpha", "text/plain");
    m_site.page("/b.txt", "beta", "text/plain");
    ASSERT_TRUE(m_site.start());
    QFile existing(m_folder + "b.txt");
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    m_configure = [](DownloadJobOptions& options) {
        options.atOnce = 3;
        options.reportErrors = false;
    };

    DownloadJob& job = run({ "/a.txt", "/b.txt", "/none.txt" }, OverwriteAction::Skip);
    EXPECT_EQ(job.phase(), DownloadJob::Phase::Error);
    EXPECT_EQ(job.summary().saved, 1);
    EXPECT_EQ(job.summary().skipped, 1);
    EXPECT_EQ(job.summary().failed, 1);
    EXPECT_EQ(job.summary().failedLinks(), QStringList { m_site.url("/none.txt") });
    EXPECT_EQ(job.summary().failures.value(0).error, "ErrorCode: 404 : Not Found");
}

TEST_F(DownloadJobTest, WithSeveralAtOnceQuestionsComeOneAtATimeWhileOthersGoOn)
{
    for (const char* name : { "/a.txt", "/b.txt", "/c.txt" })
        m_site.page(name, name, "text/plain");
    ASSERT_TRUE(m_site.start());
    for (const char* name : { "a.txt", "b.txt" }) {
        QFile old(m_folder + name);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    }
    int open = 0;
    int mostOpen = 0;
    int startedAtFirstAnswer = 0;
    m_started = [&](DownloadJob* job) {
        QObject::connect(
            job, &DownloadJob::fileExistsAsked, [&] { mostOpen = std::max(mostOpen, ++open); });
        QObject::connect(job, &DownloadJob::fileExistsDialogClosed, [&, job] {
            --open;
            if (startedAtFirstAnswer == 0)
                startedAtFirstAnswer = job->currentIndex();
        });
    };
    m_configure = [](DownloadJobOptions& options) { options.atOnce = 3; };
    m_prompt.fileExistsAnswers = { FileExistsAnswer { FileExistsAction::Overwrite, "a.txt", false },
        FileExistsAnswer { FileExistsAction::Overwrite, "b.txt", false } };

    DownloadJob& job = run({ "/a.txt", "/b.txt", "/c.txt" }, OverwriteAction::Prompt);
    EXPECT_EQ(job.phase(), DownloadJob::Phase::Done);
    EXPECT_EQ(m_prompt.fileExistsAsked, (QStringList { "a.txt", "b.txt" }));
    EXPECT_EQ(mostOpen, 1);
    EXPECT_EQ(startedAtFirstAnswer, 3);
    EXPECT_EQ(read("b.txt"), "/b.txt");
}

TEST_F(DownloadJobTest, LinksOfOneNameNeverRaceForIt)
{
    m_site.page("/x/d.txt", "x", "text/plain");
    m_site.page("/y/d.txt", "y", "text/plain");
    ASSERT_TRUE(m_site.start());
    m_configure = [](DownloadJobOptions& options) { options.atOnce = 2; };

    DownloadJob& job = run({ "/x/d.txt", "/y/d.txt" }, OverwriteAction::Unique);
    EXPECT_EQ(job.phase(), DownloadJob::Phase::Done);
    EXPECT_EQ(read("d.txt"), "x");
    EXPECT_EQ(read("d(1).txt"), "y");
    EXPECT_EQ(names(), (QStringList { "d(1).txt", "d.txt" }));
}

// The folders a mask names are entered from the destination down and never through a
// symbolic link: such a link fails the link, naming it, and nothing lands outside.
TEST_F(DownloadJobTest, MaskFoldersAreNeverEnteredThroughASymbolicLink)
{
    m_site.server().Get(R"(/.*x\.txt)", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("x", "text/plain");
    });
    ASSERT_TRUE(m_site.start());
    const struct {
        const char* mask;
        const char* link; // the folder of the destination that is a symbolic link
        const char* path;
    } rows[] = {
        { "*host*/*name*.*ext*", "127.0.0.1", "/d/x.txt" },
        { "*subdirs*/*name*.*ext*", "evil", "/evil/%2e%2e/%2E%2E/x.txt" },
        { "real/*host*/*name*.*ext*", "real/127.0.0.1", "/d/x.txt" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mask);
        QTemporaryDir outside;
        ASSERT_TRUE(outside.isValid());
        QDir(m_folder).mkpath(QFileInfo(m_folder + row.link).path());
        ASSERT_TRUE(QFile::link(outside.path(), m_folder + row.link));
        m_configure = [&](DownloadJobOptions& options) {
            options.nameMask = row.mask;
            options.reportErrors = false;
        };
        QString error;
        m_started = [&](DownloadJob* job) {
            QObject::connect(job, &DownloadJob::linkFinished,
                [&](int, const QString&, const Result<SavedFile>& r) { error = r.message(); });
        };
        DownloadJob& job = run({ row.path });
        EXPECT_EQ(job.summary().failed, 1);
        EXPECT_TRUE(error.contains(m_folder + row.link + " is a symbolic link"))
            << error.toStdString();
        EXPECT_EQ(
            QDir(outside.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList());
        QFile::remove(m_folder + row.link);
    }
}

// A name the server gives never lands on a running link's final name or partial file.
TEST_F(DownloadJobTest, AServerNameNeverTakesAnotherRunningLinksFile)
{
    const auto first = std::make_shared<std::string>(bytes(5000, 'a'));
    m_site.server().Get("/a.bin", [first](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(first->size(), "application/octet-stream",
            [first](size_t offset, size_t, httplib::DataSink& sink) {
                std::this_thread::sleep_for(std::chrono::milliseconds(40));
                sink.write(first->data() + offset, std::min<size_t>(500, first->size() - offset));
                return true;
            });
    });
    const std::string second = bytes(3000, 'k');
    std::string given;
    m_site.server().Get("/b.bin", [&](const httplib::Request&, httplib::Response& res) {
        res.set_header("Content-Disposition", "attachment; filename=\"" + given + "\"");
        res.set_content(second, "application/octet-stream");
    });
    ASSERT_TRUE(m_site.start());
    m_configure = [](DownloadJobOptions& options) {
        options.atOnce = 2;
        options.useServerNames = true;
    };
    const struct {
        const char* given;
        const char* second; // where the second link's file goes
        QStringList files;
    } rows[] = {
        { ".a.bin.part", "a.bin.part", { "a.bin", "a.bin.part" } },
        { "a.bin", "a(1).bin", { "a(1).bin", "a.bin" } },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.given);
        for (const QString& name : names())
            QFile::remove(m_folder + name);
        given = row.given;
        DownloadJob& job = run({ "/a.bin", "/b.bin" }, OverwriteAction::Overwrite);
        EXPECT_EQ(job.summary().saved, 2);
        EXPECT_EQ(names(), row.files);
        EXPECT_EQ(read("a.bin"), QByteArray::fromStdString(*first));
        EXPECT_EQ(read(row.second), QByteArray::fromStdString(second));
    }
}

// "For all" answers the questions already waiting too.
TEST_F(DownloadJobTest, AnAnswerForAllSettlesTheQuestionsAlreadyWaiting)
{
    for (const char* name : { "/a.txt", "/b.txt", "/c.txt", "/d.txt" })
        m_site.page(name, name, "text/plain");
    ASSERT_TRUE(m_site.start());
    for (const char* name : { "a.txt", "b.txt", "c.txt", "d.txt" }) {
        QFile old(m_folder + name);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    m_configure = [](DownloadJobOptions& options) { options.atOnce = 4; };
    m_prompt.fileExistsAnswers = { FileExistsAnswer { FileExistsAction::Skip, "a.txt", true } };

    DownloadJob& job = run({ "/a.txt", "/b.txt", "/c.txt", "/d.txt" }, OverwriteAction::Prompt);
    EXPECT_EQ(m_prompt.fileExistsAsked, QStringList { "a.txt" });
    EXPECT_EQ(job.summary().skipped, 4);
    EXPECT_EQ(read("d.txt"), "old");
}

// Links hold each other back by the path the mask gives them, folders included.
TEST_F(DownloadJobTest, AMaskedPathHoldsBackOnlyLinksOfThatPath)
{
    std::atomic<int> running { 0 };
    std::atomic<int> peak { 0 };
    std::atomic<bool> met { false };
    m_site.server().Get(
        R"(/(x|y)/d\.txt)", [&](const httplib::Request& req, httplib::Response& res) {
            peak = std::max(peak.load(), ++running);
            met = met || running.load() >= 2;
            // Whichever link arrives first stays until the other arrives, or long enough
            // to tell that it was held back, so a slow machine cannot make them miss each
            // other.
            for (int i = 0; !met && i < 200; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            --running;
            res.set_content(req.path, "text/plain");
        });
    ASSERT_TRUE(m_site.start());
    const struct {
        const char* mask;
        QStringList files; // name=content
        int peak;
    } rows[] = {
        // One name for both: the first link keeps it though the second ends first.
        { "*title*.*ext*", { "T(1).txt=/y/d.txt", "T.txt=/x/d.txt" }, 1 },
        { "*subdirs*/*name*.*ext*", { "x/d.txt=/x/d.txt", "y/d.txt=/y/d.txt" }, 2 },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mask);
        QDir(m_folder).removeRecursively();
        QDir().mkpath(m_folder);
        peak = 0;
        met = false;
        m_configure = [&](DownloadJobOptions& options) {
            options.atOnce = 2;
            options.nameMask = row.mask;
        };
        m_contexts = { EntryContext { EntryKind::Link, {}, {}, "T" },
            EntryContext { EntryKind::Link, {}, {}, "T" } };
        DownloadJob& job = run({ "/x/d.txt", "/y/d.txt" }, OverwriteAction::Unique);
        EXPECT_EQ(job.phase(), DownloadJob::Phase::Done);
        QStringList files;
        QDirIterator it(m_folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString name = QDir(m_folder).relativeFilePath(it.next());
            files.append(name + "=" + QString::fromUtf8(read(name)));
        }
        files.sort();
        EXPECT_EQ(files, row.files);
        EXPECT_EQ(peak, row.peak);
    }
}

// An explicit referer wins; the entry's page is the default.
TEST_F(DownloadJobTest, TheExplicitRefererWinsOverTheEntrysPage)
{
    std::string sent;
    m_site.server().Get("/r.txt", [&](const httplib::Request& req, httplib::Response& res) {
        sent = req.get_header_value("Referer");
        res.set_content("r", "text/plain");
    });
    ASSERT_TRUE(m_site.start());
    const struct {
        const char* referer;
        const char* sent;
    } rows[] = {
        { "http://given.example/", "http://given.example/" },
        { "", "http://page.example/" },
    };
    for (const auto& row : rows) {
        m_configure = [&](DownloadJobOptions& options) { options.limits.referer = row.referer; };
        m_contexts = { EntryContext { EntryKind::Link, {}, "http://page.example/", {} } };
        run({ "/r.txt" });
        EXPECT_EQ(sent, row.sent);
    }
}
