#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <QThreadPool>

#include "download/ITransferService.h"
#include "pictures/PictureCache.h"
#include "pictures/PictureDecoder.h"

class QTimer;

// One picture to measure, and whether a thumbnail is wanted too.
struct PictureRequest {
    QString url;
    QString referer; // the entry's page: sent as the browser would
    bool thumbnail = false;
};

struct PictureFetchOptions {
    int atOnce = 8; // transfers running at a time
    int perHost = 4; // of those, at most this many to one host
    // A size is read from the file's head first; the whole file is fetched only when
    // the head is not enough, or for a thumbnail.
    qint64 headBytes = 64 * 1024;
    qint64 maxBytes = 32LL * 1024 * 1024; // larger files are not fetched whole
    int timeoutSeconds = 30; // for each picture, from its first request to its end
    int connectTimeoutSeconds = 15;
    int stallTimeoutSeconds = 15;
    QStringList cookies; // Netscape cookies.txt lines, each sent only to its hosts
    QString userAgent;
    PictureDecoder::Limits limits;
};

// Measures pictures and makes their thumbnails in the background: the files come through
// the transfer service (politely: a few at a time, fewer per host), they are read on a
// pool of worker threads, and each result arrives as pictureReady on the owner's thread.
// A picture seen before comes from the cache at once and is checked with its validator;
// a changed one is fetched again. Every picture ends within timeoutSeconds.
class PictureFetcher final : public QObject
{
    Q_OBJECT
public:
    PictureFetcher(ITransferService* transfers, PictureCache* cache, PictureFetchOptions options,
        QObject* parent = nullptr);
    ~PictureFetcher() override;

    // Queues the picture behind those waiting; a request for a picture already queued
    // only adds the wish for a thumbnail.
    void request(const PictureRequest& request);
    // The waiting pictures among urls go first, in their order.
    void prioritize(const QStringList& urls);
    // The browser windows' cookies and User-Agent, sent with the requests started after.
    void setSession(const QStringList& cookies, const QString& userAgent);
    // Drops every waiting and running picture; none of them is reported.
    void cancelAll();
    // Pictures requested and not reported finally yet.
    int pending() const { return int(m_jobs.size()); }

signals:
    // thumbnail is null when none was asked for or none could be made (facts.reason
    // then says why). A picture may be reported twice: its size first, then its
    // thumbnail, or its cached copy first, then the copy fetched again.
    void pictureReady(const QString& url, const PictureFacts& facts, const QImage& thumbnail);
    void idle(); // nothing waits or runs any more

private:
    struct Job {
        PictureRequest request;
        bool whole = false; // the whole file, not its head
        bool revalidating = false; // a cached copy exists; its validator is sent
        CachedPicture cached;
        quint64 transfer = 0;
        QString host;
        QString path;
        TransferHeaders headers;
        bool notModified = false;
        bool cutShort = false; // cancelled here with enough bytes in the file
        QString failure; // why it was cancelled here
        QTimer* deadline = nullptr;
    };

    void enqueue(Job job, bool front);
    void pump();
    void startJob(Job& job);
    void onHeaders(quint64 id, const TransferHeaders& headers);
    void onProgress(quint64 id, qint64 bytes);
    void onFinished(quint64 id, const TransferEnd& end);
    void onDecoded(const QString& url, const DecodedPicture& decoded, qint64 bytesRead);
    void finishJob(const QString& url, const PictureFacts& facts, const QImage& thumbnail);
    void releaseSlot(Job& job);
    QStringList requestHeaders(const Job& job) const;

    QPointer<ITransferService> m_transfers;
    PictureCache* m_cache;
    PictureFetchOptions m_options;
    QTemporaryDir m_dir;
    QThreadPool m_pool;
    QHash<QString, Job> m_jobs;
    QStringList m_waiting;
    QHash<quint64, QString> m_byTransfer;
    QHash<QString, int> m_runningPerHost;
    QSet<QString> m_checked; // cached copies already checked in this run
    int m_running = 0;
    quint64 m_fileNumber = 0;
};
