#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <functional>
#include <memory>

#include "listops/EntryContext.h"
#include "listops/EntryMeasure.h"
#include "pictures/PictureCache.h"
#include "pictures/PictureCriteria.h"
#include "pictures/PictureFetcher.h"

class ITransferService;

// Measures the media a harvest found, as the picture view does (PictureFetcher: the head
// of each file, a few at a time per host, the page as referrer, the disk cache), then
// keeps the entries the bounds accept. An entry the bounds cannot be checked for (not
// measured, no picture, a video for a pixel bound) is left out and counted. Several
// lists may be measured at once (the pages of a batch); a picture they share is fetched
// once.
class MediaMeasure final : public QObject
{
    Q_OBJECT
public:
    struct Setup {
        PictureCriteria bounds; // only its size and type bounds count
        QString cacheFolder; // empty: no disk cache
        QStringList cookies; // Netscape cookies.txt lines
        QString userAgent;
        bool progress = false; // redraw a count on standard error (a terminal)
    };
    // What became of one list: the entries kept, in order, each with its measure.
    struct Outcome {
        ListEntries entries;
        QList<EntryMeasure> measures;
        int media = 0; // pictures fetched for measuring
        int failed = 0; // of those, the ones that could not be measured
        int unchecked = 0; // left out: the bounds could not be checked
        // The lines to tell on standard error (without the program's prefix).
        QString summary() const;
    };
    using Done = std::function<void(Outcome)>;

    MediaMeasure(ITransferService* transfers, Setup setup, QObject* parent = nullptr);
    ~MediaMeasure() override;

    // Measures the media among entries, then calls done (always from the event loop).
    void measure(ListEntries entries, Done done);
    // Whether the bounds leave out anything; without, every entry is kept.
    bool filters() const;
    // Takes the progress count off the terminal, before other text is written there.
    void clearProgress();

private:
    struct Batch {
        ListEntries entries;
        QSet<QString> waiting;
        Done done;
    };

    void onPicture(const QString& url, const PictureFacts& facts);
    void finish(const std::shared_ptr<Batch>& batch);
    PictureFacts factsOf(const ListEntry& entry) const;
    bool checkable(const ListEntry& entry, const PictureFacts& facts) const;
    void drawProgress();

    Setup m_setup;
    PictureCache m_cache;
    PictureFetcher m_fetcher;
    QHash<QString, PictureFacts> m_known;
    QList<std::shared_ptr<Batch>> m_batches;
    int m_asked = 0;
    int m_answered = 0;
    QElapsedTimer m_drawn;
    bool m_shown = false; // a progress count is on the terminal
};
