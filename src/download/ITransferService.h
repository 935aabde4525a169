#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

#include "core/FailureKind.h"

// One request to fetch a link's target into a file.
struct TransferRequest {
    QString url;
    // The body goes here (created when it does not exist, emptied unless resuming); the
    // caller renames it when complete and decides what becomes of it otherwise.
    QString tempPath;
    qint64 resumeFrom = 0; // bytes of tempPath to keep; the rest is asked for with a range
    // With a resume: the validator (ETag or Last-Modified) the kept bytes came with, sent
    // as If-Range, and the whole file's size then (-1 unknown). A range answer that does
    // not start at resumeFrom or gives another size restarts the file from its first byte.
    QString validator {};
    qint64 expectedTotal = -1;
    int connectTimeoutSeconds = 30;
    int stallTimeoutSeconds = 60; // no byte received for this long ends it as a timeout
    // A body averaging fewer bytes a second than this over a minute (or over the stall
    // time when longer) ends it as a timeout too.
    int lowSpeedBytesPerSecond = 100;
    int maxRedirects = 20;
    // Sent with the request: extra header lines ("Name: value"), the Referer (none when
    // empty), the User-Agent (the program's own "Quillmarch/VERSION" when empty) and
    // cookies as Netscape cookies.txt lines, each sent only to the hosts it names, on
    // every request of a redirect chain.
    QStringList headers {};
    QString referer {};
    QString userAgent {};
    QStringList cookies {};
    // Bytes a second shared by every running transfer that carries a limit (0: none).
    // The service divides it among them again whenever one starts or ends.
    qint64 sharedRateLimit = 0;
    // Signs in as user with password on the link's own origin only, never after a
    // redirect to another; with netrc, ~/.netrc gives what is missing for each host.
    QString user {};
    QString password {};
    bool netrc = false;
    // Seconds since the epoch of the copy already saved (-1: none): the file is fetched
    // only when the server's is newer, else the transfer ends as notModified.
    qint64 ifModifiedSince = -1;
    // Given, receives each line of every request and response head as sent and received
    // (credential and cookie values masked) and the redirects, on the transfer thread.
    std::function<void(const QByteArray& line)> trace {};
};

// What the final response said before its body: its size is -1 when the server did
// not give one, or gave 0 or a text that is not a number.
struct TransferHeaders {
    int status = 0; // HTTP status, 0 for other protocols
    qint64 size = -1; // whole file, counting bytes kept by a resume
    // A strong ETag, else Last-Modified: what a later resume sends as If-Range. Empty
    // when the server gave neither.
    QString validator {};
    QString contentType {}; // the media type, lower case, without parameters
    // The file name the server gives in Content-Disposition (filename* preferred), as
    // sent: the caller makes it safe. Empty when none.
    QString serverName {};
    qint64 lastModified = -1; // Last-Modified, seconds since the epoch; -1 none
};

// How a transfer ended. errorCode and errorText read like "404" and "Not Found" for an
// HTTP status of 400 or more, or a transfer library's code and text.
struct TransferEnd {
    enum class Kind { Complete, Failed, Cancelled };
    Kind kind = Kind::Failed;
    qint64 bytesInFile = 0; // bytes now in tempPath
    long errorCode = 0;
    QString errorText;
    bool localError = false; // the file could not be written (errorText says why)
    FailureKind failure = FailureKind::Other; // what kind of failure it was, when Failed
    bool transient = false; // trying again may succeed
    int retryAfterSeconds = -1; // the server's "Retry-After", -1 when none
    bool resumable = false; // the server takes range requests for this file
    // Complete without a body: the server's file is not newer than ifModifiedSince.
    bool notModified = false;
};

// Fetches link targets on a worker of its own, every transfer started running at once
// (callers decide how many they start).
// Headers, the byte count and the end arrive as signals on the thread that owns the
// service. The byte count comes at most every ~100 ms per transfer and once with the
// final count just before finished; bytesInFile() reads it at any time.
class ITransferService : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~ITransferService() override = default;

    // Queues a transfer and returns its id.
    virtual quint64 start(const TransferRequest& request) = 0;
    // Ends a queued or running transfer: it finishes as Cancelled. No effect when done.
    virtual void cancel(quint64 id) = 0;
    // Bytes in the file of the running transfer with this id, up to the delivery of its
    // end (0 when it is not running).
    virtual qint64 bytesInFile(quint64 id) const = 0;

signals:
    void headersReceived(quint64 id, const TransferHeaders& headers);
    void progressed(quint64 id, qint64 bytesInFile);
    void finished(quint64 id, const TransferEnd& end);
};
