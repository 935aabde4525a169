#include "cli/DownloadCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <unistd.h>
#include <variant>

#include "app/PreferencesStore.h"
#include "cli/ConsolePrompt.h"
#include "cli/ConsoleText.h"
#include "cli/ExitStatus.h"
#include "cli/InterruptSignal.h"
#include "cli/StandardOutput.h"
#include "compose/CommandLineServices.h"
#include "core/HeaderField.h"
#include "download/Aria2Job.h"
#include "download/DownloadJob.h"
#include "download/DownloadQuestions.h"
#include "download/DownloadStart.h"
#include "download/IAria2Rpc.h"
#include "download/IRedirectResolver.h"
#include "download/ITransferService.h"
#include "download/NetscapeCookies.h"
#include "listops/EntryContext.h"
#include "listops/LinkLineReader.h"
#include "platform/SqliteRegistryStore.h"
#include "settings/CRegSettings.h"

namespace
{

constexpr qint64 kProgressIntervalMs = 200;

void write(FILE* stream, const QString& text)
{
    const QByteArray out = text.toUtf8();
    if (stream == stdout) {
        StandardOutput::write(out); // a failure stops the job (see runJob)
        return;
    }
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stream);
    std::fflush(stream);
}

// A line of a --from list that gives no link to fetch, and why.
struct ListProblem {
    qint64 line = 0;
    QString reason;
};

// One entry of a JSON lines list ({"url", "kind", "text", "page", "title"}), or why the
// line gives none. The url and the page (sent as the Referer) must fit a request line.
std::variant<ListEntry, QString> jsonEntry(const QString& line)
{
    const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
    const QString url = object.value(QLatin1String("url")).toString();
    if (url.isEmpty())
        return QStringLiteral("it is not a JSON object with a \"url\"");
    ListEntry entry { url, {} };
    entry.context.kind = entryKindFromName(object.value(QLatin1String("kind")).toString())
                             .value_or(EntryKind::Link);
    entry.context.text = object.value(QLatin1String("text")).toString();
    entry.context.page = object.value(QLatin1String("page")).toString();
    entry.context.title = object.value(QLatin1String("title")).toString();
    for (const auto& [field, value] :
        { std::pair { "url", &entry.url }, std::pair { "page", &entry.context.page } }) {
        if (const QString problem = HeaderField::valueProblem(*value); !problem.isEmpty())
            return QStringLiteral("its \"%1\" cannot be sent: %2")
                .arg(QLatin1StringView(field), problem);
    }
    return entry;
}

// The links of a list file, one a line, as LinkLineReader reads them; "#" lines are
// comments. JSON lines (the first link line starts with "{") give each link its context. A
// line that gives no link (a NUL byte, too long, a JSON line without a "url" or with a value
// no request can carry) goes to problems with its number; the other lines are read on.
bool readLinks(
    const QString& path, ListEntries* links, QList<ListProblem>* problems, QString* error)
{
    QFile in;
    const bool opened = path == QLatin1String("-")
        ? in.open(stdin, QIODevice::ReadOnly)
        : (in.setFileName(path), in.open(QIODevice::ReadOnly));
    if (!opened) {
        *error = in.errorString();
        return false;
    }
    LinkLineReader reader(in);
    reader.setSkipComments(true);
    reader.setSkipHandler([problems](qint64 line, const QString& reason) {
        problems->append({ line, reason });
    });
    std::optional<bool> json;
    while (const std::optional<QString> link = reader.next()) {
        if (!json)
            json = link->startsWith(QLatin1Char('{'));
        if (!*json) {
            links->append({ *link, {} });
            continue;
        }
        std::variant<ListEntry, QString> entry = jsonEntry(*link);
        if (const QString* problem = std::get_if<QString>(&entry)) {
            problems->append({ reader.lineNumber(), *problem });
            continue;
        }
        links->append(std::get<ListEntry>(entry));
    }
    if (reader.failed()) {
        *error = in.errorString();
        return false;
    }
    return true;
}

// One line per saved file on standard output, each failure on standard error.
void printOutcome(const QString& link, const Result<SavedFile>& result)
{
    if (!result.isOk()) {
        ConsoleText::printError(QStringLiteral("Error: %1 (%2)").arg(result.message(), link));
    } else if (result.value().skipped) {
        ConsoleText::printError(QStringLiteral("Skipped: %1 exists").arg(result.value().path));
    } else {
        write(stdout,
            QStringLiteral("%1\t%2\n")
                .arg(result.value().path, QString::number(result.value().size)));
    }
}

