#include "cli/CliRunner.h"
#include "cli/NoLinksMessage.h"
#include "cli/TransferAccess.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <unistd.h>

#include "app/PreferencesStore.h"
#include "builders/ClipboardBuilder.h"
#include "builders/FileBuilder.h"
#include "builders/SequenceBuilder.h"
#include "builders/UrlListBuilder.h"
#include "cli/ConsolePrompt.h"
#include "cli/ConsoleText.h"
#include "cli/ConsoleView.h"
#include "cli/CrawlProgressLine.h"
#include "cli/ExitStatus.h"
#include "cli/HarvestBatch.h"
#include "cli/InterruptSignal.h"
#include "cli/SessionCookies.h"
#include "cli/StandardOutput.h"
#include "compose/CommandLineServices.h"
#include "crawl/SiteCrawl.h"
#include "filters/FilterStore.h"
#include "listops/EntryWriter.h"
#include "listops/LinkLineReader.h"
#include "listops/ListFile.h"
#include "listops/ListLimit.h"
#include "listops/PatternFilter.h"
#include "platform/ProfileCookieReader.h"
#include "platform/SqliteRegistryStore.h"
#include "platform/staticpage/StaticFirstHarvestBrowser.h"
#include "settings/CRegSettings.h"

namespace
{

// The UTF-16 offset of the character at index characters of text (its end when
// characters equals the count of characters); -1 when text is shorter.
qsizetype utf16Offset(const QString& text, qint64 characters)
{
    qsizetype offset = 0;
    for (qint64 i = 0; i < characters; ++i) {
        if (offset >= text.size())
            return -1;
        const bool pair = text.at(offset).isHighSurrogate() && offset + 1 < text.size()
            && text.at(offset + 1).isLowSurrogate();
        offset += pair ? 2 : 1;
    }
    return offset;
}

} // namespace

CliRunner::CliRunner(const CliOptions& options)
    : m_options(options)
{
    // The list is printed and written as text, never in the window's 16-bit formats: it
    // has no limit but memory.
    m_list.setMaxEntries(kUnlimited);
}

void CliRunner::printError(const QString& text)
{
    ConsoleText::printError(text);
}

bool CliRunner::loadSettings()
{
    // Without a store (--no-config) every setting reads as its default.
    const std::shared_ptr<SqliteRegistryStore> store = m_options.noConfig
        ? nullptr
        : SqliteRegistryStore::openForUser(SqliteRegistryStore::kCommandLineBusyTimeoutMs);
    // The window shows the same notice at its next start.
    if (store && !store->recoveryNotice().isEmpty())
        printError(QStringLiteral("Settings Reset: ") + store->recoveryNotice());
    const CRegSettings settings = CRegSettings::forQuillmarch(store);
    FilterStore::loadIntoState(settings, m_state.filters);
    m_state.prefs = loadPreferences(settings);
    // What could not be read would be a default in place of the user's choice.
    if (store && store->lockMet()) {
        printError(SqliteRegistryStore::commandLineLockMessage());
        return false;
    }
    QList<QNetworkCookie> session;
    if (m_options.session) {
        const std::optional<QList<QNetworkCookie>> cookies = SessionCookies::read();
        if (!cookies)
            return false;
        session = *cookies;
        m_sessionCookies = ProfileCookieReader::netscapeLines(session);
    }
    m_services = commandLineServices(
        store, TransferAccess::trust(m_options), session, !m_options.engineOnly);

    if (!m_options.filters.isEmpty()) {
        m_state.filters.ftypes = m_options.filters;
        m_state.filters.appfiltEnabled = true;
        m_state.filters.appfiltChecked = true;
    }
    if (m_options.noFilters)
        m_state.filters.appfiltChecked = false;
    // The window's stored choice is not read: a script's harvest gives links unless it
    // asks for more.
    m_state.filters.harvest = m_options.harvest;
    if (m_options.excludeJs)
        m_state.prefs.exjs = true;
    if (m_options.excludeMailto)
        m_state.prefs.exmt = true;
    return true;
}

