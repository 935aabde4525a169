#include "pictures/PictureFetcher.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <QUrl>

#include "core/HeaderField.h"

namespace
{

// A validator goes back as the condition it came as: an entity tag or a date.
QString conditionFor(const QString& validator)
{
    if (validator.isEmpty() || !HeaderField::valueProblem(validator).isEmpty())
        return QString();
    const bool tag = validator.startsWith('"') || validator.startsWith("W/");
    return (tag ? QStringLiteral("If-None-Match: ") : QStringLiteral("If-Modified-Since: "))
        + validator;
}

} // namespace

PictureFetcher::PictureFetcher(
    ITransferService* transfers, PictureCache* cache, PictureFetchOptions options, QObject* parent)
    : QObject(parent)
    , m_transfers(transfers)
    , m_cache(cache)
    , m_options(std::move(options))
{
    m_pool.setMaxThreadCount(qBound(1, QThread::idealThreadCount(), 2));
    connect(transfers, &ITransferService::headersReceived, this, &PictureFetcher::onHeaders);
    connect(transfers, &ITransferService::progressed, this, &PictureFetcher::onProgress);
    connect(transfers, &ITransferService::finished, this, &PictureFetcher::onFinished);
}

PictureFetcher::~PictureFetcher()
{
    cancelAll();
    m_pool.clear();
    m_pool.waitForDone();
}

void PictureFetcher::request(const PictureRequest& request)
{
    if (request.url.isEmpty())
        return;
    if (auto job = m_jobs.find(request.url); job != m_jobs.end()) {
        job->request.thumbnail = job->request.thumbnail || request.thumbnail;
        return;
    }
    Job job;
    job.request = request;
    job.whole = request.thumbnail;
    if (std::optional<CachedPicture> cached = m_cache->find(request.url, request.thumbnail)) {
        const PictureFacts& facts = cached->facts;
        const bool enough = !request.thumbnail || !cached->thumbnail.isNull()
            || !facts.reason.isEmpty() || facts.state == PictureFacts::State::Failed;
        QMetaObject::invokeMethod(
            this,
            [this, url = request.url, copy = *cached] {
                emit pictureReady(url, copy.facts, copy.thumbnail);
            },
            Qt::QueuedConnection);
        if (enough && (facts.validator.isEmpty() || m_checked.contains(request.url)))
            return;
        if (enough) {
            job.revalidating = true;
            job.whole = !cached->thumbnail.isNull();
        }
        job.cached = *cached;
    }
    enqueue(std::move(job), false);
}

void PictureFetcher::prioritize(const QStringList& urls)
{
    QStringList first;
    for (const QString& url : urls) {
        if (m_waiting.removeOne(url))
            first.append(url);
    }
    m_waiting = first + m_waiting;
}

void PictureFetcher::setSession(const QStringList& cookies, const QString& userAgent)
{
    m_options.cookies = cookies;
    m_options.userAgent = userAgent;
}

void PictureFetcher::cancelAll()
{
    m_waiting.clear();
    const QList<quint64> running = m_byTransfer.keys();
    m_byTransfer.clear();
    for (Job& job : m_jobs) {
        if (job.deadline)
            job.deadline->deleteLater();
        if (!job.path.isEmpty())
            QFile::remove(job.path);
    }
    m_jobs.clear();
    m_runningPerHost.clear();
    m_running = 0;
    if (m_transfers) {
        for (quint64 id : running)
            m_transfers->cancel(id);
    }
}

void PictureFetcher::enqueue(Job job, bool front)
{
    const QString url = job.request.url;
    job.host = QUrl(url).host();
    m_jobs.insert(url, std::move(job));
    if (front)
        m_waiting.prepend(url);
    else
        m_waiting.append(url);
    pump();
}

void PictureFetcher::pump()
{
    for (qsizetype i = 0; i < m_waiting.size() && m_running < m_options.atOnce;) {
        Job& job = m_jobs[m_waiting.at(i)];
        if (m_runningPerHost.value(job.host) >= m_options.perHost) {
            ++i;
            continue;
        }
        m_waiting.removeAt(i);
        startJob(job);
    }
}