// One link's outcome as a JSON object on a line of its own.
void printJsonLine(const QString& link, const Result<SavedFile>& result)
{
    QJsonObject line;
    line.insert(QStringLiteral("url"), link);
    line.insert(QStringLiteral("path"), result.isOk() ? result.value().path : QString());
    line.insert(QStringLiteral("size"), result.isOk() ? result.value().size : 0);
    line.insert(QStringLiteral("status"),
        !result.isOk()               ? QStringLiteral("failed")
            : result.value().skipped ? QStringLiteral("skipped")
                                     : QStringLiteral("saved"));
    line.insert(QStringLiteral("error"), result.isOk() ? QString() : result.message());
    write(stdout,
        QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
}

// One link's outcome as --format asks, for the window's job and the aria2 hand-off alike.
void printLink(bool jsonLines, const QString& link, const Result<SavedFile>& result)
{
    if (jsonLines)
        printJsonLine(link, result);
    else
        printOutcome(link, result);
}

// What became of the links, the lines of the list that gave none counted as failed.
void printSummary(const DownloadSummary& summary, int listFailures)
{
    ConsoleText::printError(
        QStringLiteral("%1 saved, %2 skipped, %3 failed")
            .arg(QString::number(summary.saved), QString::number(summary.skipped),
                QString::number(summary.failed + listFailures)));
}

// The status for the links that failed, by their kinds; the unreadable lines of the list
// are generic failures.
ExitStatus failureStatus(const DownloadSummary& summary, int listFailures)
{
    ExitStatus status;
    for (const DownloadSummary::Failure& failure : summary.failures)
        status.addFailure(failure.kind);
    if (summary.failed > 0 && summary.failures.isEmpty())
        status.add(ExitStatus::kGeneric);
    if (listFailures > 0)
        status.add(ExitStatus::kGeneric);
    return status;
}

// "Retrying in N s (attempt k of n)" for a link waiting to be tried again.
QString retryText(const DownloadLinkState& link)
{
    return QStringLiteral("Retrying in %1 s (attempt %2 of %3)")
        .arg(QString::number((link.retryInMs + 999) / 1000), QString::number(link.attempt),
            QString::number(link.attempts));
}

// Same scheme, host and port.
bool sameOrigin(const QString& a, const QString& b)
{
    const QUrl x(a);
    const QUrl y(b);
    return x.scheme().compare(y.scheme(), Qt::CaseInsensitive) == 0
        && x.host().compare(y.host(), Qt::CaseInsensitive) == 0
        && x.port(x.scheme() == QLatin1String("https") ? 443 : 80)
        == y.port(y.scheme() == QLatin1String("https") ? 443 : 80);
}

// Where each link ends up after its redirects, in the order of the queries; waits for
// all of them (the links are resolved side by side).
QList<RedirectOutcome> resolveAll(IRedirectResolver& resolver, const QList<RedirectQuery>& queries)
{
    QList<RedirectOutcome> outcomes(queries.size());
    qsizetype waiting = queries.size();
    QEventLoop loop;
    for (qsizetype i = 0; i < queries.size(); ++i) {
        resolver.resolve(queries.at(i), &loop, [&, i](const RedirectOutcome& found) {
            outcomes[i] = found;
            if (--waiting == 0)
                loop.quit();
        });
    }
    if (waiting > 0)
        loop.exec();
    return outcomes;
}

} // namespace

DownloadCommand::DownloadCommand(const CliOptions& options)
    : m_options(options)
    , m_terminal(::isatty(STDERR_FILENO) == 1)
{
}

DownloadJobOptions DownloadCommand::jobOptions(
    const CRegSettings& settings, const QString& folder) const
{
    // The stored preferences, then what the command line gives in their place. Only the
    // overwrite action and the retries come from the store, so with both given it is not
    // read (a store locked by another process then stops nothing).
    DownloadJobOptions options;
    if (!m_options.exists || m_options.retries < 0)
        options = DownloadJobOptions::fromPreferences(loadPreferences(settings), settings, folder);
    options.folder = folder;
    if (m_options.exists)
        options.owaction = *m_options.exists;
    if (m_options.retries >= 0)
        options.retries = m_options.retries;
    options.reportErrors = false;
    options.nameMask = m_options.nameMask;
    options.useServerNames = m_options.contentDisposition;
    options.limits.cookies = m_options.cookies;
    options.limits.referer = m_options.referer;
    options.limits.headers = m_options.headers;
    options.limits.userAgent = m_options.userAgent;
    options.atOnce = m_options.jobs;
    options.perHost = m_options.perHost;
    options.limits.sharedRateLimit = m_options.rateLimit;
    options.progressIntervalMs = m_terminal ? 100 : 1000;
    if (m_options.timeoutGiven) {
        options.limits.stallTimeoutSeconds = m_options.timeoutSeconds;
        options.limits.connectTimeoutSeconds = std::min(m_options.timeoutSeconds, 30);
    }
    return options;
}

