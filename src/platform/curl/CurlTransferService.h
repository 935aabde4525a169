#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "download/ITransferService.h"

// The transfer service over libcurl: HTTP, HTTPS, FTP and FTPS, redirects followed.
// One worker thread runs the transfers in the order started with one reused handle,
// so a job's files share their connection. Bodies are written straight to the file in
// large blocks: memory does not grow with the file size, and nothing crosses to the
// interface thread per block. The destructor cancels everything and joins the worker.
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
    void perform(void* curl, Transfer& transfer);
    static int request(void* curl, Transfer& transfer, char* errorBuffer);
    void sendHeaders(Transfer& transfer, void* curl);
    void post(quint64 id, const TransferEnd& end);
    static size_t onHeader(char* buffer, size_t size, size_t count, void* userdata);
    static size_t onBody(char* buffer, size_t size, size_t count, void* userdata);
    static int onProgress(
        void* userdata, std::int64_t, std::int64_t received, std::int64_t, std::int64_t);

    std::thread m_worker;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<Transfer>> m_queue;
    std::shared_ptr<Transfer> m_current;
    bool m_stopping = false;
    quint64 m_nextId = 1;
    std::atomic<quint64> m_runningId { 0 };
    std::atomic<qint64> m_runningBytes { 0 };
};