int CliRunner::run()
{
    // Past a file size limit a write fails and the save reports it, rather than the
    // signal ending the process before the temporary file is removed.
    std::signal(SIGXFSZ, SIG_IGN);
    if (!loadSettings())
        return 1;
    switch (m_options.command) {
    case CliOptions::Command::Harvest:
        return harvest();
    case CliOptions::Command::Text:
        return text();
    case CliOptions::Command::File:
        return file();
    case CliOptions::Command::Sequence:
        return sequence();

    default:
        return 2;
    }
}

int CliRunner::finish(bool built)
{
    if (built)
        keepPatterns(m_list);
    if (built && m_list.isEmpty()) {
        // Nothing to print or save: the source had no links, or none passed the filters
        // and exclusions, which are named.
        printError(noLinksMessage(m_state.filters, m_state.prefs, m_options));
        return 1;
    }
    ListEntries entries = m_list.listEntries();
    std::optional<QList<EntryMeasure>> measures;
    if (built && m_options.measure) {
        MediaMeasure::Outcome outcome;
        QEventLoop loop;
        mediaMeasure().measure(entries, [&](MediaMeasure::Outcome o) {
            outcome = std::move(o);
            loop.quit();
        });
        loop.exec();
        if (const QString summary = outcome.summary(); !summary.isEmpty())
            printError(summary);
        if (outcome.entries.isEmpty()) {
            printError(QStringLiteral("Error: no media passed the size and type bounds."));
            return 1;
        }
        entries = std::move(outcome.entries);
        measures = std::move(outcome.measures);
    }
    QByteArray out = EntryWriter::header(m_options.format, measures.has_value());
    for (qsizetype i = 0; i < entries.size(); ++i)
        out += EntryWriter::encode(
            m_options.format, entries.at(i), measures ? &measures->at(i) : nullptr);
    // Nothing is saved once the list could not be printed whole.
    if (!StandardOutput::write(out))
        StandardOutput::endForFailure();

    // A failed command leaves the file it would have saved as it was.
    if (built && !m_options.saveFile.isEmpty()) {
        QStringList urls;
        for (const ListEntry& entry : entries)
            urls.append(entry.url);
        if (const Result<> saved = ListFile::save(m_options.saveFile, urls); !saved) {
            printError(QStringLiteral("Error: cannot save %1: %2")
                           .arg(m_options.saveFile, saved.message()));
            return 1;
        }
    }
    return built ? 0 : 1;
}

MediaMeasure& CliRunner::mediaMeasure()
{
    if (!m_measure) {
        MediaMeasure::Setup setup;
        setup.bounds = m_options.mediaBounds;
        setup.cacheFolder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
            + QStringLiteral("/quillmarch/thumbnails");
        setup.cookies = m_sessionCookies;
        setup.userAgent = StaticFirstHarvestBrowser::engineUserAgent();
        setup.progress = isatty(STDERR_FILENO) != 0;
        m_measure = std::make_unique<MediaMeasure>(m_services.transfers.get(), setup);
    }
    return *m_measure;
}

