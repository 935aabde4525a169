#include "platform/staticpage/StaticFirstHarvestBrowser.h"

#include <QFutureWatcher>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <sys/utsname.h>
#include <utility>

#include "builders/NavigationErrors.h"
#include "platform/staticpage/EngineVersion.h"
#include "platform/staticpage/StaticPageReader.h"

namespace
{

// Larger pages are left to the engine.
constexpr qint64 kMaxStaticBytes = 64 * 1024 * 1024;
// Pages with more frames, or frames nested deeper, are left to the engine.
constexpr int kMaxFrames = 1000;
constexpr int kMaxFrameDepth = 8;

} // namespace

StaticFirstHarvestBrowser::StaticFirstHarvestBrowser(EngineFactory engine, QString userAgent,
    QString language, const QList<QNetworkCookie>& cookies, CertificateTrust trust, QObject* parent)
    : QObject(parent)
    , m_makeEngine(std::move(engine))
    , m_userAgent(std::move(userAgent))
    , m_language(std::move(language))
    , m_trust(std::move(trust))
{
    // Cookies a server sets send the page to the engine, which keeps them.
    auto* jar = new QNetworkCookieJar(&m_network);
    for (const QNetworkCookie& cookie : cookies)
        jar->insertCookie(cookie);
    m_network.setCookieJar(jar);
    m_network.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

QString StaticFirstHarvestBrowser::engineUserAgent()
{
    // Chromium's pattern on Linux, with the machine as uname(2) names it.
    struct utsname host {
    };
    ::uname(&host);
    return QStringLiteral("Mozilla/5.0 (X11; Linux %1) AppleWebKit/537.36 (KHTML, like Gecko) "
                          "QtWebEngine/%2 Chrome/%3 Safari/537.36")
        .arg(QString::fromLatin1(host.machine), QString::fromLatin1(EngineVersion::kWebEngine),
            QString::fromLatin1(EngineVersion::kChromium));
}

QList<QSslCertificate> StaticFirstHarvestBrowser::authorities(const QString& caFile)
{
    // Read once per file and process: a bundle of a few hundred takes longer to parse
    // than a plain page takes to read.
    static QHash<QString, QList<QSslCertificate>> read;
    const auto found = read.constFind(caFile);
    if (found != read.constEnd())
        return *found;
    return read.insert(caFile, QSslCertificate::fromPath(caFile, QSsl::Pem)).value();
}

StaticFirstHarvestBrowser::~StaticFirstHarvestBrowser()
{
    m_stopped = true;
    dropFetch();
}

void StaticFirstHarvestBrowser::setDocumentCompleteHandler(std::function<void()> handler)
{
    m_onComplete = std::move(handler);
    if (m_engine)
        m_engine->setDocumentCompleteHandler(m_onComplete);
}

void StaticFirstHarvestBrowser::setNavigateErrorHandler(std::function<void(qint32)> handler)
{
    m_onError = std::move(handler);
    if (m_engine)
        m_engine->setNavigateErrorHandler(m_onError);
}

void StaticFirstHarvestBrowser::setProgressHandler(std::function<void(int, int)> handler)
{
    m_onProgress = std::move(handler);
    if (m_engine)
        m_engine->setProgressHandler(m_onProgress);
}

void StaticFirstHarvestBrowser::setScope(const HarvestScope& scope)
{
    IHarvestBrowser::setScope(scope);
    if (m_engine)
        m_engine->setScope(scope);
}

void StaticFirstHarvestBrowser::navigate(const QString& url)
{
    m_stopped = false;
    ++m_parse;
    m_parsing.clear();
    m_url = url;
    m_entries.reset();
    m_notPageType.clear();
    m_retryAfter = -1;
    dropFetch();
    const QUrl address = QUrl::fromUserInput(url);
    const QString scheme = address.scheme();
    // Unchecked certificates are the engine's to accept.
    const bool https = scheme == QLatin1String("https");
    m_onEngine = false;
    if ((m_engine && !pagesOnly()) || scope().scroll || scope().engine
        || (scheme != QLatin1String("http") && !https) || (https && m_trust.insecure)) {
        useEngine();
        return;
    }
    // An earlier page of a site harvest may still be loading there.
    if (m_engine)
        m_engine->stop();
    const QNetworkRequest request = requestFor(address, QUrl());
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::finished, this, &StaticFirstHarvestBrowser::onFetched);
    // A page too large to hold goes to the engine without waiting for its end.
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received) {
        if (received <= kMaxStaticBytes || m_stopped)
            return;
        dropFetch();
        useEngine();
    });
}

