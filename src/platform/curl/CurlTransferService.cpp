#include "platform/curl/CurlTransferService.h"

#include <QFile>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <curl/curl.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "download/NetscapeCookies.h"
#include "platform/curl/CurlEngine.h"
#include "platform/curl/CurlMailbox.h"
#include "platform/curl/CurlRequestOptions.h"
#include "platform/curl/CurlSetup.h"
#include "platform/curl/CurlTransfer.h"
#include "platform/curl/HeaderText.h"
#include "platform/curl/ServerCookies.h"
#include "platform/curl/TransferRules.h"

namespace
{

constexpr long kReceiveBuffer = 512 * 1024;
constexpr long kLimitedReceiveBuffer = 16 * 1024;
// The byte count is pushed to the owner at most this often per transfer.
constexpr auto kProgressInterval = std::chrono::milliseconds(100);

using Clock = std::chrono::steady_clock;
using HeaderText::lower;
using HeaderText::trimmed;
using namespace TransferRules;

} // namespace

CurlTransferService::CurlTransferService(QObject* parent)
    : ITransferService(parent)
    , m_mailbox(CurlMailbox::to(this))
{
    CurlEngine::instance().enter(this);
}

CurlTransferService::~CurlTransferService()
{
    // Nothing is delivered any more; the engine ends what still runs before it lets go.
    m_mailbox->close();
    {
        std::lock_guard lock(m_mutex);
        m_queue.clear();
    }
    CurlEngine::instance().leave(this);
}

quint64 CurlTransferService::start(const TransferRequest& request)
{
    auto transfer = std::make_shared<Transfer>();
    transfer->id = m_nextId++;
    transfer->url = request.url.toStdString();
    transfer->origin = originOf(transfer->url);
    transfer->tempPath = QFile::encodeName(request.tempPath).toStdString();
    transfer->request = request;
    transfer->service = this;
    if (const QString problem = requestProblem(request); !problem.isEmpty()) {
        TransferEnd end;
        end.errorText = QStringLiteral("Not sent: %1.").arg(problem);
        post(transfer->id, end);
        return transfer->id;
    }
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(transfer);
        m_byId.emplace(transfer->id, transfer);
    }
    CurlEngine::instance().wake();
    return transfer->id;
}

void CurlTransferService::cancel(quint64 id)
{
    std::lock_guard lock(m_mutex);
    const auto found = m_byId.find(id);
    if (found == m_byId.end())
        return;
    found->second->cancelled.store(true);
    for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
        if ((*it)->id == id) {
            m_queue.erase(it);
            m_byId.erase(id);
            TransferEnd end;
            end.kind = TransferEnd::Kind::Cancelled;
            post(id, end);
            return;
        }
    }
    CurlEngine::instance().wake();
}

qint64 CurlTransferService::bytesInFile(quint64 id) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_byId.find(id);
    return found != m_byId.end() && found->second->running ? found->second->written.load() : 0;
}

// A transfer that ran stays known until its end is delivered, so its byte count never
// reads 0 between the last block and finished.
void CurlTransferService::post(quint64 id, const TransferEnd& end)
{
    m_mailbox->post([this, id, end] {
        {
            std::lock_guard lock(m_mutex);
            m_byId.erase(id);
        }
        emit finished(id, end);
    });
}

void CurlTransferService::postEnd(Transfer& t, const TransferEnd& end)
{
    t.reported = end.bytesInFile;
    const quint64 id = t.id;
    const qint64 bytes = end.bytesInFile;
    m_mailbox->post([this, id, bytes] { emit progressed(id, bytes); });
    post(id, end);
}

void CurlTransferService::reportProgress(Transfer& t, Clock::time_point now)
{
    const qint64 bytes = t.written.load();
    if (bytes == t.reported || now - t.reportedAt < kProgressInterval)
        return;
    t.reported = bytes;
    t.reportedAt = now;
    const quint64 id = t.id;
    m_mailbox->post([this, id, bytes] { emit progressed(id, bytes); });
}