int CliRunner::harvest()
{
    // The engine module is loaded by the first page that needs it (see
    // commandLineServices), with the certificates trusted.
    TransferAccess::warnIfInsecure(m_options);
    if (m_options.manyPages())
        return harvestMany();
    if (m_options.crawls())
        return harvestSite();
    ConsolePrompt prompt;
    ConsoleView view;
    UrlListBuilder builder(m_state.prefs, m_state.filters, m_state.nav, m_list, view, prompt,
        *m_services.shellWindows, *m_services.fetcher, m_services.browserFactory);
    builder.setTellCauses(true);
    builder.setSettleMs(m_options.settleMs);

    Result<> outcome = Result<>::cancelled();
    bool ended = false;
    bool timedOut = false;
    QObject::connect(&builder, &UrlListBuilder::pageMoved, [](const QString& finalUrl) {
        printError(QStringLiteral("Warning: the page moved to %1; the links are that page's.")
                       .arg(finalUrl));
    });
    QObject::connect(&builder, &UrlListBuilder::harvestFinished, [&](const Result<>& o) {
        outcome = o;
        ended = true;
        QCoreApplication::exit(0);
    });
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, [&] {
        timedOut = true;
        // A page still loading gives the links it has so far; a check still running
        // gives none.
        if (!builder.collectEarly())
            builder.cancel();
    });
    timeout.start(std::chrono::seconds(m_options.timeoutSeconds));
    const auto interrupt = InterruptSignal::watch([] {
        printError(QStringLiteral("Interrupted."));
        endProcess(ExitStatus::kInterrupted);
    });
    QTimer::singleShot(0, [&] { builder.build(UrlBuildRequest { m_options.argument }); });
    if (!ended)
        QCoreApplication::exec();
    // The page's time is up once it ended: measuring its media afterwards is not the load.
    timeout.stop();

    const QString late
        = QStringLiteral("the page did not load within %1 seconds").arg(m_options.timeoutSeconds);
    if (timedOut && !outcome.isOk()) {
        printError(QStringLiteral("Error: ") + late + QLatin1Char('.'));
        endProcess(ExitStatus::kNetwork);
    }
    if (timedOut)
        printError(QStringLiteral("Warning: %1; the links found so far follow.").arg(late));
    const int status = finish(outcome.isOk());
    if (!outcome.isOk() && !outcome.isCancelled())
        endProcess(ExitStatus::of(outcome.failureKind()));
    endProcess(timedOut && status == 0 ? ExitStatus::kGeneric : status);
}

int CliRunner::harvestMany()
{
    // The URLs of the command line, then those of the list file, read as the pages are
    // started: a long list is never held whole.
    std::unique_ptr<QFile> listFile;
    if (!m_options.fromFile.isEmpty()) {
        listFile = std::make_unique<QFile>();
        const bool opened = m_options.fromFile == QLatin1StringView("-")
            ? listFile->open(stdin, QIODevice::ReadOnly)
            : (listFile->setFileName(m_options.fromFile), listFile->open(QIODevice::ReadOnly));
        if (!opened) {
            printError(QStringLiteral("Error: cannot read %1: %2")
                           .arg(m_options.fromFile, listFile->errorString()));
            return 1;
        }
    }
    std::optional<LinkLineReader> lines;
    if (listFile) {
        lines.emplace(*listFile);
        lines->setSkipComments(true);
    }
    qsizetype nextArgument = 0;
    auto source = [&]() -> std::optional<QString> {
        if (nextArgument < m_options.urls.size())
            return m_options.urls.at(nextArgument++);
        return lines ? lines->next() : std::nullopt;
    };

    HarvestBatch::Options options;
    options.jobs = m_options.jobs;
    options.timeoutSeconds = m_options.timeoutSeconds;
    options.dedupeAll = m_options.dedupeAll;
    options.saveFile = m_options.saveFile;
    options.patterns = patterns();
    options.format = m_options.format;
    options.settleMs = m_options.settleMs;
    options.contentTypeCheck = m_services.newFetcher;
    options.noLinks = noLinksMessage(m_state.filters, m_state.prefs, m_options);
    if (m_options.measure)
        options.measure = &mediaMeasure();
    HarvestBatch batch(
        m_state, source, *m_services.shellWindows, m_services.browserFactory, options);
    const auto interrupt = InterruptSignal::watch([&batch] { batch.interrupt(); });
    endProcess(batch.run());
}

