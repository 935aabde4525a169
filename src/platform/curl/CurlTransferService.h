#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <curl/curl.h>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "download/ITransferService.h"
#include "platform/curl/CurlEngine.h"

class CurlMailbox;
struct CurlTransfer;

// The transfer service over libcurl: HTTP, HTTPS, FTP and FTPS, redirects followed.
// Every transfer started runs at once on the curl thread (CurlEngine), whose connection
// cache lets a job's files share their connections. Bodies are written straight to the
// file in large blocks: memory does not grow with the file size, and nothing crosses to
// the owner's thread per block; the byte count is pushed at most every 100 ms. The
// destructor ends every transfer still running before it returns.
class CurlTransferService final : public ITransferService, private CurlEngine::Client
{
    Q_OBJECT
public:
    explicit CurlTransferService(QObject* parent = nullptr);
    ~CurlTransferService() override;

    quint64 start(const TransferRequest& request) override;
    void cancel(quint64 id) override;
    qint64 bytesInFile(quint64 id) const override;

private:
    using Transfer = CurlTransfer;
    using Clock = std::chrono::steady_clock;
    // CurlEngine::Client, on the curl thread.
    void serve() override;
    void ended(CURL* handle, CURLcode code) override;
    void stop() override;
    int pollMilliseconds() const override;

    // Opens the file and adds the transfer's first request; false when it ended at once.
    bool begin(Transfer& transfer);
    void prepare(Transfer& transfer);
    // A request has ended; true when the transfer goes on with another request.
    bool requestDone(Transfer& transfer, int code);
    void end(Transfer& transfer, int code);
    void endCancelled(Transfer& transfer);
    void refillRate();
    // Each limited transfer's part of the limit: the limit split evenly among the running
    // transfers that carry one (counting a transfer not yet among them as one more).
    double rateShare(qint64 limit, bool counted) const;
    void sendHeaders(Transfer& transfer, void* curl);
    void reportProgress(Transfer& transfer, Clock::time_point now);
    // The final byte count, then the end.
    void postEnd(Transfer& transfer, const TransferEnd& end);
    void post(quint64 id, const TransferEnd& end);
    static size_t onHeader(char* buffer, size_t size, size_t count, void* userdata);
    static size_t onBody(char* buffer, size_t size, size_t count, void* userdata);
    static int onProgress(
        void* userdata, std::int64_t, std::int64_t received, std::int64_t, std::int64_t);

    std::shared_ptr<CurlMailbox> m_mailbox;
    mutable std::mutex m_mutex;
    std::deque<std::shared_ptr<Transfer>> m_queue; // started, not yet taken by the worker
    // Queued and running, until their end is delivered.
    std::unordered_map<quint64, std::shared_ptr<Transfer>> m_byId;
    std::vector<std::shared_ptr<Transfer>> m_running; // the curl thread's own
    // The curl thread's: when the running transfers' shares of the rate limit were last
    // topped up.
    Clock::time_point m_rateRefilled = Clock::now();
    quint64 m_nextId = 1;
};
