#pragma once

#include <QFile>
#include <QList>
#include <QSet>
#include <QString>

#include "core/Result.h"
#include "crawl/CrawlFrontier.h"
#include "crawl/ISiteCrawl.h"

// What an unfinished site harvest left: the pages queued (in order) and those done, the
// entries found and the pages that failed.
struct CrawlSavedState {
    QList<CrawlVisit> queued;
    QSet<QString> done; // frontier keys
    ListEntries entries;
    QList<CrawlFailure> failures;
    int visited = 0;
};

// The kept state of one site harvest, in a folder of its own named by its start page
// and options, written as the harvest goes: every file only grows, a line at a time and
// flushed, so a harvest killed at any moment leaves what it had done readable (a line
// cut short at the end is ignored). The folder goes when the harvest read every page.
class CrawlStateStore final
{
public:
    // The folder holding every kept harvest: $XDG_CACHE_HOME/quillmarch/crawl.
    static QString defaultRoot();
    // The folder of the harvest of startUrl with options, under root.
    static QString folderFor(
        const QString& root, const QString& startUrl, const CrawlOptions& options);

    explicit CrawlStateStore(QString folder);

    bool exists() const;
    // Reads what the folder holds.
    CrawlSavedState read() const;
    // Opens the files for appending, creating the folder; with fresh, empties them
    // first. Failed with the reason when the folder cannot be written: the harvest then
    // runs without keeping its state.
    Result<> open(bool fresh);

    void queued(const QList<CrawlVisit>& visits);
    // A page whose visit ended (read, not a page, or failed).
    void done(const QString& key);
    void entries(const ListEntries& found);
    void failed(const CrawlFailure& failure);
    // Removes the folder and everything in it.
    void remove();

    const QString& folder() const { return m_folder; }

private:
    void append(QFile& file, const QByteArray& lines);

    QString m_folder;
    QFile m_queued;
    QFile m_done;
    QFile m_entries;
    QFile m_failures;
};
