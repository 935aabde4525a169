#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "download/ITransferService.h"

// The transfer service over libcurl: HTTP, HTTPS, FTP and FTPS, redirects followed.
// One worker thread runs every transfer started at once through one multi handle, whose
// connection cache lets a job's files share their connections. Bodies are written straight
// to the file in large blocks: memory does not grow with the file size, and nothing crosses
// to the interface thread per block. The destructor cancels everything and joins the worker.
class CurlTransferService final : public ITransferService
{
    Q_OBJECT
public:
    explicit CurlTransferService(QObject* parent = nullptr);
    ~CurlTransferService() override;

    quint64 start(const TransferRequest& request) override;
    void cancel(quint64 id) override;
    qint64 bytesInFile(quint64 id) const override;

private:
    struct Transfer;
    void workerLoop();
    // Opens the file and adds the transfer's first request; false when it ended at once.
    bool begin(Transfer& transfer);
    void prepare(Transfer& transfer);
    // A request has ended; true when the transfer goes on with another request.
    bool requestDone(Transfer& transfer, int code);
    void end(Transfer& transfer, int code);
    void endCancelled(Transfer& transfer);
    void refillRate();
    void sendHeaders(Transfer& transfer, void* curl);
    void post(quint64 id, const TransferEnd& end);
    static size_t onHeader(char* buffer, size_t size, size_t count, void* userdata);
    static size_t onBody(char* buffer, size_t size, size_t count, void* userdata);
    static int onProgress(
        void* userdata, std::int64_t, std::int64_t received, std::int64_t, std::int64_t);

    std::thread m_worker;
    void* m_multi = nullptr;
    mutable std::mutex m_mutex;
    std::deque<std::shared_ptr<Transfer>> m_queue; // started, not yet taken by the worker
    std::unordered_map<quint64, std::shared_ptr<Transfer>> m_byId; // queued and running
    std::vector<std::shared_ptr<Transfer>> m_running; // the worker's own
    // The worker's: the rate limit of the running transfers and the bytes it still allows.
    qint64 m_rateLimit = 0;
    double m_rateAllowance = 0;
    std::chrono::steady_clock::time_point m_rateRefilled = std::chrono::steady_clock::now();
    bool m_stopping = false;
    quint64 m_nextId = 1;
};