QNetworkRequest StaticFirstHarvestBrowser::requestFor(
    const QUrl& address, const QUrl& referrer) const
{
    QNetworkRequest request(address);
    if (address.scheme() == QLatin1String("https") && !m_trust.caFile.isEmpty()) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setCaCertificates(authorities(m_trust.caFile));
        request.setSslConfiguration(tls);
    }
    request.setHeader(QNetworkRequest::UserAgentHeader, m_userAgent);
    request.setRawHeader(
        "Accept", "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");
    if (!m_language.isEmpty())
        request.setRawHeader("Accept-Language", m_language.toUtf8());
    if (referrer.isValid())
        request.setRawHeader("Referer", referrer.toString(QUrl::RemoveFragment).toUtf8());
    return request;
}

void StaticFirstHarvestBrowser::dropFrames()
{
    for (Frame& frame : m_frames) {
        if (QNetworkReply* reply = frame.reply.data()) {
            reply->disconnect(this);
            reply->abort();
            reply->deleteLater();
        }
    }
    m_frames.clear();
    m_framesWaiting = 0;
}

bool StaticFirstHarvestBrowser::fetchFrames(int parent, const QList<QUrl>& addresses)
{
    for (const QUrl& address : addresses) {
        // The engine leaves a frame empty that would load one of its ancestors again.
        const QUrl bare = address.adjusted(QUrl::RemoveFragment);
        for (int up = parent; up >= 0; up = m_frames[up].parent) {
            if (m_frames[up].address.adjusted(QUrl::RemoveFragment) == bare)
                return false;
        }
        if (m_frames[parent].depth >= kMaxFrameDepth
            || static_cast<int>(m_frames.size()) > kMaxFrames)
            return false;
        const int index = static_cast<int>(m_frames.size());
        m_frames.push_back({ address, parent, m_frames[parent].depth + 1 });
        m_frames[parent].children.append(index);
        QNetworkReply* reply = m_network.get(requestFor(address, m_frames[parent].address));
        m_frames[index].reply = reply;
        ++m_framesWaiting;
        connect(reply, &QNetworkReply::finished, this, [this, index] { onFrameFetched(index); });
    }
    return true;
}

void StaticFirstHarvestBrowser::onFrameFetched(int index)
{
    QNetworkReply* reply = m_frames[index].reply.data();
    if (!reply || m_stopped)
        return;
    reply->deleteLater();
    m_frames[index].reply = nullptr;
    --m_framesWaiting;
    QList<QUrl> frames;
    const std::optional<ListEntries> entries = readAnswer(*reply, reply->readAll(), &frames);
    if (!entries || !fetchFrames(index, frames)) {
        // The page is the engine's after all, frames and all.
        dropFrames();
        useEngine();
        return;
    }
    m_frames[index].entries = *entries;
    if (m_framesWaiting == 0)
        pageRead(framesEntries());
}

ListEntries StaticFirstHarvestBrowser::framesEntries() const
{
    // Each document's own entries, then its frames' in turn, depth first.
    ListEntries entries;
    std::vector<int> next { 0 };
    while (!next.empty()) {
        const Frame& frame = m_frames[static_cast<size_t>(next.back())];
        next.pop_back();
        entries.append(frame.entries);
        for (auto child = frame.children.crbegin(); child != frame.children.crend(); ++child)
            next.push_back(*child);
    }
    return entries;
}

void StaticFirstHarvestBrowser::pageRead(ListEntries entries)
{
    m_entries = std::move(entries);
    if (m_onProgress)
        m_onProgress(100, 100);
    if (!m_stopped && m_onComplete)
        m_onComplete();
}