void CurlTransferService::serve()
{
    std::deque<std::shared_ptr<Transfer>> incoming;
    {
        std::lock_guard lock(m_mutex);
        incoming.swap(m_queue);
        for (const auto& transfer : incoming)
            transfer->running = true;
    }
    for (const auto& transfer : incoming) {
        if (begin(*transfer))
            m_running.push_back(transfer);
    }
    for (auto it = m_running.begin(); it != m_running.end();) {
        if (!(*it)->cancelled.load()) {
            ++it;
            continue;
        }
        endCancelled(**it);
        it = m_running.erase(it);
    }
    refillRate();
    const Clock::time_point now = Clock::now();
    for (const auto& transfer : m_running)
        reportProgress(*transfer, now);
}

void CurlTransferService::ended(CURL* handle, CURLcode code)
{
    const auto found = std::find_if(
        m_running.begin(), m_running.end(), [&](const auto& t) { return t->curl == handle; });
    if (found == m_running.end())
        return;
    const std::shared_ptr<Transfer> transfer = *found;
    if (requestDone(*transfer, code)) {
        CurlEngine::instance().add(transfer->curl, this);
        return;
    }
    end(*transfer, code);
    m_running.erase(std::find(m_running.begin(), m_running.end(), transfer));
}

void CurlTransferService::stop()
{
    for (const auto& transfer : m_running)
        endCancelled(*transfer);
    m_running.clear();
}

int CurlTransferService::pollMilliseconds() const
{
    const bool held = std::any_of(
        m_running.begin(), m_running.end(), [](const auto& t) { return t->rateHeld; });
    if (held)
        return 10;
    return m_running.empty() ? 250 : int(kProgressInterval.count());
}

double CurlTransferService::rateShare(qint64 limit, bool counted) const
{
    const auto limited = std::count_if(m_running.begin(), m_running.end(),
        [](const auto& t) { return t->request.sharedRateLimit > 0; });
    return double(limit) / double(std::max<std::ptrdiff_t>(1, limited + (counted ? 0 : 1)));
}

// Gives every running transfer its share of the rate limit for the time since the last
// call, and lets those whose share allows more go on. The limit is split evenly, so no
// transfer takes all of it while the others wait; the split follows the running count.
void CurlTransferService::refillRate()
{
    qint64 limit = 0;
    for (const auto& t : m_running)
        limit = std::max(limit, t->request.sharedRateLimit);
    const Clock::time_point now = Clock::now();
    const double seconds = std::chrono::duration<double>(now - m_rateRefilled).count();
    m_rateRefilled = now;
    if (limit <= 0)
        return;
    const double share = rateShare(limit, true);
    // A small burst only, so the rate holds over short files too.
    const double burst = std::max(1024.0, share / 10);
    for (const auto& t : m_running) {
        if (t->request.sharedRateLimit <= 0)
            continue;
        t->rateAllowance = std::min(burst, t->rateAllowance + seconds * share);
        if (t->rateHeld && t->rateAllowance > 0) {
            t->rateHeld = false;
            // Held back by the limit, not by the server: the stall clock starts again.
            t->lastByte = now;
            curl_easy_pause(t->curl, CURLPAUSE_CONT);
        }
    }
}

size_t CurlTransferService::onHeader(char* buffer, size_t size, size_t count, void* userdata)
{
    auto* t = static_cast<Transfer*>(userdata);
    const size_t length = size * count;
    const std::string line = trimmed(std::string(buffer, length));
    t->lastByte = Clock::now();
    if (const auto status = HeaderText::statusLine(line)) {
        t->status = status->status;
        t->reason = status->reason;
        t->redirecting = false;
        t->contentLength = -1;
        t->acceptRanges = false;
        t->sawLocation = false;
        t->retryAfter.clear();
        t->etag.clear();
        t->lastModified.clear();
        t->contentRange.clear();
        t->contentType.clear();
        t->disposition.clear();
        t->setCookies.clear();
        return length;
    }
    if (line.empty()) {
        const bool interim = t->status >= 100 && t->status < 200;
        const bool redirect
            = t->status >= 300 && t->status < 400 && t->sawLocation && t->request.maxRedirects != 0;
        if (redirect && t->request.maxRedirects > 0 && t->hops >= t->request.maxRedirects)
            t->tooManyRedirects = true;
        else if (redirect)
            t->redirecting = true;
        if (t->status != 0 && !interim && !redirect && t->status >= 400)
            t->httpError = true;
        return length;
    }
    const auto colon = line.find(':');
    if (colon == std::string::npos)
        return length;
    t->readField(lower(trimmed(line.substr(0, colon))), trimmed(line.substr(colon + 1)));
    return length;
}