int CliRunner::harvestSite()
{
    CrawlOptions options = m_options.crawl;
    // download's default of links per host is not a site harvest's.
    if (!m_options.given.contains(QLatin1String("--per-host")))
        options.perHost = CrawlOptions().perHost;
    const QString start = QUrl::fromUserInput(m_options.argument).toString();
    SiteCrawl crawl(
        m_state.prefs, m_state.filters, m_services.browserFactory, m_services.transfers.get());
    crawl.setPageTimeoutSeconds(m_options.timeoutSeconds);
    if (m_options.crawlContinue && !crawl.canResume(start, options))
        printError(QStringLiteral("Nothing to continue for %1 with these options: starting anew.")
                       .arg(start));

    CrawlProgressLine line(::isatty(STDERR_FILENO) == 1);
    std::optional<CrawlResult> result;
    crawl.setProgressHandler([&line](const CrawlProgress& progress) { line.show(progress); });
    crawl.setFinishedHandler([&result](const CrawlResult& ended) {
        result = ended;
        QCoreApplication::exit(0);
    });
    const auto interrupt = InterruptSignal::watch([&crawl] { crawl.cancel(); });
    crawl.start(start, options, m_state.filters.harvest, m_options.crawlContinue);
    QCoreApplication::exec();
    line.clear();
    if (!result)
        endProcess(ExitStatus::kGeneric);

    // The summary, then each page that failed and why.
    const auto counted = [](qsizetype n, const char* one, const char* many) {
        return QStringLiteral("%1 %2").arg(n).arg(QLatin1StringView(n == 1 ? one : many));
    };
    printError(QStringLiteral("%1 visited, %2 failed, %3")
                   .arg(counted(result->progress.visited, "page", "pages"))
                   .arg(result->failures.size())
                   .arg(counted(result->entries.size(), "entry", "entries")));
    ExitStatus status;
    for (const CrawlFailure& failure : std::as_const(result->failures)) {
        printError(QStringLiteral("Failed: %1: %2").arg(failure.page, failure.reason));
        status.addFailure(failure.kind);
    }
    const QString resume = crawl.canResume(start, options)
        ? QStringLiteral("; --continue goes on from here")
        : QString();
    if (result->cancelled)
        printError(QStringLiteral("Interrupted") + resume + QLatin1Char('.'));
    else if (!result->stopReason.isEmpty())
        printError(QStringLiteral("Stopped: %1%2.").arg(result->stopReason, resume));
    m_list.addEntries(result->entries);
    const int printed = finish(true);
    if (result->cancelled)
        endProcess(ExitStatus::kInterrupted);
    status.add(printed);
    endProcess(status.value());
}

PatternFilter CliRunner::patterns() const
{
    // The options were checked when they were read.
    Result<PatternFilter> filter
        = PatternFilter::parse(m_options.matchPatterns, m_options.rejectPatterns);
    return filter ? std::move(filter).value() : PatternFilter();
}

void CliRunner::keepPatterns(LinkList& list) const
{
    const PatternFilter filter = patterns();
    if (filter.isEmpty())
        return;
    QList<int> dropped;
    for (int i = 0; i < list.count(); ++i) {
        if (!filter.keeps(list.at(i)))
            dropped.append(i);
    }
    list.removeRows(dropped);
}

