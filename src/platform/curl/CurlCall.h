#pragma once

#include <atomic>
#include <curl/curl.h>
#include <functional>

// One request run by the CurlEngine: an easy handle the caller sets up, and what to do
// on the engine's thread when it ends (with CURLE_ABORTED_BY_CALLBACK when it was
// cancelled or the engine stopped). The call owns its handle and header list.
class CurlCall final
{
public:
    using Ended = std::function<void(CurlCall& call, CURLcode code)>;

    CurlCall();
    ~CurlCall();
    CurlCall(const CurlCall&) = delete;
    CurlCall& operator=(const CurlCall&) = delete;

    CURL* handle() const { return m_handle; }
    // Header lines sent with the request; the call frees them.
    void setHeaders(curl_slist* headers);
    void setEnded(Ended ended) { m_ended = std::move(ended); }

    // From any thread: the call ends as aborted at the engine's next round.
    void cancel() { m_cancelled.store(true); }
    bool isCancelled() const { return m_cancelled.load(); }

    // The engine's: runs the end callback once.
    void end(CURLcode code);

private:
    CURL* m_handle;
    curl_slist* m_headers = nullptr;
    Ended m_ended;
    std::atomic<bool> m_cancelled { false };
    bool m_done = false;
};