QStringList PictureFetcher::requestHeaders(const Job& job) const
{
    QStringList headers;
    if (!job.whole)
        headers.append(QStringLiteral("Range: bytes=0-%1").arg(m_options.headBytes - 1));
    if (job.revalidating) {
        if (const QString condition = conditionFor(job.cached.facts.validator);
            !condition.isEmpty())
            headers.append(condition);
    }
    return headers;
}

void PictureFetcher::startJob(Job& job)
{
    if (!m_transfers) {
        finishJob(job.request.url, PictureFacts {}, QImage());
        return;
    }
    ++m_running;
    ++m_runningPerHost[job.host];
    job.path = m_dir.filePath(QString::number(++m_fileNumber));
    job.headers = TransferHeaders {};
    job.notModified = false;
    job.cutShort = false;
    job.failure.clear();

    TransferRequest r;
    r.url = job.request.url;
    r.tempPath = job.path;
    r.headers = requestHeaders(job);
    if (HeaderField::valueProblem(job.request.referer).isEmpty())
        r.referer = job.request.referer;
    if (HeaderField::valueProblem(m_options.userAgent).isEmpty())
        r.userAgent = m_options.userAgent;
    r.cookies = m_options.cookies;
    r.connectTimeoutSeconds = m_options.connectTimeoutSeconds;
    r.stallTimeoutSeconds = m_options.stallTimeoutSeconds;
    r.maxRedirects = 10;
    job.transfer = m_transfers->start(r);
    m_byTransfer.insert(job.transfer, job.request.url);

    if (!job.deadline) {
        job.deadline = new QTimer(this);
        job.deadline->setSingleShot(true);
        const QString url = job.request.url;
        connect(job.deadline, &QTimer::timeout, this, [this, url] {
            auto found = m_jobs.find(url);
            if (found == m_jobs.end() || found->transfer == 0)
                return;
            found->failure = tr("No answer within %1 s").arg(m_options.timeoutSeconds);
            m_transfers->cancel(found->transfer);
        });
        job.deadline->start(m_options.timeoutSeconds * 1000);
    }
}

void PictureFetcher::onHeaders(quint64 id, const TransferHeaders& headers)
{
    auto url = m_byTransfer.constFind(id);
    if (url == m_byTransfer.constEnd())
        return;
    Job& job = m_jobs[*url];
    job.headers = headers;
    job.notModified = headers.status == 304;
}

void PictureFetcher::onProgress(quint64 id, qint64 bytes)
{
    auto url = m_byTransfer.constFind(id);
    if (url == m_byTransfer.constEnd())
        return;
    Job& job = m_jobs[*url];
    if (!job.whole && bytes >= m_options.headBytes && job.headers.status != 206) {
        // The server ignored the range: the head is in the file already.
        job.cutShort = true;
        m_transfers->cancel(id);
    } else if (bytes > m_options.maxBytes) {
        job.failure = tr("Larger than %1 MiB").arg(m_options.maxBytes / (1024 * 1024));
        m_transfers->cancel(id);
    }
}

void PictureFetcher::releaseSlot(Job& job)
{
    m_byTransfer.remove(job.transfer);
    job.transfer = 0;
    --m_running;
    if (--m_runningPerHost[job.host] <= 0)
        m_runningPerHost.remove(job.host);
}

