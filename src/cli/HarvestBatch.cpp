#include "cli/HarvestBatch.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QTimer>
#include <QtEndian>
#include <cstdio>
#include <limits>

#include "builders/LocalPage.h"
#include "cli/ConsolePrompt.h"
#include "cli/ConsoleText.h"
#include "cli/ConsoleView.h"
#include "cli/MediaMeasure.h"
#include "cli/PrefetchedContentType.h"
#include "cli/StandardOutput.h"
#include "listops/EntryWriter.h"
#include "listops/LinkList.h"
#include "listops/ListFileWriter.h"

// One page of the batch, from its content-type check to its builder's end.
struct HarvestBatch::Page {
    Page(qint64 pageIndex, QString pageUrl, const MainState& settings)
        : index(pageIndex)
        , url(std::move(pageUrl))
        , state(settings)
        , prompt(url, [this](const QByteArray& lines) { messages += lines; })
    {
        timeout.setSingleShot(true);
        // Printed and written as text only: no limit but memory.
        list.setMaxEntries(std::numeric_limits<int>::max());
    }

    // Messages of a page begin with its URL, so they can be told apart.
    QString lead() const { return url + QStringLiteral(": "); }

    qint64 index;
    QString url;
    MainState state;
    LinkList list;
    QByteArray messages;
    ConsolePrompt prompt;
    ConsoleView view;
    std::unique_ptr<IContentTypeFetcher> check;
    std::unique_ptr<PrefetchedContentType> checked;
    std::unique_ptr<UrlListBuilder> builder;
    QTimer timeout;
    bool timedOut = false;
    bool ended = false;
};

namespace
{

void writeTo(FILE* stream, const QByteArray& text)
{
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stream);
    std::fflush(stream);
}

} // namespace