void CurlTransferService::sendHeaders(Transfer& t, void* curl)
{
    t.headersSent = true;
    TransferHeaders headers;
    headers.status = static_cast<int>(t.status);
    qint64 length = t.contentLength;
    if (t.status == 0) {
        curl_off_t known = -1;
        if (curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &known) == CURLE_OK)
            length = known;
    }
    if (t.status == 206) {
        qint64 first = 0;
        parseContentRange(t.contentRange, &first, &t.total);
    } else if (t.status == 200) {
        t.total = length;
    }
    // A range answer gives the length of the rest; the file also holds what was kept.
    if (t.status == 206)
        headers.size = t.total > 0 ? t.total : -1;
    else
        headers.size = length > 0 ? length + (t.status == 0 ? t.from : 0) : -1;
    // A weak ETag cannot be sent as If-Range; Last-Modified can.
    const bool strongTag = !t.etag.empty() && t.etag.rfind("W/", 0) != 0;
    headers.validator = QString::fromLatin1(strongTag ? t.etag : t.lastModified);
    headers.contentType = QString::fromLatin1(HeaderText::mediaType(t.contentType));
    headers.serverName = QString::fromUtf8(HeaderText::dispositionFileName(t.disposition));
    if (!t.lastModified.empty())
        headers.lastModified = static_cast<qint64>(curl_getdate(t.lastModified.c_str(), nullptr));
    const quint64 id = t.id;
    m_mailbox->post([this, id, headers] { emit headersReceived(id, headers); });
}

size_t CurlTransferService::onBody(char* buffer, size_t size, size_t count, void* userdata)
{
    auto* t = static_cast<Transfer*>(userdata);
    const size_t length = size * count;
    if (t->tooManyRedirects || t->cancelled.load())
        return 0;
    if (t->httpError) {
        t->errorBodyRead += static_cast<qint64>(length);
        return t->errorBodyRead <= CurlTransfer::kMaxErrorBody ? length : 0;
    }
    if (t->redirecting)
        return length; // a redirect's own body is not the file
    // Over the rate limit the transfer is held (libcurl keeps this block and stops reading
    // the connection) until the worker lets it go on.
    if (t->request.sharedRateLimit > 0) {
        if (t->rateAllowance <= 0) {
            t->rateHeld = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        t->rateAllowance -= double(length);
    }
    if (!t->headersSent) {
        if (t->status == 206) {
            // Only the rest of the same file may be appended: the range must start at
            // the first byte missing, and the size must be the one the kept bytes had.
            qint64 first = -1;
            qint64 total = -1;
            if (!parseContentRange(t->contentRange, &first, &total) || first != t->from || total < 0
                || (t->request.expectedTotal >= 0 && total != t->request.expectedTotal)) {
                t->badRange = true;
                return 0;
            }
        } else if (t->from > 0 && t->status == 200) {
            // A server that ignored the range (or whose file changed, by If-Range) sends
            // the whole file again.
            if (::ftruncate(t->fd, 0) != 0 || ::lseek(t->fd, 0, SEEK_SET) != 0) {
                t->writeErrno = errno;
                return 0;
            }
            t->written = 0;
            t->from = 0;
        }
        t->service->sendHeaders(*t, t->curl);
    }
    size_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(t->fd, buffer + done, length - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            t->writeErrno = errno;
            return 0;
        }
        done += static_cast<size_t>(n);
    }
    t->written.fetch_add(static_cast<qint64>(length), std::memory_order_relaxed);
    return length;
}