void PictureFetcher::onFinished(quint64 id, const TransferEnd& end)
{
    auto found = m_byTransfer.constFind(id);
    if (found == m_byTransfer.constEnd())
        return;
    const QString url = *found;
    Job& job = m_jobs[url];
    releaseSlot(job);
    QByteArray bytes;
    {
        QFile file(job.path);
        if (file.open(QIODevice::ReadOnly))
            bytes = file.read(m_options.maxBytes);
        file.remove();
    }
    job.path.clear();
    // The transfer service holds a range answer shorter than the whole file as failed;
    // for a head that is all that was asked.
    if (!job.whole && job.headers.status == 206 && job.failure.isEmpty() && !bytes.isEmpty())
        job.cutShort = true;

    if (job.revalidating
        && (job.notModified || (end.kind != TransferEnd::Kind::Complete && !job.cutShort))) {
        // Unchanged, or not reachable now: the cached copy stands.
        m_checked.insert(url);
        const CachedPicture cached = job.cached;
        finishJob(url, cached.facts, cached.thumbnail);
        pump();
        return;
    }
    if (!job.failure.isEmpty() || (end.kind != TransferEnd::Kind::Complete && !job.cutShort)) {
        PictureFacts facts;
        facts.state = PictureFacts::State::Failed;
        facts.type = pictureTypeOf(bytes.left(64), job.headers.contentType, url);
        facts.fileSize = job.headers.size;
        facts.reason = !job.failure.isEmpty() ? job.failure
            : end.errorText.isEmpty()         ? tr("Not fetched")
            : end.errorCode >= 400 ? QStringLiteral("%1 %2").arg(end.errorCode).arg(end.errorText)
                                   : end.errorText;
        m_cache->store(url, { facts, QImage() });
        finishJob(url, facts, QImage());
        pump();
        return;
    }

    const qint64 total = job.headers.size;
    const bool complete
        = job.headers.status == 206 ? total >= 0 && bytes.size() >= total : !job.cutShort;
    const bool thumbnail = job.whole && job.request.thumbnail && complete;
    const PictureDecoder::Limits limits = m_options.limits;
    const qint64 bytesRead = bytes.size();
    QPointer<PictureFetcher> self(this);
    m_pool.start([self, url, bytes, complete, thumbnail, limits, bytesRead] {
        const DecodedPicture decoded = thumbnail ? PictureDecoder::thumbnail(bytes, limits)
                                                 : PictureDecoder::measure(bytes, complete);
        if (self) {
            QMetaObject::invokeMethod(
                self.data(),
                [self, url, decoded, bytesRead] {
                    if (self)
                        self->onDecoded(url, decoded, bytesRead);
                },
                Qt::QueuedConnection);
        }
    });
    pump();
}

void PictureFetcher::onDecoded(const QString& url, const DecodedPicture& decoded, qint64 bytesRead)
{
    auto found = m_jobs.find(url);
    if (found == m_jobs.end())
        return;
    Job& job = *found;
    const bool hadWhole = job.whole;
    PictureFacts facts;
    facts.type = decoded.type != PictureType::Unknown
        ? decoded.type
        : pictureTypeOf(QByteArray(), job.headers.contentType, url);
    facts.fileSize = job.headers.size >= 0 ? job.headers.size : (hadWhole ? bytesRead : -1);
    facts.validator = job.headers.validator;
    facts.width = decoded.width;
    facts.height = decoded.height;
    facts.reason = decoded.reason;
    facts.state = decoded.width > 0 ? PictureFacts::State::Measured : PictureFacts::State::Failed;

    const bool wantsWhole = decoded.needMore
        || (job.request.thumbnail && decoded.thumbnail.isNull() && decoded.reason.isEmpty()
            && !hadWhole);
    if (wantsWhole) {
        if (facts.state == PictureFacts::State::Measured)
            emit pictureReady(url, facts, QImage());
        job.whole = true;
        job.revalidating = false;
        m_waiting.prepend(url);
        pump();
        return;
    }
    m_checked.insert(url);
    m_cache->store(url, { facts, decoded.thumbnail });
    finishJob(url, facts, decoded.thumbnail);
}

void PictureFetcher::finishJob(
    const QString& url, const PictureFacts& facts, const QImage& thumbnail)
{
    auto found = m_jobs.find(url);
    if (found != m_jobs.end()) {
        if (found->deadline)
            found->deadline->deleteLater();
        m_jobs.erase(found);
    }
    if (facts.state != PictureFacts::State::Pending || !thumbnail.isNull())
        emit pictureReady(url, facts, thumbnail);
    if (m_jobs.isEmpty())
        emit idle();
}