void DownloadCommand::clearProgress()
{
    if (m_progressShown)
        write(stderr, QStringLiteral("\r\033[K"));
    m_progressShown = false;
}

void DownloadCommand::showProgress(const DownloadJob& job, bool force)
{
    if (!m_terminal || job.currentIndex() == 0 || job.owdialog())
        return;
    if (!force && m_lastProgress.isValid() && m_lastProgress.elapsed() < kProgressIntervalMs)
        return;
    m_lastProgress.start();
    QString bytes;
    QString percent;
    if (job.current() >= 0) {
        const DownloadLinkState& link = job.links().at(job.current());
        bytes = QStringLiteral("%1 of %2 bytes")
                    .arg(QString::number(link.bytes),
                        link.size > 0 ? QString::number(link.size) : QStringLiteral("Unknown"));
        if (link.size > 0)
            percent = QStringLiteral("%1%").arg(static_cast<qint64>(std::nearbyint(
                static_cast<double>(link.bytes) / static_cast<double>(link.size) * 100.0)));
    }
    write(stderr,
        QStringLiteral("\r\033[K%1[%2/%3] %4  %5 %6")
            .arg(QLatin1StringView(ConsoleText::kPrefix), QString::number(job.currentIndex()),
                QString::number(job.count()), job.curfile(), bytes, percent));
    m_progressShown = true;
}

int DownloadCommand::run()
{
    ListEntries links;
    for (const QString& url : m_options.urls)
        links.append({ url, {} });
    if (!m_options.fromFile.isEmpty()) {
        QString error;
        QList<ListProblem> problems;
        if (!readLinks(m_options.fromFile, &links, &problems, &error)) {
            ConsoleText::printError(
                QStringLiteral("Error: cannot read %1: %2").arg(m_options.fromFile, error));
            return 1;
        }
        // Each unreadable line is a failed link, named, and the run goes on without it.
        for (const ListProblem& problem : std::as_const(problems)) {
            const QString message
                = QStringLiteral("%1 line %2: %3")
                      .arg(m_options.fromFile, QString::number(problem.line), problem.reason);
            if (m_options.jsonLines)
                printJsonLine(QString(), Result<SavedFile>::failed(message));
            else
                ConsoleText::printError(QStringLiteral("Error: ") + message);
        }
        m_listFailures = static_cast<int>(problems.size());
    }
    if (links.isEmpty()) {
        if (m_listFailures == 0)
            ConsoleText::printError(QStringLiteral("Error: no links to download."));
        else
            printSummary(DownloadSummary {}, m_listFailures);
        return 1;
    }
    if (!m_options.aria2Url.isEmpty())
        return runAria2(links);
    // A missing folder is created, with its parents.
    if (!m_options.dir.isEmpty() && !QFileInfo::exists(m_options.dir))
        QDir().mkpath(m_options.dir);
    const QFileInfo dir(m_options.dir.isEmpty() ? QDir::currentPath() : m_options.dir);
    if (!dir.isDir()) {
        ConsoleText::printError(QStringLiteral("Error: %1 is not a folder.").arg(m_options.dir));
        return 1;
    }

    const auto store
        = SqliteRegistryStore::openForUser(SqliteRegistryStore::kCommandLineBusyTimeoutMs);
    const CRegSettings settings = CRegSettings::forQuillmarch(store);
    const DownloadJobOptions options = jobOptions(settings, dir.absoluteFilePath());
    if (store->lockMet()) {
        ConsoleText::printError(SqliteRegistryStore::commandLineLockMessage());
        return 1;
    }

    const Services services = commandLineServices(store);
    ConsolePrompt prompt;
    DownloadJob job(numberedItems(links), options, *services.transfers);
    // "File Exists" is asked on the console from the event loop, once the job waits.
    DownloadQuestions questions(job, prompt);
    QObject::connect(&job, &DownloadJob::changed, [&] { showProgress(job, false); });
    QObject::connect(&job, &DownloadJob::fileExistsDialogOpening, [&] { clearProgress(); });
    QObject::connect(&job, &DownloadJob::retrying, [&](int index) {
        clearProgress();
        ConsoleText::printError(
            links.at(index - 1).url + QStringLiteral(": ") + retryText(job.links().at(index - 1)));
    });
    const bool interrupted = runJob(job);
    printSummary(job.summary(), m_listFailures);
    if (interrupted) {
        ConsoleText::printError(QStringLiteral(
            "Interrupted: the partly received file is kept; the next run resumes it."));
        return ExitStatus::kInterrupted;
    }
    ExitStatus status = failureStatus(job.summary(), m_listFailures);
    if (prompt.unanswered() > 0)
        status.add(ExitStatus::kGeneric);
    return status.value();
}