int CurlTransferService::onProgress(
    void* userdata, std::int64_t, std::int64_t received, std::int64_t, std::int64_t)
{
    auto* t = static_cast<Transfer*>(userdata);
    if (t->cancelled.load())
        return 1;
    const Clock::time_point now = Clock::now();
    // A transfer the rate limit holds back receives what the limit allows: it is not
    // stalled.
    if (received != t->lastReceived || t->rateHeld) {
        t->lastReceived = received;
        t->lastByte = now;
    }
    if (now - t->lastByte > std::chrono::seconds(t->request.stallTimeoutSeconds)) {
        t->stalled = true;
        return 1;
    }
    return 0;
}

// Sets up the next request of the transfer; the file is open and holds t.from bytes.
void CurlTransferService::prepare(Transfer& t)
{
    CURL* curl = t.curl;
    const TransferRequest& r = t.request;
    t.headersSent = false;
    t.httpError = false;
    t.errorBodyRead = 0;
    t.badRange = false;
    t.redirecting = false;
    t.status = 0;
    t.total = -1;
    t.lastByte = Clock::now();
    t.lastReceived = 0;
    t.errorBuffer[0] = '\0';

    curl_easy_reset(curl);
    CurlSetup setup;
    setup.url = t.url;
    // Redirects are followed here, request by request, so that each one carries only
    // the cookies and credentials meant for its own host.
    setup.maxRedirects = 0;
    setup.connectTimeoutSeconds = r.connectTimeoutSeconds;
    if (!r.userAgent.isEmpty())
        setup.userAgent = r.userAgent.toStdString();
    setup.onHeader = &CurlTransferService::onHeader;
    setup.onBody = &CurlTransferService::onBody;
    setup.onProgress = &CurlTransferService::onProgress;
    setup.data = &t;
    setup.applyTo(curl);
    curl_easy_setopt(curl, CURLOPT_PRIVATE, &t);
    // A stretch with no byte at all is caught by onProgress; a trickle by the average,
    // which never asks for more than half of what the transfer's share of a rate limit
    // lets through.
    const bool counted = std::any_of(
        m_running.begin(), m_running.end(), [&](const auto& other) { return other.get() == &t; });
    const double share = r.sharedRateLimit > 0 ? rateShare(r.sharedRateLimit, counted) : 0;
    long lowSpeed = r.lowSpeedBytesPerSecond;
    if (share > 0)
        lowSpeed = std::min(lowSpeed, std::max(1L, static_cast<long>(share / 2)));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, lowSpeed);
    curl_easy_setopt(
        curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(std::max(60, r.stallTimeoutSeconds)));
    // Under a rate limit small reads keep the pace even: a block is at most about an
    // eighth of a second of the limit, so a low limit never holds a transfer for long.
    const long limitedBuffer
        = std::clamp(static_cast<long>(r.sharedRateLimit / 8), 1024L, kLimitedReceiveBuffer);
    curl_easy_setopt(
        curl, CURLOPT_BUFFERSIZE, r.sharedRateLimit > 0 ? limitedBuffer : kReceiveBuffer);
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, t.errorBuffer);

    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(t.headerList);
    t.headerList = nullptr;
    if (t.from > 0) {
        t.range = std::to_string(t.from) + "-";
        curl_easy_setopt(curl, CURLOPT_RANGE, t.range.c_str());
        if (!r.validator.isEmpty()) {
            const std::string ifRange = "If-Range: " + r.validator.toStdString();
            t.headerList = curl_slist_append(t.headerList, ifRange.c_str());
        }
    }
    const bool ownOrigin = originOf(t.url) == t.origin;
    CurlRequestOptions::apply(curl, r, ownOrigin);
    for (const QString& line : r.headers) {
        if (ownOrigin || !isCredentialHeader(line))
            t.headerList = curl_slist_append(t.headerList, line.toUtf8().constData());
    }
    if (t.headerList)
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, t.headerList);
    if (!r.referer.isEmpty())
        curl_easy_setopt(curl, CURLOPT_REFERER, r.referer.toUtf8().constData());
    // The cookies this address admits, by the same rules the aria2 hand-off uses;
    // libcurl's own cookie engine stays off, so it adds none of its choosing.
    const QString cookie = NetscapeCookies::headerFor(r.cookies, QString::fromStdString(t.url));
    if (!cookie.isEmpty())
        curl_easy_setopt(curl, CURLOPT_COOKIE, cookie.toUtf8().constData());
}

