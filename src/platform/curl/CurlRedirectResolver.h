#pragma once

#include <atomic>
#include <curl/curl.h>
#include <memory>
#include <vector>

#include "download/IRedirectResolver.h"

// The redirect resolution over libcurl, one request per address on the curl thread.
class CurlRedirectResolver final : public IRedirectResolver
{
public:
    using Request = RedirectQuery;
    using Outcome = RedirectOutcome;

    CurlRedirectResolver() = default;
    ~CurlRedirectResolver() override;

    void resolve(const RedirectQuery& query, QObject* context, Done done) override;
    void cancel() override;

    // Waits for the outcomes, for callers without an event loop (the command line). The
    // links are resolved at once; the outcomes come in the order of the requests.
    static QList<Outcome> resolveAll(const QList<Request>& requests);

private:
    struct Resolution;
    using Report = std::function<void(const Outcome&)>;
    // Starts the resolution; report runs on the curl thread with the outcome.
    static std::shared_ptr<Resolution> begin(const Request& request, Report report);
    static void ask(const std::shared_ptr<Resolution>& resolution);
    static void answered(const std::shared_ptr<Resolution>& resolution, CURLcode code);

    struct Running {
        std::weak_ptr<Resolution> resolution;
        std::shared_ptr<std::atomic<bool>> withdrawn;
    };
    std::vector<Running> m_running;
};