HarvestBatch::HarvestBatch(const MainState& settings, UrlSource source, IShellWindows& shellWindows,
    UrlListBuilder::BrowserFactory browserFactory, Options options, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_source(std::move(source))
    , m_shellWindows(shellWindows)
    , m_browserFactory(std::move(browserFactory))
    , m_options(std::move(options))
    , m_out([this](const QByteArray& text) {
        // The pages still loading are left: their links have nowhere to go.
        if (!StandardOutput::write(text)) {
            if (m_save)
                m_save->cancel();
            StandardOutput::endForFailure();
        }
    })
    , m_err([](const QByteArray& text) { writeTo(stderr, text); })
{
    // Each page decides alone, as a single harvest does; the append choice never
    // carries over from one page to the next.
    m_settings.append = false;
}

HarvestBatch::~HarvestBatch() = default;

void HarvestBatch::setWriters(Writer out, Writer err)
{
    m_out = std::move(out);
    m_err = std::move(err);
}

int HarvestBatch::run()
{
    if (!m_options.saveFile.isEmpty()) {
        m_save = std::make_unique<ListFileWriter>(m_options.saveFile);
        if (const Result<> opened = m_save->open(); !opened) {
            m_err(ConsoleText::lines(QStringLiteral("Error: cannot save %1: %2")
                                         .arg(m_options.saveFile, opened.message())));
            return 1;
        }
    }
    if (const QByteArray header
        = EntryWriter::header(m_options.format, m_options.measure != nullptr);
        !header.isEmpty())
        m_out(header);
    QEventLoop loop;
    m_loop = &loop;
    pump();
    if (!m_inputEnded || !m_running.empty() || !m_done.empty())
        loop.exec();
    m_loop = nullptr;

    if (m_interrupted) {
        if (m_save)
            m_save->cancel();
        m_err(ConsoleText::lines(QStringLiteral("Interrupted.")));
        return ExitStatus::kInterrupted;
    }
    if (m_nextIndex == 0) {
        m_err(ConsoleText::lines(QStringLiteral("Error: no URL to harvest.")));
        m_status.add(ExitStatus::kGeneric);
    }
    if (!m_save)
        return m_status.value();
    // A failed write was reported when it happened; a failed batch leaves the file as it
    // was.
    if (m_status.value() != 0 || m_saveFailed) {
        m_save->cancel();
        return m_saveFailed ? ExitStatus::kGeneric : m_status.value();
    }
    if (const Result<> saved = m_save->commit(); !saved) {
        m_err(ConsoleText::lines(
            QStringLiteral("Error: cannot save %1: %2").arg(m_options.saveFile, saved.message())));
        return 1;
    }
    return 0;
}

void HarvestBatch::interrupt()
{
    m_interrupted = true;
    if (m_loop)
        m_loop->quit();
}

void HarvestBatch::pump()
{
    if (m_interrupted)
        return;
    while (!m_inputEnded && static_cast<int>(m_running.size()) < m_options.jobs
        && m_nextIndex - m_nextToWrite < window()) {
        const std::optional<QString> url = m_source();
        if (!url) {
            m_inputEnded = true;
            break;
        }
        startPage(m_nextIndex++, *url);
    }
    if (m_inputEnded && m_running.empty() && m_done.empty() && m_measuring == 0 && m_loop)
        m_loop->quit();
}

void HarvestBatch::startPage(qint64 index, const QString& url)
{
    auto page = std::make_shared<Page>(index, url, m_settings);
    page->check = m_options.contentTypeCheck();
    m_running.emplace(index, page);
    const std::weak_ptr<Page> weak = page;
    connect(&page->timeout, &QTimer::timeout, this, [this, weak] {
        if (const auto p = weak.lock())
            onTimeout(p);
    });
    page->timeout.start(m_options.timeoutSeconds * 1000);
    // A local page is checked by the URL builder itself; no server is asked.
    if (LocalPage::check(url).kind != LocalPage::Kind::NotLocal) {
        QTimer::singleShot(0, this, [this, weak] {
            if (const auto p = weak.lock())
                onChecked(p, Result<QString>::ok(QString()));
        });
        return;
    }
    // The check runs on its own thread; nothing waits for it, so several pages are
    // checked and loaded side by side.
    page->check->fetchContentType(url, this, [this, weak](const Result<QString>& contentType) {
        if (const auto p = weak.lock())
            onChecked(p, contentType);
    });
}

void HarvestBatch::onChecked(const std::shared_ptr<Page>& page, const Result<QString>& contentType)
{
    if (page->ended)
        return;
    // The URL builder runs its own checks on the URL and gets the content-type check's
    // answer at once: the refusal of what is not HTML and every later message are its own.
    page->checked = std::make_unique<PrefetchedContentType>(contentType);
    page->builder
        = std::make_unique<UrlListBuilder>(page->state.prefs, page->state.filters, page->state.nav,
            page->list, page->view, page->prompt, m_shellWindows, *page->checked, m_browserFactory);
    page->builder->setTellCauses(true);
    page->builder->setSettleMs(m_options.settleMs);
    const std::weak_ptr<Page> weak = page;
    connect(page->builder.get(), &UrlListBuilder::pageMoved, this, [weak](const QString& finalUrl) {
        if (const auto p = weak.lock())
            p->messages += ConsoleText::lines(
                QStringLiteral("Warning: the page moved to %1; the links are that page's.")
                    .arg(finalUrl),
                p->lead());
    });
    connect(page->builder.get(), &UrlListBuilder::harvestFinished, this,
        [this, weak](const Result<>& outcome) {
            if (const auto p = weak.lock())
                finishPage(p, outcome);
        });
    page->builder->build(UrlBuildRequest { page->url });
}

void HarvestBatch::onTimeout(const std::shared_ptr<Page>& page)
{
    if (page->ended)
        return;
    page->timedOut = true;
    // A page still loading gives the links it has so far; either way the page ends
    // through harvestFinished.
    if (page->builder && page->builder->collectEarly())
        return;
    if (page->builder && page->builder->harvestRunning()) {
        page->builder->cancel();
        return;
    }
    page->check->cancel();
    finishPage(page, Result<>::cancelled());
}

void HarvestBatch::finishPage(const std::shared_ptr<Page>& page, const Result<>& outcome)
{
    const bool ok = outcome.isOk();
    if (page->ended)
        return;
    page->ended = true;
    page->timeout.stop();

    Done done;
    const QString late
        = QStringLiteral("the page did not load within %1 seconds").arg(m_options.timeoutSeconds);
    if (page->timedOut && !ok) {
        done.status = ExitStatus::kNetwork;
        done.messages = page->messages
            + ConsoleText::lines(QStringLiteral("Error: ") + late + QLatin1Char('.'), page->lead());
    } else {
        done.ok = ok && !page->timedOut;
        done.status = ok ? ExitStatus::kOk : ExitStatus::of(outcome.failureKind());
        done.messages = page->messages;
        if (page->timedOut) {
            done.status = ExitStatus::kGeneric;
            done.messages += ConsoleText::lines(
                QStringLiteral("Warning: %1; the links found so far follow.").arg(late),
                page->lead());
        }
        for (int i = 0; i < page->list.count(); ++i) {
            if (m_options.patterns.keeps(page->list.at(i)))
                done.entries.append(page->list.entryAt(i));
        }
        if (ok && done.entries.isEmpty()) {
            done.ok = false;
            done.status = ExitStatus::kGeneric;
            done.messages += ConsoleText::lines(m_options.noLinks, page->lead());
        }
    }
    m_running.erase(page->index);
    // The page's builder may be inside its own callbacks: it goes once control is back
    // in the event loop.
    QTimer::singleShot(0, this, [page] {});

    if (m_options.measure && !done.entries.isEmpty())
        measurePage(page, std::move(done));
    else
        pageDone(page->index, std::move(done));
}

void HarvestBatch::measurePage(const std::shared_ptr<Page>& page, Done done)
{
    ++m_measuring;
    auto waiting = std::make_shared<Done>(std::move(done));
    const qint64 index = page->index;
    const QString lead = page->lead();
    const ListEntries entries = waiting->entries;
    m_options.measure->measure(
        entries, [this, waiting, index, lead](MediaMeasure::Outcome outcome) {
            --m_measuring;
            Done& done = *waiting;
            if (const QString summary = outcome.summary(); !summary.isEmpty())
                done.messages += ConsoleText::lines(summary, lead);
            done.entries = std::move(outcome.entries);
            done.measures = std::move(outcome.measures);
            if (done.entries.isEmpty() && done.ok) {
                done.ok = false;
                done.status = ExitStatus::kGeneric;
                done.messages += ConsoleText::lines(
                    QStringLiteral("Error: no media passed the size and type bounds."), lead);
            }
            pageDone(index, std::move(done));
        });
}

void HarvestBatch::pageDone(qint64 index, Done done)
{
    m_done.emplace(index, std::move(done));
    writeReady();
    pump();
}

void HarvestBatch::writeReady()
{
    for (auto it = m_done.find(m_nextToWrite); it != m_done.end();
         it = m_done.find(m_nextToWrite)) {
        const Done& done = it->second;
        if (m_options.measure)
            m_options.measure->clearProgress();
        if (!done.messages.isEmpty())
            m_err(done.messages);
        writeEntries(done);
        if (!done.ok)
            m_status.add(done.status != ExitStatus::kOk ? done.status : ExitStatus::kGeneric);
        m_done.erase(it);
        ++m_nextToWrite;
    }
}

void HarvestBatch::writeEntries(const Done& done)
{
    QByteArray out;
    QStringList saved;
    const bool measured = done.measures.size() == done.entries.size() && m_options.measure;
    for (qsizetype i = 0; i < done.entries.size(); ++i) {
        const ListEntry& entry = done.entries.at(i);
        if (m_options.dedupeAll && !firstSighting(entry.url))
            continue;
        out += EntryWriter::encode(
            m_options.format, entry, measured ? &done.measures.at(i) : nullptr);
        if (m_save)
            saved.append(entry.url);
    }
    if (!out.isEmpty())
        m_out(out);
    if (m_save && !m_saveFailed && !saved.isEmpty()) {
        if (const Result<> written = m_save->write(saved); !written) {
            m_saveFailed = true;
            m_err(ConsoleText::lines(QStringLiteral("Error: cannot save %1: %2")
                                         .arg(m_options.saveFile, written.message())));
        }
    }
}

bool HarvestBatch::firstSighting(const QString& entry)
{
    // Links are remembered by a 128-bit digest rather than whole: a long list of pages
    // can give millions of links.
    QCryptographicHash hasher(QCryptographicHash::Sha256);
    hasher.addData(entry.toUtf8());
    const QByteArrayView hash = hasher.resultView();
    Digest digest;
    digest.high = qFromUnaligned<quint64>(hash.data());
    digest.low = qFromUnaligned<quint64>(hash.data() + sizeof digest.high);
    return m_written.insert(digest).second;
}
