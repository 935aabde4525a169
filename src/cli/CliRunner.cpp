#include "cli/CliRunner.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/PreferencesStore.h"
#include "builders/ClipboardBuilder.h"
#include "builders/FileBuilder.h"
#include "builders/SequenceBuilder.h"
#include "builders/UrlListBuilder.h"
#include "cli/ConsolePrompt.h"
#include "cli/ConsoleView.h"
#include "cli/HarvestBatch.h"
#include "filters/FilterStore.h"
#include "listops/ListFile.h"
#include "listops/ListLimit.h"
#include "platform/CurlContentTypeFetcher.h"
#include "platform/SqliteRegistryStore.h"
#include "platform/webengine/ShellWindowRegistry.h"
#include "platform/webengine/WebEngineHarvestBrowser.h"
#include "settings/CRegSettings.h"

CliRunner::CliRunner(const CliOptions& options)
    : m_options(options)
{
}

void CliRunner::printError(const QString& text)
{
    const QByteArray out = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stderr);
    std::fflush(stderr);
}

void CliRunner::loadSettings()
{
    const std::shared_ptr<SqliteRegistryStore> store = SqliteRegistryStore::openForUser();
    const CRegSettings settings = CRegSettings::forQuillmarch(store);
    FilterStore::loadIntoState(settings, m_state.filters);
    m_state.prefs = loadPreferences(settings);

    if (!m_options.filters.isEmpty()) {
        m_state.filters.ftypes = m_options.filters;
        m_state.filters.appfiltEnabled = true;
        m_state.filters.appfiltChecked = true;
    }
    if (m_options.noFilters)
        m_state.filters.appfiltChecked = false;
    if (m_options.excludeJs)
        m_state.prefs.exjs = true;
    if (m_options.excludeMailto)
        m_state.prefs.exmt = true;
}

int CliRunner::run()
{
    loadSettings();
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
    QByteArray out;
    for (const QString& entry : m_list.entries()) {
        out += entry.toUtf8();
        out += '\n';
    }
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
    std::fflush(stdout);

    if (!m_options.saveFile.isEmpty()) {
        if (const Result<> saved = ListFile::save(m_options.saveFile, m_list.entries()); !saved) {
            printError(QStringLiteral("Error: cannot save %1: %2")
                           .arg(m_options.saveFile, saved.message()));
            return 1;
        }
    }
    return built ? 0 : 1;
}

int CliRunner::harvest()
{
    if (m_options.manyPages())
        return harvestMany();
    ConsolePrompt prompt(m_options.argument);
    ConsoleView view;
    CurlContentTypeFetcher fetcher;
    UrlListBuilder builder(m_state.prefs, m_state.filters, m_state.handover, m_state.nav, m_list,
        view, prompt, ShellWindowRegistry::instance(), fetcher,
        [] { return std::make_unique<WebEngineHarvestBrowser>(); });

    Result<> outcome = Result<>::cancelled();
    bool ended = false;
    bool timedOut = false;
    QObject::connect(&builder, &UrlListBuilder::harvestFinished, [&](const Result<>& o) {
        outcome = o;
        ended = true;
        QCoreApplication::exit(0);
    });
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, [&] {
        timedOut = true;
        builder.cancel();
    });
    timeout.start(m_options.timeoutSeconds * 1000);
    QTimer::singleShot(0, [&] { builder.mnufURL_Click(); });
    if (!ended)
        QCoreApplication::exec();

    int status = 1;
    if (timedOut)
        printError(QStringLiteral("Error: the page did not load within %1 seconds.")
                       .arg(m_options.timeoutSeconds));
    else
        status = finish(outcome.isOk());
    endProcess(status);
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
    qsizetype nextArgument = 0;
    auto source = [&]() -> std::optional<QString> {
        if (nextArgument < m_options.urls.size())
            return m_options.urls.at(nextArgument++);
        while (listFile) {
            const QByteArray line = listFile->readLine();
            if (line.isEmpty())
                break;
            const QString url = QString::fromUtf8(line).trimmed();
            if (!url.isEmpty())
                return url;
        }
        return std::nullopt;
    };

    HarvestBatch::Options options;
    options.jobs = m_options.jobs;
    options.timeoutSeconds = m_options.timeoutSeconds;
    options.dedupeAll = m_options.dedupeAll;
    options.saveFile = m_options.saveFile;
    HarvestBatch batch(
        m_state, source, ShellWindowRegistry::instance(),
        [] { return std::make_unique<WebEngineHarvestBrowser>(); }, options);
    endProcess(batch.run());
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

int CliRunner::text()
{
    QByteArray bytes;
    if (m_options.argument == QLatin1StringView("-")) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly)) {
            printError(QStringLiteral("Error: cannot read standard input."));
            return 1;
        }
        bytes = in.readAll();
    } else {
        QFile in(m_options.argument);
        if (!in.open(QIODevice::ReadOnly)) {
            printError(QStringLiteral("Error: cannot read %1: %2")
                           .arg(m_options.argument, in.errorString()));
            return 1;
        }
        bytes = in.readAll();
    }
    // The builder cuts lines at CR LF only; text files on Linux end lines in LF.
    QString text = QString::fromUtf8(bytes);
    text.replace(QLatin1StringView("\r\n"), QLatin1StringView("\n"));
    text.replace(QLatin1StringView("\n"), QLatin1StringView("\r\n"));

    ConsolePrompt prompt;
    return finish(
        ClipboardBuilder::run(m_state.handover, m_state.prefs, m_list, prompt, text).isOk());
}

int CliRunner::file()
{
    ConsolePrompt prompt;
    return finish(
        FileBuilder::run(m_options.argument, m_state.handover, m_state.prefs, m_list, prompt)
            .isOk());
}

int CliRunner::sequence()
{
    SequenceRequest request;
    request.url = m_options.argument;
    request.selectionStart = m_options.selectStart;
    request.selectionLength = m_options.selectLength;
    request.startText = m_options.startText;
    request.endText = m_options.endText;
    request.append = false;
    const Result<SequenceRun> built = SequenceBuilder::build(request, m_list);
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
