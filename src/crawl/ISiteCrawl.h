#pragma once

#include <QList>
#include <QString>
#include <functional>

#include "core/FailureKind.h"
#include "core/HarvestScope.h"
#include "crawl/CrawlOptions.h"
#include "listops/EntryContext.h"

// Where a running site harvest stands.
struct CrawlProgress {
    int visited = 0; // pages read
    int waiting = 0; // pages found and not yet read
    int failed = 0; // pages that could not be read
    int entries = 0; // entries found so far
};

// A page of the site that could not be read, and why, in the words shown to the user,
// with the kind of failure it was.
struct CrawlFailure {
    QString page;
    QString reason;
    FailureKind kind = FailureKind::Other;
};

// What a site harvest found when it ended, whether it ran out of pages, reached a limit,
// was cancelled or failed: every entry found (each once, in the order found), the pages
// that failed, and why it stopped when that was not because every page was read.
struct CrawlResult {
    ListEntries entries;
    QList<CrawlFailure> failures;
    CrawlProgress progress;
    bool cancelled = false;
    QString stopReason; // empty when every page in scope was read
};

// A harvest that starts at one page and follows its links to further pages, breadth
// first, within CrawlOptions, collecting from each page what HarvestScope asks for.
// Handlers are called on the interface thread, never from inside start() or cancel().
class ISiteCrawl
{
public:
    virtual ~ISiteCrawl() = default;

    virtual void setProgressHandler(std::function<void(const CrawlProgress&)> handler) = 0;
    // Called once when the crawl ends for any reason, cancel() included.
    virtual void setFinishedHandler(std::function<void(const CrawlResult&)> handler) = 0;

    // Starts at startUrl; with resume, continues the kept state of an earlier crawl of the
    // same start page and options when there is one.
    virtual void start(const QString& startUrl, const CrawlOptions& options,
        const HarvestScope& scope, bool resume)
        = 0;
    // Whether an earlier crawl of that start page and those options was left unfinished
    // and can be continued.
    virtual bool canResume(const QString& startUrl, const CrawlOptions& options) const = 0;
    // Stops loading pages; the finished handler follows with what was found, and the
    // state is kept so the crawl can be continued.
    virtual void cancel() = 0;
};