void StaticFirstHarvestBrowser::dropFetch()
{
    dropFrames();
    if (!m_reply)
        return;
    QNetworkReply* reply = std::exchange(m_reply, nullptr);
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

bool StaticFirstHarvestBrowser::plainAnswer(QNetworkReply& reply, QString* charset)
{
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString type = reply.header(QNetworkRequest::ContentTypeHeader).toString();
    const QString mime = type.section(QLatin1Char(';'), 0, 0).trimmed();
    for (const QString& parameter : type.split(QLatin1Char(';')).mid(1)) {
        const QString name = parameter.section(QLatin1Char('='), 0, 0).trimmed();
        if (name.compare(QLatin1String("charset"), Qt::CaseInsensitive) == 0)
            *charset = parameter.section(QLatin1Char('='), 1).trimmed().remove(QLatin1Char('"'));
    }
    return reply.error() == QNetworkReply::NoError && status == 200
        && mime.compare(QLatin1String("text/html"), Qt::CaseInsensitive) == 0
        && !reply.hasRawHeader("Set-Cookie") && !reply.hasRawHeader("Content-Disposition")
        && !reply.hasRawHeader("Refresh");
}

std::optional<ListEntries> StaticFirstHarvestBrowser::readAnswer(
    QNetworkReply& reply, const QByteArray& body, QList<QUrl>* frames) const
{
    QString charset;
    if (!plainAnswer(reply, &charset))
        return std::nullopt;
    return StaticPageReader::read(body, reply.url(), charset, scope(), frames);
}

void StaticFirstHarvestBrowser::parseAside(QByteArray body, const QUrl& url, const QString& charset)
{
    const quint64 parse = ++m_parse;
    m_parsing = body;
    m_parsingUrl = url;
    m_parsingCharset = charset;
    // The watcher dies with this browser; the parse then ends unheard.
    auto* watcher = new QFutureWatcher<Parsed>(this);
    connect(watcher, &QFutureWatcher<Parsed>::finished, this, [this, watcher, parse, url] {
        watcher->deleteLater();
        if (parse != m_parse || m_stopped)
            return;
        m_parsing.clear();
        onParsed(url, watcher->result());
    });
    watcher->setFuture(QtConcurrent::run([body = std::move(body), url, charset, scope = scope()] {
        Parsed parsed;
        parsed.entries = StaticPageReader::read(body, url, charset, scope, &parsed.frames);
        return parsed;
    }));
}

void StaticFirstHarvestBrowser::onFetched()
{
    QNetworkReply* reply = m_reply;
    if (!reply || m_stopped)
        return;
    reply->deleteLater();
    m_reply = nullptr;
    if (pagesOnly() && endOnAnswer(*reply))
        return;
    QString charset;
    if (!plainAnswer(*reply, &charset)) {
        useEngine();
        return;
    }
    parseAside(reply->readAll(), reply->url(), charset);
}

void StaticFirstHarvestBrowser::onParsed(const QUrl& url, Parsed parsed)
{
    if (!parsed.entries) {
        useEngine();
        return;
    }
    if (parsed.frames.isEmpty()) {
        pageRead(std::move(*parsed.entries));
        return;
    }
    m_frames.push_back({ url, -1, 0, std::move(*parsed.entries) });
    if (!fetchFrames(0, parsed.frames)) {
        dropFrames();
        useEngine();
    }
}

bool StaticFirstHarvestBrowser::endOnAnswer(QNetworkReply& reply)
{
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400) {
        bool number = false;
        const int seconds = reply.rawHeader("Retry-After").trimmed().toInt(&number);
        m_retryAfter = number && seconds >= 0 ? seconds : -1;
        if (m_onError)
            m_onError(status);
        if (!m_stopped && m_onComplete)
            m_onComplete();
        return true;
    }
    const QString mime = reply.header(QNetworkRequest::ContentTypeHeader)
                             .toString()
                             .section(QLatin1Char(';'), 0, 0)
                             .trimmed()
                             .toLower();
    // A page may come as HTML or XHTML; an answer without a type is the engine's to sniff.
    if (status != 200 || mime.isEmpty() || mime == QLatin1String("text/html")
        || mime == QLatin1String("application/xhtml+xml"))
        return false;
    m_notPageType = mime;
    pageRead({});
    return true;
}

void StaticFirstHarvestBrowser::useEngine()
{
    m_onEngine = true;
    if (!m_engine) {
        m_engine = m_makeEngine();
        if (!m_engine) {
            // No engine: the page is reported as not loaded.
            QTimer::singleShot(0, this, [this] {
                if (m_stopped)
                    return;
                if (m_onError)
                    m_onError(NavigationStatus::INET_E_DOWNLOAD_FAILURE);
                if (!m_stopped && m_onComplete)
                    m_onComplete();
            });
            return;
        }
        m_engine->setDocumentCompleteHandler(m_onComplete);
        m_engine->setNavigateErrorHandler(m_onError);
        m_engine->setProgressHandler(m_onProgress);
        m_engine->setScope(scope());
    }
    m_engine->navigate(m_url);
}

void StaticFirstHarvestBrowser::stop()
{
    m_stopped = true;
    ++m_parse;
    m_parsing.clear();
    dropFetch();
    if (m_engine)
        m_engine->stop();
}

void StaticFirstHarvestBrowser::collectEntries(EntriesHandler done)
{
    if (m_onEngine && m_engine) {
        m_engine->collectEntries(std::move(done));
        return;
    }
    // A page still arriving (collected when a harvest gives up waiting) gives what came so
    // far, as the engine would give the part it has shown.
    std::optional<ListEntries> entries = m_entries;
    if (!m_parsing.isEmpty()) // the whole answer came and is being parsed aside
        entries = StaticPageReader::read(m_parsing, m_parsingUrl, m_parsingCharset, scope());
    else if (m_reply && !m_reply->isFinished())
        entries = readAnswer(*m_reply, m_reply->peek(m_reply->bytesAvailable()));
    else if (!entries && !m_frames.empty())
        entries = framesEntries(); // the frames read so far

    // Called from the event loop, never from inside collectEntries().
    QTimer::singleShot(
        0, this, [done = std::move(done), entries = std::move(entries)] { done(entries); });
}

QString StaticFirstHarvestBrowser::movedTo() const
{
    // A page that moved went to the engine.
    return m_onEngine && m_engine ? m_engine->movedTo() : QString();
}