bool CurlTransferService::begin(Transfer& t)
{
    TransferEnd end;
    const TransferRequest& r = t.request;

    // A fresh transfer creates (or empties) the file; a resumed one keeps its first
    // resumeFrom bytes. A symbolic link in its place is never followed, except the
    // caller's own open file named as /proc/self/fd/N: that reaches the very file it
    // holds. An empty file is not truncated: on ext4 that would make its close wait for
    // the data to be written.
    const bool callersFile = t.tempPath.rfind("/proc/self/fd/", 0) == 0;
    t.fd = t.cancelled.load()
        ? -1
        : ::open(t.tempPath.c_str(),
            O_WRONLY | O_CLOEXEC | (callersFile ? 0 : O_CREAT | O_NOFOLLOW), 0666);
    // Checked again after the open: a caller closes its descriptor only after cancelling,
    // so a transfer not cancelled by now has opened the caller's file, not a later one
    // that took its number.
    if (t.cancelled.load()) {
        endCancelled(t);
        return false;
    }
    struct stat info;
    if (t.fd < 0 || ::fstat(t.fd, &info) != 0
        || (info.st_size != r.resumeFrom && ::ftruncate(t.fd, r.resumeFrom) != 0)
        || (r.resumeFrom > 0 && ::lseek(t.fd, r.resumeFrom, SEEK_SET) != r.resumeFrom)) {
        end.localError = true;
        end.errorText = QString::fromLocal8Bit(std::strerror(errno));
        if (t.fd >= 0)
            ::close(t.fd);
        t.fd = -1;
        postEnd(t, end);
        return false;
    }
    t.from = r.resumeFrom;
    t.written = r.resumeFrom;
    t.curl = curl_easy_init();
    prepare(t);
    CurlEngine::instance().add(t.curl, this);
    return true;
}

bool CurlTransferService::requestDone(Transfer& t, int code)
{
    if (t.redirecting && code == CURLE_OK && !t.cancelled.load() && t.writeErrno == 0) {
        char* next = nullptr;
        if (curl_easy_getinfo(t.curl, CURLINFO_REDIRECT_URL, &next) == CURLE_OK && next) {
            // A sign-in often sets its cookie on the way: the next hops carry it where
            // the cookie rules admit it.
            t.request.cookies += ServerCookies::lines(t.setCookies, QString::fromStdString(t.url));
            t.url = next;
            ++t.hops;
            prepare(t);
            return true;
        }
    }
    if (!t.badRange || t.from == 0 || t.cancelled.load() || t.writeErrno != 0)
        return false;
    // The range answer does not continue the bytes kept: start the file again.
    if (::ftruncate(t.fd, 0) != 0 || ::lseek(t.fd, 0, SEEK_SET) != 0) {
        t.writeErrno = errno;
        return false;
    }
    (void)code;
    t.from = 0;
    t.written = 0;
    prepare(t);
    return true;
}

void CurlTransferService::endCancelled(Transfer& t)
{
    if (t.curl) {
        CurlEngine::instance().remove(t.curl);
        curl_easy_cleanup(t.curl);
        t.curl = nullptr;
    }
    curl_slist_free_all(t.headerList);
    t.headerList = nullptr;
    if (t.fd >= 0)
        ::close(t.fd);
    t.fd = -1;
    // The file stays: the caller keeps it to resume from later.
    TransferEnd end;
    end.kind = TransferEnd::Kind::Cancelled;
    end.bytesInFile = t.written;
    postEnd(t, end);
}

