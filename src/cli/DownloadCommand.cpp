#include "cli/DownloadCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
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
#include "cli/SessionCookies.h"
#include "cli/ShownLink.h"
#include "cli/StandardOutput.h"
#include "cli/TransferAccess.h"
#include "compose/CommandLineServices.h"
#include "core/HeaderField.h"
#include "download/Aria2Job.h"
#include "download/DownloadFigures.h"
#include "download/DownloadJob.h"
#include "download/DownloadQuestions.h"
#include "download/DownloadStart.h"
#include "download/IAria2Rpc.h"
#include "download/IRedirectResolver.h"
#include "download/ITransferService.h"
#include "download/NetscapeCookies.h"
#include "listops/EntryContext.h"
#include "listops/LinkLineReader.h"
#include "platform/ProfileCookieReader.h"
#include "platform/SqliteRegistryStore.h"
#include "settings/CRegSettings.h"

namespace
{

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

// One line per saved file on standard output, each failure on standard error; a skip
// is a notice, left out when quiet.
void printOutcome(const QString& link, const Result<SavedFile>& result, bool quiet)
{
    if (!result.isOk()) {
        ConsoleText::printError(
            QStringLiteral("Error: %1 (%2)")
                .arg(ShownLink::inMessage(result.message(), link), ShownLink::of(link)));
    } else if (result.value().skipped) {
        if (!quiet)
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
    line.insert(QStringLiteral("url"), ShownLink::of(link));
    line.insert(QStringLiteral("path"), result.isOk() ? result.value().path : QString());
    line.insert(QStringLiteral("size"), result.isOk() ? result.value().size : 0);
    line.insert(QStringLiteral("status"),
        !result.isOk()               ? QStringLiteral("failed")
            : result.value().skipped ? QStringLiteral("skipped")
                                     : QStringLiteral("saved"));
    line.insert(QStringLiteral("error"),
        result.isOk() ? QString() : ShownLink::inMessage(result.message(), link));
    write(stdout,
        QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
}

// One link's outcome as --format asks, for the window's job and the aria2 hand-off alike.
// With --output - standard output carries the file alone: only a failure is printed, on
// standard error whatever the format.
void printLink(const CliOptions& options, const QString& link, const Result<SavedFile>& result)
{
    const bool toPipe = options.output == QLatin1String("-");
    if (toPipe && result.isOk())
        return;
    if (options.jsonLines && !toPipe)
        printJsonLine(link, result);
    else
        printOutcome(link, result, options.quiet);
}

// What became of the links, the lines of the list that gave none counted as failed.
void printSummary(const DownloadSummary& summary, int listFailures, bool quiet)
{
    if (quiet)
        return;
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

ConsoleProgress::Mode progressMode(const CliOptions& options)
{
    if (options.quiet)
        return ConsoleProgress::Mode::Off;
    // A trace written from the transfer thread would break the lines redrawn in place.
    if (::isatty(STDERR_FILENO) == 1 && !options.verbose)
        return ConsoleProgress::Mode::Live;
    return ConsoleProgress::Mode::Log;
}

} // namespace

DownloadCommand::DownloadCommand(const CliOptions& options)
    : m_options(options)
    , m_terminal(::isatty(STDERR_FILENO) == 1)
    , m_progress(progressMode(options))
{
}

bool DownloadCommand::readsPreferences() const
{
    if (m_options.noConfig)
        return false;
    for (const char* name : { "--exists", "--retries", "--name", "--limit-rate" }) {
        if (!m_options.given.contains(QLatin1StringView(name)))
            return true;
    }
    return !m_options.contentDisposition;
}

DownloadJobOptions DownloadCommand::jobOptions(
    const CRegSettings& settings, const QString& folder) const
{
    // The stored preferences the window's downloads follow too (overwrite action,
    // retries, file name mask, server names, rate limit), each replaced by its option
    // when given. Links at once and per host keep the command line's own defaults. With
    // every one of them given the store is not read (a store locked by another process
    // then stops nothing).
    DownloadJobOptions options;
    if (readsPreferences())
        options = DownloadJobOptions::fromPreferences(loadPreferences(settings), settings, folder);
    options.folder = folder;
    const auto given
        = [this](const char* name) { return m_options.given.contains(QLatin1StringView(name)); };
    if (m_options.exists)
        options.owaction = *m_options.exists;
    else if (!m_outputFolder.isEmpty())
        options.owaction = OverwriteAction::Overwrite; // --output names the file to write
    // Asking needs a terminal: without one a stored "ask" skips the file, as a question
    // nobody can answer would. Only --exists prompt given on the line fails the run.
    if (!m_options.exists && options.owaction == OverwriteAction::Prompt
        && ::isatty(STDIN_FILENO) != 1)
        options.owaction = OverwriteAction::Skip;
    if (m_options.retries >= 0)
        options.retries = m_options.retries;
    options.reportErrors = false;
    if (given("--name"))
        options.nameMask = m_options.nameMask;
    if (m_options.contentDisposition)
        options.useServerNames = true;
    if (!m_outputFolder.isEmpty()) {
        options.nameMask = m_outputName;
        options.useServerNames = false;
    }
    options.timestamping = m_options.timestamping;
    // A name given with -O is the user's own, left as typed.
    options.portableNames = m_options.portableNames && m_outputFolder.isEmpty();
    options.limits.cookies = m_options.cookies;
    options.limits.referer = m_options.referer;
    options.limits.headers = m_options.headers;
    options.limits.userAgent = m_options.userAgent;
    options.atOnce = m_options.jobs;
    options.perHost = m_options.perHost;
    if (given("--limit-rate"))
        options.limits.sharedRateLimit = m_options.rateLimit;
    options.progressIntervalMs = m_terminal ? 100 : 1000;
    if (m_options.timeoutGiven) {
        options.limits.stallTimeoutSeconds = m_options.timeoutSeconds;
        options.limits.connectTimeoutSeconds = std::min(m_options.timeoutSeconds, 30);
    }
    return options;
}

void DownloadCommand::dropUnfetchable(ListEntries& links)
{
    static const QStringList kSchemes { QStringLiteral("http"), QStringLiteral("https"),
        QStringLiteral("ftp"), QStringLiteral("ftps") };
    for (qsizetype i = links.size() - 1; i >= 0; --i) {
        const QString scheme = QUrl(links.at(i).url).scheme().toLower();
        if (kSchemes.contains(scheme))
            continue;
        const QString message = scheme.isEmpty()
            ? QStringLiteral("not a link (it has no scheme such as https:)")
            : QStringLiteral("%1 links cannot be downloaded, only http, https, ftp and ftps")
                  .arg(scheme);
        printLink(m_options, links.at(i).url, Result<SavedFile>::failed(message));
        ++m_listFailures;
        links.removeAt(i);
    }
}

void DownloadCommand::showProgress(const DownloadJob& job)
{
    if (job.owdialog() || !m_progress.due())
        return;
    const DownloadSummary& summary = job.summary();
    m_progress.show(DownloadFigures(job.links(), summary),
        { job.count(), summary.saved + summary.skipped + summary.failed, summary.savedBytes });
}

bool DownloadCommand::copyToOutput(const QString& path)
{
    QFile in(path);
    QFile out;
    if (!in.open(QIODevice::ReadOnly) || !out.open(stdout, QIODevice::WriteOnly))
        return false;
    while (!in.atEnd()) {
        const QByteArray block = in.read(1 << 20);
        if (block.isEmpty() || out.write(block) != block.size())
            return false;
    }
    return out.flush();
}

int DownloadCommand::run()
{
    if (m_options.session) {
        const std::optional<QList<QNetworkCookie>> cookies = SessionCookies::read();
        if (!cookies)
            return 1;
        m_options.cookies += ProfileCookieReader::netscapeLines(*cookies);
    }
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
    TransferAccess::warnIfInsecure(m_options);
    if (m_options.given.contains(QLatin1StringView("--aria2-secret")) && !m_options.quiet)
        ConsoleText::printError(QStringLiteral("Warning: --aria2-secret shows the secret to every "
                                               "user of this machine in the process list; use "
                                               "--aria2-secret-file or QUILLMARCH_ARIA2_SECRET."));
    if (m_options.aria2Url.isEmpty())
        dropUnfetchable(links);
    if (links.isEmpty()) {
        if (m_listFailures == 0)
            ConsoleText::printError(QStringLiteral("Error: no links to download."));
        else
            printSummary(DownloadSummary {}, m_listFailures, m_options.quiet);
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
    // --output FILE (relative to the folder) names the file; - saves it in a temporary
    // folder first and copies it to standard output once complete.
    QTemporaryDir pipeFolder;
    if (m_options.output == QLatin1String("-")) {
        if (!pipeFolder.isValid()) {
            ConsoleText::printError(QStringLiteral("Error: no temporary folder for --output -: ")
                + pipeFolder.errorString());
            return 1;
        }
        m_outputFolder = pipeFolder.path() + QLatin1Char('/');
        m_outputName = QStringLiteral("output");
    } else if (!m_options.output.isEmpty()) {
        const QFileInfo target(QDir(dir.absoluteFilePath()), m_options.output);
        if (!target.dir().exists()) {
            ConsoleText::printError(
                QStringLiteral("Error: the folder of %1 does not exist.").arg(target.filePath()));
            return 1;
        }
        m_outputFolder = target.absolutePath() + QLatin1Char('/');
        m_outputName = target.fileName();
    }

    const auto store = m_options.noConfig
        ? nullptr
        : SqliteRegistryStore::openForUser(SqliteRegistryStore::kCommandLineBusyTimeoutMs);
    const CRegSettings settings = CRegSettings::forQuillmarch(store);
    DownloadJobOptions options
        = jobOptions(settings, m_outputFolder.isEmpty() ? dir.absoluteFilePath() : m_outputFolder);
    if (store && store->lockMet()) {
        ConsoleText::printError(SqliteRegistryStore::commandLineLockMessage());
        return 1;
    }
    if (!TransferAccess::apply(m_options, options.limits)) {
        ConsoleText::printError(QStringLiteral("Error: no password given."));
        return 1;
    }

    const Services services = commandLineServices(store, TransferAccess::trust(m_options));
    ConsolePrompt prompt;
    DownloadJob job(numberedItems(links), options, *services.transfers);
    // "File Exists" is asked on the console from the event loop, once the job waits.
    DownloadQuestions questions(job, prompt);
    QObject::connect(&job, &DownloadJob::changed, [&] { showProgress(job); });
    QObject::connect(&job, &DownloadJob::fileExistsDialogOpening, [&] { m_progress.clear(); });
    QObject::connect(&job, &DownloadJob::retrying, [&](int index) {
        m_progress.clear();
        if (!m_options.quiet)
            ConsoleText::printError(ShownLink::of(links.at(index - 1).url) + QStringLiteral(": ")
                + retryText(job.links().at(index - 1)));
    });
    const bool interrupted = runJob(job);
    // A link cancelled with bytes received keeps them in its hidden partial file.
    const bool partKept = std::any_of(job.links().cbegin(), job.links().cend(),
        [](const DownloadLinkState& link) { return !link.ended() && link.bytes > 0; });
    if (interrupted && partKept && !m_options.quiet)
        ConsoleText::printError(QStringLiteral(
            "Interrupted: the partly received file is kept hidden; the next run resumes it."));
    else if (interrupted && !m_options.quiet)
        ConsoleText::printError(QStringLiteral("Interrupted."));
    printSummary(job.summary(), m_listFailures, m_options.quiet);
    if (interrupted)
        return ExitStatus::kInterrupted;
    if (m_options.output == QLatin1String("-") && job.summary().saved == 1
        && !copyToOutput(m_outputFolder + job.links().constFirst().file)) {
        ConsoleText::printError(QStringLiteral("Error: cannot write to standard output."));
        return ExitStatus::kFileSystem;
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
            m_progress.clear();
            printLink(m_options, link, result);
            // Where the saved files cannot be told, no more are fetched; the partial
            // files are kept as after Ctrl-C.
            if (StandardOutput::failed())
                job.cancel();
        });
    QObject::connect(&job, &IDownloadJob::ended, [&] {
        m_progress.clear();
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
    const Services services = commandLineServices(nullptr, TransferAccess::trust(m_options));
    const QList<Aria2Link> entries = aria2Links(links, referer, *services.redirectResolver());
    Aria2JobOptions options { m_options.aria2Url, m_options.aria2Secret, m_options.dir };
    options.headers = m_options.headers;
    options.nameMask = m_options.nameMask;
    options.portableNames = m_options.portableNames;
    if (!m_options.userAgent.isEmpty())
        options.headers.append(QStringLiteral("User-Agent: ") + m_options.userAgent);
    const std::unique_ptr<IAria2Rpc> rpc = services.aria2Rpc(options.rpcUrl);
    Aria2Job job(entries, options, *rpc);
    const bool interrupted = runJob(job);
    if (!job.startError().isEmpty()) {
        ConsoleText::printError(QStringLiteral("Error: ") + job.startError());
        return 1;
    }
    if (interrupted && !m_options.quiet)
        ConsoleText::printError(QStringLiteral("Interrupted: the links still running were "
                                               "removed from the aria2 daemon."));
    printSummary(job.summary(), m_listFailures, m_options.quiet);
    if (interrupted)
        return ExitStatus::kInterrupted;
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
                                        .arg(ShownLink::of(entry.url), where.error));
        } else {
            entry.address = where.url;
            entry.cookie = NetscapeCookies::headerFor(m_options.cookies, where.url);
            entry.credentials = sameOrigin(where.url, entry.url);
        }
    }
    return entries;
}
