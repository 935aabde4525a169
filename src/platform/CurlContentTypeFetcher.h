#pragma once

#include <QString>
#include <atomic>
#include <memory>

#include "builders/IContentTypeFetcher.h"

// The content-type check over libcurl. The transfer runs on a worker thread as a GET
// (some servers answer HEAD differently) that follows redirects and is aborted as soon as
// the final response's header block is complete, so the body is never downloaded. The
// caller waits in a local event loop: the window keeps repainting and Esc reaches
// cancel().
class CurlContentTypeFetcher final : public IContentTypeFetcher {
public:
    struct Options {
        long connectTimeoutSeconds = 15;
        long totalTimeoutSeconds = 60;
        long maxRedirects = 20;
    };

    CurlContentTypeFetcher();
    explicit CurlContentTypeFetcher(const Options& options);
    ~CurlContentTypeFetcher() override;

    QString fetchContentType(const QString& url) override;
    void cancel() override;

    // Whether a fetch is waiting right now.
    bool isFetching() const { return m_fetching; }

private:
    Options m_options;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    bool m_fetching = false;
};