bool DownloadCommand::runJob(IDownloadJob& job)
{
    QObject::connect(&job, &IDownloadJob::linkFinished,
        [&](int, const QString& link, const Result<SavedFile>& result) {
            clearProgress();
            printLink(m_options.jsonLines, link, result);
            // Where the saved files cannot be told, no more are fetched; the partial
            // files are kept as after Ctrl-C.
            if (StandardOutput::failed())
                job.cancel();
        });
    QObject::connect(&job, &IDownloadJob::ended, [&] {
        clearProgress();
        QCoreApplication::exit(0);
    });
    bool interrupted = false;
    const auto signalNotifier = InterruptSignal::watch([&] {
        interrupted = true;
        job.cancel();
    });
    job.start();
    QCoreApplication::exec();
    if (StandardOutput::failed())
        StandardOutput::endForFailure();
    return interrupted;
}

int DownloadCommand::runAria2(const ListEntries& links)
{
    // An explicit referrer: --referer, else a Referer line of --header.
    QString referer = m_options.referer;
    for (const QString& line : m_options.headers) {
        if (referer.isEmpty()
            && line.section(QLatin1Char(':'), 0, 0)
                    .trimmed()
                    .compare(QLatin1String("referer"), Qt::CaseInsensitive)
                == 0)
            referer = line.section(QLatin1Char(':'), 1).trimmed();
    }
    // The hand-off reads no settings: its services need no store.
    const Services services = commandLineServices(nullptr);
    const QList<Aria2Link> entries = aria2Links(links, referer, *services.redirectResolver());
    Aria2JobOptions options { m_options.aria2Url, m_options.aria2Secret, m_options.dir };
    options.headers = m_options.headers;
    options.nameMask = m_options.nameMask;
    if (!m_options.userAgent.isEmpty())
        options.headers.append(QStringLiteral("User-Agent: ") + m_options.userAgent);
    const std::unique_ptr<IAria2Rpc> rpc = services.aria2Rpc(options.rpcUrl);
    Aria2Job job(entries, options, *rpc);
    const bool interrupted = runJob(job);
    if (!job.startError().isEmpty()) {
        ConsoleText::printError(QStringLiteral("Error: ") + job.startError());
        return 1;
    }
    printSummary(job.summary(), m_listFailures);
    if (interrupted) {
        ConsoleText::printError(QStringLiteral("Interrupted: the links still running were "
                                               "removed from the aria2 daemon."));
        return ExitStatus::kInterrupted;
    }
    return failureStatus(job.summary(), m_listFailures).value();
}

QList<Aria2Link> DownloadCommand::aria2Links(
    const ListEntries& links, const QString& referer, IRedirectResolver& resolver) const
{
    // The daemon follows redirects itself, carrying every cookie and header it was given
    // to each host on the way. With credentials at stake, each link's redirects are
    // resolved here first (credentials only where they were written for) and the daemon
    // gets the last address, that host's cookies, and the credential headers only when
    // it is still the link's own origin.
    const bool credentials = !m_options.cookies.isEmpty()
        || std::any_of(
            m_options.headers.cbegin(), m_options.headers.cend(), Aria2Job::isCredentialHeader);
    QList<Aria2Link> entries;
    QList<RedirectQuery> requests;
    for (qsizetype i = 0; i < links.size(); ++i) {
        const QString& link = links.at(i).url;
        Aria2Link entry { link, Aria2Job::referrerFor(referer, links.at(i).context.page) };
        entry.context = links.at(i).context;
        entries.append(entry);
        requests.append(
            { link, m_options.cookies, m_options.headers, m_options.userAgent, entry.referer });
    }
    if (!credentials)
        return entries;
    const QList<RedirectOutcome> found = resolveAll(resolver, requests);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        Aria2Link& entry = entries[i];
        const RedirectOutcome& where = found.at(i);
        if (where.url.isEmpty()) {
            entry.credentials = false;
            ConsoleText::printError(QStringLiteral("%1: its redirects could not be followed (%2); "
                                                   "handed to the daemon without cookies or "
                                                   "credentials.")
                                        .arg(entry.url, where.error));
        } else {
            entry.address = where.url;
            entry.cookie = NetscapeCookies::headerFor(m_options.cookies, where.url);
            entry.credentials = sameOrigin(where.url, entry.url);
        }
    }
    return entries;
}
