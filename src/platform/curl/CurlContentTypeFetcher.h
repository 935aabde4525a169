#pragma once

#include <QString>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "builders/IContentTypeFetcher.h"

class QEventLoop;
class QObject;

// The content-type check over libcurl. The transfer runs on a worker thread as a GET
// (some servers answer HEAD differently) that follows redirects and is aborted as soon as
// the final response's header block is complete, so the body is never downloaded. The
// caller waits in a local event loop: the window keeps repainting and Esc reaches
// cancel().
class CurlContentTypeFetcher final : public IContentTypeFetcher
{
public:
    struct Options {
        long connectTimeoutSeconds = 15;
        long totalTimeoutSeconds = 60;
        long maxRedirects = 20;
    };

    CurlContentTypeFetcher();
    explicit CurlContentTypeFetcher(const Options& options);
    ~CurlContentTypeFetcher() override;

    Result<QString> fetchContentType(const QString& url) override;
    void cancel() override;

    // The same fetch without waiting: done receives the outcome later, on the interface
    // thread, unless context is gone or cancel() came first. Several fetches may run at
    // once, each on its own fetcher.
    void fetchContentTypeAsync(
        const QString& url, QObject* context, std::function<void(const Result<QString>&)> done);

    // Whether a fetch is waiting right now.
    bool isFetching() const { return m_loop != nullptr; }

private:
    struct Job;
    static void run(Job& job);
    static Result<QString> resultOf(const Job& job);
    static size_t onHeader(char* buffer, size_t size, size_t count, void* userdata);
    static size_t onBody(char* buffer, size_t size, size_t count, void* userdata);
    static int onProgress(void* userdata, std::int64_t, std::int64_t, std::int64_t, std::int64_t);

    Options m_options;
    std::shared_ptr<Job> m_job;
    QEventLoop* m_loop = nullptr;
};