void CurlTransferService::end(Transfer& t, int result)
{
    CURL* curl = t.curl;
    const auto code = static_cast<CURLcode>(result);
    TransferEnd end;
    const TransferRequest& r = t.request;
    if (!t.headersSent && code == CURLE_OK && !t.httpError)
        sendHeaders(t, curl);
    if (::close(t.fd) != 0 && t.writeErrno == 0 && code == CURLE_OK)
        t.writeErrno = errno;
    t.fd = -1;
    const std::string scheme = lower(t.url.substr(0, t.url.find(':')));
    end.bytesInFile = t.written;
    end.resumable = t.acceptRanges || t.status == 206 || scheme == "ftp" || scheme == "ftps";
    if (t.cancelled.load()) {
        end.kind = TransferEnd::Kind::Cancelled;
    } else if (t.writeErrno != 0) {
        end.localError = true;
        end.failure = FailureKind::FileSystem;
        end.errorText = QString::fromLocal8Bit(std::strerror(t.writeErrno));
    } else if (t.tooManyRedirects) {
        end.errorCode = CURLE_TOO_MANY_REDIRECTS;
        end.errorText = QStringLiteral("Maximum (%1) redirects followed").arg(r.maxRedirects);
        end.failure = FailureKind::Network;
    } else if (t.httpError) {
        end.errorCode = t.status;
        end.errorText = t.reason.empty() ? reasonFor(t.status) : QString::fromStdString(t.reason);
        end.transient = transientStatus(t.status);
        end.failure = failureKindOfStatus(t.status);
        // libcurl reads both forms, seconds and a date; it gives 0 for no header, for
        // one it cannot read and for a date already past.
        curl_off_t wait = 0;
        if (!t.retryAfter.empty()
            && curl_easy_getinfo(curl, CURLINFO_RETRY_AFTER, &wait) == CURLE_OK
            && (wait > 0 || parseCount(t.retryAfter) == 0))
            end.retryAfterSeconds = static_cast<int>(std::min<curl_off_t>(wait, 24 * 3600));
        end.resumable = false;
    } else if (t.badRange) {
        end.errorCode = CURLE_RANGE_ERROR;
        end.errorText
            = QStringLiteral("The server answered with a part of the file that was not asked for.");
        end.failure = FailureKind::Server;
    } else if (t.stalled) {
        end.errorCode = CURLE_OPERATION_TIMEDOUT;
        end.errorText
            = QStringLiteral("No data received for %1 seconds").arg(r.stallTimeoutSeconds);
        end.transient = true;
        end.failure = FailureKind::Network;
    } else if (code == CURLE_OK && r.ifModifiedSince >= 0
        && CurlRequestOptions::conditionUnmet(curl)) {
        // A 304, or a Last-Modified no newer than the copy kept: libcurl read no body.
        end.kind = TransferEnd::Kind::Complete;
        end.notModified = true;
    } else if (code == CURLE_OK && t.total >= 0 && t.written != t.total) {
        // Never a complete file whose length disagrees with what the server announced.
        end.errorCode = CURLE_PARTIAL_FILE;
        end.errorText = QStringLiteral("The server announced %1 bytes and sent %2")
                            .arg(QString::number(t.total), QString::number(t.written));
        end.transient = true;
        end.failure = FailureKind::Network;
        end.resumable = false;
    } else if (code == CURLE_OK) {
        end.kind = TransferEnd::Kind::Complete;
    } else {
        end.errorCode = static_cast<long>(code);
        end.errorText
            = QString::fromUtf8(t.errorBuffer[0] ? t.errorBuffer : curl_easy_strerror(code));
        end.transient = transientCode(code);
        end.failure = failureKindOfCode(code);
    }
    curl_easy_cleanup(curl);
    t.curl = nullptr;
    curl_slist_free_all(t.headerList);
    t.headerList = nullptr;
    postEnd(t, end);
}
