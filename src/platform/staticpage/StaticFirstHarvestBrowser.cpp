#include "platform/staticpage/StaticFirstHarvestBrowser.h"

#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QTimer>
#include <sys/utsname.h>
#include <utility>

#include "builders/NavigationErrors.h"
#include "platform/staticpage/EngineVersion.h"
#include "platform/staticpage/StaticPageReader.h"

namespace
{

// Larger pages are left to the engine.
constexpr qint64 kMaxStaticBytes = 64 * 1024 * 1024;

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
    m_url = url;
    m_entries.reset();
    dropFetch();
    const QUrl address = QUrl::fromUserInput(url);
    const QString scheme = address.scheme();
    // Unchecked certificates are the engine's to accept.
    const bool https = scheme == QLatin1String("https");
    if (m_engine || scope().scroll || scope().engine || (scheme != QLatin1String("http") && !https)
        || (https && m_trust.insecure)) {
        useEngine();
        return;
    }
    QNetworkRequest request(address);
    if (https && !m_trust.caFile.isEmpty()) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setCaCertificates(authorities(m_trust.caFile));
        request.setSslConfiguration(tls);
    }
    request.setHeader(QNetworkRequest::UserAgentHeader, m_userAgent);
    request.setRawHeader(
        "Accept", "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");
    if (!m_language.isEmpty())
        request.setRawHeader("Accept-Language", m_language.toUtf8());
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

void StaticFirstHarvestBrowser::dropFetch()
{
    if (!m_reply)
        return;
    QNetworkReply* reply = std::exchange(m_reply, nullptr);
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

std::optional<ListEntries> StaticFirstHarvestBrowser::readAnswer(
    QNetworkReply& reply, const QByteArray& body) const
{
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString type = reply.header(QNetworkRequest::ContentTypeHeader).toString();
    const QString mime = type.section(QLatin1Char(';'), 0, 0).trimmed();
    QString charset;
    for (const QString& parameter : type.split(QLatin1Char(';')).mid(1)) {
        const QString name = parameter.section(QLatin1Char('='), 0, 0).trimmed();
        if (name.compare(QLatin1String("charset"), Qt::CaseInsensitive) == 0)
            charset = parameter.section(QLatin1Char('='), 1).trimmed().remove(QLatin1Char('"'));
    }
    const bool plain = reply.error() == QNetworkReply::NoError && status == 200
        && mime.compare(QLatin1String("text/html"), Qt::CaseInsensitive) == 0
        && !reply.hasRawHeader("Set-Cookie") && !reply.hasRawHeader("Content-Disposition")
        && !reply.hasRawHeader("Refresh");
    if (!plain)
        return std::nullopt;
    return StaticPageReader::read(body, reply.url(), charset, scope());
}

void StaticFirstHarvestBrowser::onFetched()
{
    QNetworkReply* reply = m_reply;
    if (!reply || m_stopped)
        return;
    reply->deleteLater();
    m_reply = nullptr;
    m_entries = readAnswer(*reply, reply->readAll());
    if (!m_entries) {
        useEngine();
        return;
    }
    if (m_onProgress)
        m_onProgress(100, 100);
    if (!m_stopped && m_onComplete)
        m_onComplete();
}

void StaticFirstHarvestBrowser::useEngine()
{
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
    dropFetch();
    if (m_engine)
        m_engine->stop();
}

void StaticFirstHarvestBrowser::collectEntries(EntriesHandler done)
{
    if (m_engine) {
        m_engine->collectEntries(std::move(done));
        return;
    }
    // A page still arriving (collected when a harvest gives up waiting) gives what came so
    // far, as the engine would give the part it has shown.
    std::optional<ListEntries> entries = m_entries;
    if (m_reply && !m_reply->isFinished())
        entries = readAnswer(*m_reply, m_reply->peek(m_reply->bytesAvailable()));
    // Called from the event loop, never from inside collectEntries().
    QTimer::singleShot(
        0, this, [done = std::move(done), entries = std::move(entries)] { done(entries); });
}

QString StaticFirstHarvestBrowser::movedTo() const
{
    // A page that moved went to the engine.
    return m_engine ? m_engine->movedTo() : QString();
}