void CliRunner::endProcess(int status)
{
    // The list is printed and saved, and nothing else of the process needs keeping: the
    // browser profile lives in memory and the settings were only read. Destroying the
    // page and shutting the browser engine down in order takes hundreds of milliseconds
    // on a page with many frames, so the process ends here; the engine's helper
    // processes end by themselves once their connection to this one closes.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}

// Streams the text one line at a time (LinkLineReader) and takes each line that begins
// like a link, as in the window's clipboard builder.
int CliRunner::text()
{
    QFile in;
    const bool standardInput = m_options.argument == QLatin1StringView("-");
    if (standardInput ? !in.open(stdin, QIODevice::ReadOnly)
                      : (in.setFileName(m_options.argument), !in.open(QIODevice::ReadOnly))) {
        printError(standardInput ? QStringLiteral("Error: cannot read standard input.")
                                 : QStringLiteral("Error: cannot read %1: %2")
                                       .arg(m_options.argument, in.errorString()));
        return 1;
    }

    // The list is empty: the links are added without the append question.
    ConsolePrompt prompt;
    TextLinks found;
    found.limit = m_list.maxEntries();
    LinkLineReader reader(in);
    while (found.overflow == 0) {
        const std::optional<QString> line = reader.next();
        if (!line)
            break;
        ClipboardBuilder::takeLine(found, *line, m_state.prefs);
    }
    if (reader.failed()) {
        printError(QStringLiteral("Error: cannot read %1: %2")
                       .arg(standardInput ? QStringLiteral("standard input") : m_options.argument,
                           in.errorString()));
        return 1;
    }
    if (ClipboardBuilder::apply(found, true, m_list).notAdded > 0)
        prompt.message(PromptIcon::Exclamation, ListLimit::title(), ListLimit::message(0));
    if (!found.found) {
        // The window's message speaks of the clipboard; here the text came from a file
        // or standard input.
        printError(QStringLiteral("Error: no links in the input."));
        return finish(false);
    }
    return finish(true);
}

int CliRunner::file()
{
    // The list is empty: the items are added without the append question.
    FileItems items;
    if (m_options.argument == QLatin1StringView("-")) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly)) {
            printError(QStringLiteral("Error: cannot read standard input."));
            return 1;
        }
        items = FileBuilder::read(
            in, QStringLiteral("standard input"), m_state.prefs, m_list.maxEntries());
    } else {
        items = FileBuilder::read(m_options.argument, m_state.prefs, m_list.maxEntries());
    }
    const FileBuild built = FileBuilder::apply(items, true, m_list);
    ConsolePrompt prompt;
    if (built.limitReached)
        prompt.message(PromptIcon::Exclamation, ListLimit::title(), ListLimit::message(0));
    else if (!items.stop)
        prompt.message(PromptIcon::Critical, items.stopTitle, items.stop.message());
    return finish(built.limitReached || items.stop.isOk());
}

// Prints the run's links as they are made, so a run of any length takes no memory and
// a reader that stops early stops it.
int CliRunner::printSequence(const SequenceRequest& request)
{
    if (const Result<> checked = SequenceBuilder::check(request); !checked) {
        printError(QStringLiteral("Error: ") + checked.message());
        return 1;
    }
    constexpr qsizetype kChunk = 64 * 1024;
    const PatternFilter filter = patterns();
    qint64 printed = 0;
    QByteArray out = EntryWriter::header(m_options.format);
    const auto flush = [&out] {
        if (!StandardOutput::write(out))
            StandardOutput::endForFailure();
        out.clear();
    };
    SequenceBuilder::forEachLink(request, SequenceBuilder::PastEnd::CountDown,
        std::numeric_limits<qint64>::max(), [&](const QString& link) {
            if (!filter.keeps(link))
                return true;
            ++printed;
            out += EntryWriter::encode(m_options.format, ListEntry { link, {} });
            if (out.size() >= kChunk)
                flush();
            return true;
        });
    if (printed == 0) {
        printError(noLinksMessage(m_state.filters, m_state.prefs, m_options));
        return 1;
    }
    flush();
    return 0;
}

int CliRunner::sequence()
{
    SequenceRequest request;
    request.url = m_options.argument;
    // OFFSET and LENGTH count characters; the builder counts UTF-16 units.
    const qsizetype start = utf16Offset(request.url, m_options.selectStart);
    const qsizetype end
        = utf16Offset(request.url, qint64(m_options.selectStart) + m_options.selectLength);
    if (start < 0 || end < 0) {
        printError(QStringLiteral("Error: The selected portion lies outside the URL."));
        return 1;
    }
    request.selectionStart = static_cast<int>(start);
    request.selectionLength = static_cast<int>(end - start);
    request.startText = m_options.startText;
    request.endText = m_options.endText;
    request.append = false;
    if (m_options.saveFile.isEmpty())
        return printSequence(request);
    const Result<SequenceRun> built
        = SequenceBuilder::build(request, m_list, SequenceBuilder::PastEnd::CountDown);
    if (!built) {
        printError(QStringLiteral("Error: ") + built.message());
        return 1;
    }
    if (built.value().limitReached) {
        ConsolePrompt prompt;
        prompt.message(PromptIcon::Exclamation, ListLimit::title(),
            ListLimit::message(built.value().notAdded));
    }
    return finish(true);
}
