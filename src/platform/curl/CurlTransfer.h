#pragma once

#include <atomic>
#include <chrono>
#include <curl/curl.h>
#include <string>
#include <vector>

#include "download/ITransferService.h"

class CurlTransferService;

// One transfer as the curl thread sees it: the request, the file and what the response
// being read has said so far. The cancel flag and the byte count are read from other
// threads too.
struct CurlTransfer {
    using Clock = std::chrono::steady_clock;
    static constexpr size_t kMaxSetCookies = 50; // of one response
    // An error answer's body up to this size is read to its end and dropped, so the
    // connection stays open for the next request; a longer one ends the connection.
    static constexpr qint64 kMaxErrorBody = 64 * 1024;

    quint64 id = 0;
    std::string url; // the request's address: the link's, then each redirect's
    std::string origin; // the link's own scheme, host and port
    int hops = 0; // redirects followed
    bool redirecting = false; // the response read is a redirect the transfer follows
    bool tooManyRedirects = false;
    std::string tempPath;
    TransferRequest request;
    std::atomic<bool> cancelled { false };
    CurlTransferService* service = nullptr;
    CURL* curl = nullptr; // its own handle while it runs, in the worker's multi handle
    struct curl_slist* headerList = nullptr;
    std::string range;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    bool running = false; // taken by the worker
    bool rateHeld = false; // paused until the rate limit allows more
    // Bytes its share of the rate limit lets it receive now; below 0 after a block
    // larger than what was left, paid back before the next one.
    double rateAllowance = 0;

    int fd = -1;
    qint64 from = 0; // bytes kept from before; 0 once a restart empties the file
    std::atomic<qint64> written { 0 };
    int writeErrno = 0;
    bool headersSent = false;
    bool httpError = false;
    qint64 errorBodyRead = 0; // bytes of an error answer's body read and dropped
    // The response being read (a redirect or an interim answer starts a new one).
    long status = 0;
    std::string reason;
    qint64 contentLength = -1;
    bool acceptRanges = false;
    bool sawLocation = false;
    std::string retryAfter; // the header's text, empty when none
    std::string etag;
    std::string lastModified;
    std::string contentRange;
    std::string contentType;
    std::string disposition;
    std::vector<std::string> setCookies; // Set-Cookie values, for the next hop of a redirect
    qint64 total = -1; // the whole file's size the answer announced, -1 unknown
    bool badRange = false; // a range answer that does not fit the file kept
    Clock::time_point lastByte; // when the server last sent anything
    curl_off_t lastReceived = 0;
    bool stalled = false;
    qint64 reported = -1; // the byte count last pushed to the owner
    Clock::time_point reportedAt;

    // Keeps what the transfer needs of a field of the response's header (name in lower
    // case, both trimmed).
    void readField(const std::string& name, const std::string& value);
};
