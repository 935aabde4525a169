#pragma once

#include <QString>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <curl/curl.h>
#include <functional>
#include <memory>

#include "builders/IContentTypeFetcher.h"

class CurlCall;
class QObject;

// The content-type check over libcurl. The request runs on the curl thread as a GET
// (some servers answer HEAD differently) that follows redirects and is aborted as soon as
// the final response's header block is complete, so the body is never downloaded.
// Nothing waits for it: the outcome arrives through the event loop. Several fetches may
// run at once, each on its own fetcher.
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

    // done is always called later, from the event loop.
    void fetchContentType(const QString& url, QObject* context, Done done) override;
    void cancel() override;

    // Whether a fetch has been started and neither finished nor cancelled.
    bool isFetching() const;

private:
    struct Job;
    static void prepare(CurlCall& call, Job& job);
    static void finish(Job& job, CURLcode code);
    static Result<QString> resultOf(const Job& job);
    static size_t onHeader(char* buffer, size_t size, size_t count, void* userdata);
    static size_t onBody(char* buffer, size_t size, size_t count, void* userdata);
    static int onProgress(void* userdata, std::int64_t, std::int64_t, std::int64_t, std::int64_t);

    Options m_options;
    std::shared_ptr<Job> m_job; // the running fetch
};
