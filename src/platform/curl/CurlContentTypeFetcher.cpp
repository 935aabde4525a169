#include "platform/curl/CurlContentTypeFetcher.h"

#include <cctype>
#include <curl/curl.h>
#include <string>

#include "core/RequestUrl.h"
#include "platform/curl/CurlCall.h"
#include "platform/curl/CurlEngine.h"
#include "platform/curl/CurlMailbox.h"
#include "platform/curl/CurlSetup.h"
#include "platform/curl/HeaderText.h"
#include "platform/curl/TransferRules.h"

// One fetch as the worker sees it. The worker owns a reference, so a caller that stopped
// waiting (a cancel) never leaves it with freed memory.
struct CurlContentTypeFetcher::Job {
    std::string url;
    Options options;
    std::atomic<bool> cancelled { false };
    std::atomic<bool> finished { false };
    // Written by the worker before finished is set; read by the caller after.
    std::string contentType;
    std::string error; // why the header could not be read; empty when it could
    FailureKind failure = FailureKind::Other; // the kind of that failure
    bool headersComplete = false;
    long status = 0;
    bool sawLocation = false;
    // The request on the curl thread; its end callback holds the job, so the job lives
    // as long as the request does.
    std::shared_ptr<CurlCall> call;
};

using HeaderText::lower;
using HeaderText::trimmed;

// Reads header lines; a status line opens a new response (after a redirect or an interim
// 1xx answer), so only the last response's Content-Type survives. At the blank line that
// ends the final response's header block the transfer is aborted: the body is not wanted.
size_t CurlContentTypeFetcher::onHeader(char* buffer, size_t size, size_t count, void* userdata)
{
    auto* job = static_cast<Job*>(userdata);
    const size_t length = size * count;
    if (job->cancelled.load())
        return 0;
    const std::string line = trimmed(std::string(buffer, length));

    if (const auto status = HeaderText::statusLine(line)) {
        job->contentType.clear();
        job->sawLocation = false;
        job->status = status->status;
        return length;
    }
    if (line.empty()) {
        const bool interim = job->status >= 100 && job->status < 200;
        const bool redirect = job->status >= 300 && job->status < 400 && job->sawLocation
            && job->options.maxRedirects != 0;
        if (job->status != 0 && !interim && !redirect) {
            job->headersComplete = true;
            return 0;
        }
        return length;
    }
    const auto colon = line.find(':');
    if (colon == std::string::npos)
        return length;
    const std::string name = lower(trimmed(line.substr(0, colon)));
    if (name == "content-type")
        job->contentType = trimmed(line.substr(colon + 1));
    else if (name == "location")
        job->sawLocation = true;
    return length;
}

size_t CurlContentTypeFetcher::onBody(char*, size_t, size_t, void* userdata)
{
    // Only reached when the header block could not be recognised (for example a
    // protocol without one); the body is never wanted.
    static_cast<Job*>(userdata)->headersComplete = true;
    return 0;
}

int CurlContentTypeFetcher::onProgress(
    void* userdata, std::int64_t, std::int64_t, std::int64_t, std::int64_t)
{
    return static_cast<Job*>(userdata)->cancelled.load() ? 1 : 0;
}

// Sets up the request of job on call; its end fills in job.
void CurlContentTypeFetcher::prepare(CurlCall& call, Job& job)
{
    CurlSetup setup;
    setup.url = job.url;
    setup.maxRedirects = job.options.maxRedirects;
    setup.connectTimeoutSeconds = job.options.connectTimeoutSeconds;
    setup.onHeader = &CurlContentTypeFetcher::onHeader;
    setup.onBody = &CurlContentTypeFetcher::onBody;
    setup.onProgress = &CurlContentTypeFetcher::onProgress;
    setup.data = &job;
    setup.applyTo(call.handle());
    curl_easy_setopt(call.handle(), CURLOPT_TIMEOUT, job.options.totalTimeoutSeconds);
}

void CurlContentTypeFetcher::finish(Job& job, CURLcode code)
{
    // Our own abort after the headers shows as a write error; anything else that is not
    // success means the header cannot be trusted.
    const bool complete = code == CURLE_OK || (code == CURLE_WRITE_ERROR && job.headersComplete);
    if (!complete || job.cancelled.load())
        job.contentType.clear();
    if (!complete) {
        job.error = TransferRules::causeOf(code);
        job.failure = TransferRules::failureKindOfCode(code);
    }
}

CurlContentTypeFetcher::CurlContentTypeFetcher()
    : CurlContentTypeFetcher(Options {})
{
}

CurlContentTypeFetcher::CurlContentTypeFetcher(const Options& options)
    : m_options(options)
{
}

CurlContentTypeFetcher::~CurlContentTypeFetcher()
{
    cancel();
}

Result<QString> CurlContentTypeFetcher::resultOf(const Job& job)
{
    if (!job.error.empty())
        return Result<QString>::failed(
            QStringLiteral("The content type of %1 could not be read: %2")
                .arg(QString::fromStdString(job.url), QString::fromStdString(job.error)),
            job.failure);
    return Result<QString>::ok(QString::fromStdString(job.contentType));
}

void CurlContentTypeFetcher::fetchContentType(const QString& url, QObject* context, Done done)
{
    cancel();
    auto job = std::make_shared<Job>();
    job->url = RequestUrl(url).toStdString();
    job->options = m_options;
    job->call = std::make_shared<CurlCall>();
    m_job = job;
    prepare(*job->call, *job);
    // The fetcher may be gone when the answer arrives: only the job and the receiver
    // are touched then, and nothing reaches a receiver that is gone.
    const std::shared_ptr<CurlMailbox> mailbox = CurlMailbox::to(context);
    job->call->setEnded([job, mailbox, done = std::move(done)](CurlCall&, CURLcode code) {
        finish(*job, code);
        job->finished.store(true);
        mailbox->post([job, done] {
            if (!job->cancelled.load())
                done(resultOf(*job));
        });
    });
    CurlEngine::instance().start(job->call);
}

bool CurlContentTypeFetcher::isFetching() const
{
    return m_job && !m_job->finished.load();
}

void CurlContentTypeFetcher::cancel()
{
    if (!m_job)
        return;
    const std::shared_ptr<Job> job = std::exchange(m_job, nullptr);
    job->cancelled.store(true);
    job->call->cancel();
    CurlEngine::instance().wake();
}
