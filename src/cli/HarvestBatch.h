#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <unordered_set>

#include "builders/IContentTypeFetcher.h"
#include "builders/UrlListBuilder.h"
#include "cli/ExitStatus.h"
#include "core/MainState.h"
#include "core/Result.h"
#include "listops/EntryContext.h"
#include "listops/EntryFormat.h"
#include "listops/EntryMeasure.h"
#include "listops/PatternFilter.h"

class IShellWindows;
class MediaMeasure;
class QEventLoop;
class ListFileWriter;

// Harvests many pages in one process. A few pages load at a time, each with the same
// rules as a single harvest (its own content-type check, its own list and so its own
// de-duplication, filters and exclusions from the settings given). Each page's
// messages and links are written in the order the pages were given; pages that end
// early wait for the earlier ones in a bounded window, and no new page starts while the
// window is full, so memory does not grow with the number of pages.
class HarvestBatch final : public QObject
{
    Q_OBJECT
public:
    struct Options {
        int jobs = 4; // pages loading at a time
        int timeoutSeconds = 120; // per page
        bool dedupeAll = false; // a link is written only the first time any page gives it
        QString saveFile; // also written there in the list file format, when every page succeeds
        PatternFilter patterns; // the entries a page keeps (--match, --reject)
        EntryFormat format = EntryFormat::Plain; // how the entries are printed
        int settleMs = 0; // the wait after a page's load for links its scripts add
        // Measures each page's media before its entries are written, and keeps those its
        // bounds accept (--measure and the size and type bounds); null: none.
        MediaMeasure* measure = nullptr;
        // Makes each page's content-type check (required).
        std::function<std::unique_ptr<IContentTypeFetcher>()> contentTypeCheck;
        // What a page that gave no entries says (naming the filters in effect).
        QString noLinks = QStringLiteral(
            "Error: no links were found (or none passed the filters and exclusions).");
    };
    // The next URL to harvest; nullopt once the input is exhausted.
    using UrlSource = std::function<std::optional<QString>()>;
    using Writer = std::function<void(const QByteArray& text)>;

    HarvestBatch(const MainState& settings, UrlSource source, IShellWindows& shellWindows,
        UrlListBuilder::BrowserFactory browserFactory, Options options, QObject* parent = nullptr);
    ~HarvestBatch() override;

    // Where links and messages go; standard output and standard error by default.
    void setWriters(Writer out, Writer err);

    // Harvests every page and returns the exit status (ExitStatus): 0 when every page
    // gave its list, else by the kinds of the failures (a page that timed out gives what
    // it had so far and counts as generic); 1 when no URL was given or the list could not
    // be saved, 130 when interrupted.
    int run();
    // Ctrl-C: stops starting pages and ends run() with the interrupted status; what was
    // written stays, the --save file is left as it was.
    void interrupt();

    // How many pages may be started but not yet written.
    int window() const { return m_options.jobs * 4; }

private:
    struct Page;
    struct Done {
        bool ok = false;
        int status = 0; // the exit status the page's failure asks for

        ListEntries entries;
        QList<EntryMeasure> measures; // one an entry when measured
        QByteArray messages;
    };
    struct Digest {
        quint64 high = 0;
        quint64 low = 0;
        bool operator==(const Digest&) const = default;
    };
    struct DigestHash {
        size_t operator()(const Digest& d) const { return static_cast<size_t>(d.high ^ d.low); }
    };

    void pump();
    void startPage(qint64 index, const QString& url);
    void onChecked(const std::shared_ptr<Page>& page, const Result<QString>& contentType);
    void onTimeout(const std::shared_ptr<Page>& page);
    void finishPage(const std::shared_ptr<Page>& page, const Result<>& outcome);
    // Measures the page's entries, then takes the page as ended.
    void measurePage(const std::shared_ptr<Page>& page, Done done);
    void pageDone(qint64 index, Done done);
    void writeReady();
    void writeEntries(const Done& done);
    bool firstSighting(const QString& entry);

    MainState m_settings;
    UrlSource m_source;
    IShellWindows& m_shellWindows;
    UrlListBuilder::BrowserFactory m_browserFactory;
    Options m_options;
    Writer m_out;
    Writer m_err;

    std::map<qint64, std::shared_ptr<Page>> m_running;
    std::map<qint64, Done> m_done; // ended, waiting for an earlier page to be written
    qint64 m_nextIndex = 0; // index of the next page to start
    qint64 m_nextToWrite = 0;
    int m_measuring = 0; // pages ended whose media are being measured
    bool m_inputEnded = false;
    ExitStatus m_status;
    bool m_interrupted = false;
    std::unordered_set<Digest, DigestHash> m_written; // --dedupe-all: links written so far
    std::unique_ptr<ListFileWriter> m_save;
    bool m_saveFailed = false;
    QEventLoop* m_loop = nullptr;
};
