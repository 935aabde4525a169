#pragma once

#include <QFile>
#include <QSet>
#include <QString>
#include <deque>
#include <functional>
#include <optional>

// A page a site harvest means to visit.
struct CrawlVisit {
    QString url;
    int depth = 0;
    // Tries made so far of a page whose server asked to come back later.
    int tries = 0;

    friend bool operator==(const CrawlVisit&, const CrawlVisit&) = default;
};

// The pages waiting for a visit, first found first, each address once: an address is
// known (see key()) from the moment it is added, so a page is never queued twice. Past
// a bound the waiting pages go to a file in the folder given, read back in order as the
// pages held in memory run out, so a site of very many links holds little memory.
class CrawlFrontier final
{
public:
    // spillFolder: where the file goes (an empty folder keeps everything in memory).
    explicit CrawlFrontier(QString spillFolder, qsizetype memoryBound = 10000);
    ~CrawlFrontier();
    CrawlFrontier(const CrawlFrontier&) = delete;
    CrawlFrontier& operator=(const CrawlFrontier&) = delete;

    // The address as pages are told apart: without its fragment, its path segments
    // normalised, fully encoded.
    static QString key(const QString& url);

    // Whether the address was added or marked known before.
    bool known(const QString& url) const { return m_known.contains(key(url)); }
    // The same for an address already made a key.
    bool knownKey(const QString& key) const { return m_known.contains(key); }
    // Marks the address as known without queueing it (a page visited under another
    // address after a redirect, a page visited before a resume).
    void markKnown(const QString& url) { m_known.insert(key(url)); }
    // Queues the visit unless its address is known; returns whether it was queued.
    bool add(const CrawlVisit& visit);
    // Queues a visit again at the end (a page to try later), known or not.
    void requeue(const CrawlVisit& visit);

    // The first waiting visit that ready() accepts, among the first few; nullopt when
    // none is waiting or none of those is ready.
    std::optional<CrawlVisit> take(const std::function<bool(const CrawlVisit&)>& ready);
    qsizetype waiting() const { return static_cast<qsizetype>(m_head.size()) + m_spilled; }
    bool isEmpty() const { return waiting() == 0; }
    // Every waiting visit, in order (for keeping the state of a crawl).
    QList<CrawlVisit> all();

    // How many waiting visits take() looks at for one that is ready.
    static constexpr int LookAhead = 64;

private:
    void push(const CrawlVisit& visit);
    void refill();

    QString m_folder;
    qsizetype m_bound;
    std::deque<CrawlVisit> m_head;
    QSet<QString> m_known;
    QFile m_spill; // appended to
    QFile m_spillReader; // the same file, read back
    qint64 m_readAt = 0; // where the next spilled visit is read
    qsizetype m_spilled = 0; // visits in the file not yet read back
};
