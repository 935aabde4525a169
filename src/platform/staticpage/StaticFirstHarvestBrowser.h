#pragma once

#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QSslCertificate>
#include <QUrl>
#include <functional>
#include <memory>
#include <vector>

#include "builders/IHarvestBrowser.h"
#include "core/CertificateTrust.h"

class QNetworkReply;

// A harvest browser that reads a page which cannot change itself with a parser
// (StaticPageReader) and hands every other page to the engine, as it does every page when
// the scope asks for the engine. The page is fetched once, with the profile's cookies
// that fit it; anything but a plain answer (a status other than 200, a redirect, a
// cookie set, another type than HTML, an attachment, a failure) goes to the engine, which
// loads the page itself and reports as it always does. The frames of the page's own
// origin are fetched and read the same way, side by side; one that is not a plain answer
// the parser takes sends the whole page to the engine. Entries leave either path alike:
// the builder's HarvestAcceptor takes them. A browser may be given one page after another
// (a site harvest does so with pagesOnly).
class StaticFirstHarvestBrowser final : public QObject, public IHarvestBrowser
{
    Q_OBJECT
public:
    using EngineFactory = std::function<std::unique_ptr<IHarvestBrowser>()>;

    // engine: makes the engine's browser when a page needs it; userAgent and language:
    // the engine's own, sent with the fetch, as are those of cookies that fit the page
    // (the profile's, when it has any). trust: the certificates a page fetched over https
    // may show; with none checked, such pages go to the engine, which decides.
    StaticFirstHarvestBrowser(EngineFactory engine, QString userAgent, QString language,
        const QList<QNetworkCookie>& cookies = {}, CertificateTrust trust = {},
        QObject* parent = nullptr);
    ~StaticFirstHarvestBrowser() override;

    void setDocumentCompleteHandler(std::function<void()> handler) override;
    void setNavigateErrorHandler(std::function<void(qint32 statusCode)> handler) override;
    void setProgressHandler(std::function<void(int progress, int progressMax)> handler) override;
    void setScope(const HarvestScope& scope) override;
    void navigate(const QString& url) override;
    void stop() override;
    void collectEntries(EntriesHandler done) override;
    QString movedTo() const override;
    QString notPageType() const override { return m_notPageType; }
    int retryAfterSeconds() const override { return m_retryAfter; }

    // The User-Agent the engine's profiles send unless told otherwise.
    static QString engineUserAgent();

    // Whether the last page went to the engine.
    bool usedEngine() const { return m_onEngine; }

private:
    void onFetched();
    // With pagesOnly, ends the load on an answer that is no page or an HTTP error; false
    // when the answer goes on as a single page's would.
    bool endOnAnswer(QNetworkReply& reply);
    // The page's entries when the answer is a plain HTML page the parser can read from
    // body, else nullopt; with frames, the frames it can read are added there.
    std::optional<ListEntries> readAnswer(
        QNetworkReply& reply, const QByteArray& body, QList<QUrl>* frames = nullptr) const;
    // Whether the answer is a plain HTML page the parser takes; its charset when given.
    static bool plainAnswer(QNetworkReply& reply, QString* charset);
    // The page's own answer is parsed on a worker thread, so the pages of a site harvest
    // are parsed side by side while this thread fetches; read() then goes on here.
    struct Parsed {
        std::optional<ListEntries> entries;
        QList<QUrl> frames;
    };
    void parseAside(QByteArray body, const QUrl& url, const QString& charset);
    void onParsed(const QUrl& url, Parsed parsed);
    QNetworkRequest requestFor(const QUrl& address, const QUrl& referrer) const;
    // Fetches the frames of the document at parent; false when one of them makes the
    // page the engine's (a frame loading an ancestor, too many or too deep).
    bool fetchFrames(int parent, const QList<QUrl>& addresses);
    void onFrameFetched(int index);
    void dropFrames();
    ListEntries framesEntries() const;
    // The page is read: its entries are ready for collectEntries().
    void pageRead(ListEntries entries);
    // Ends a running fetch without a word from it.
    void dropFetch();
    void useEngine();
    static QList<QSslCertificate> authorities(const QString& caFile);

    EngineFactory m_makeEngine;
    QString m_userAgent;
    QString m_language;
    CertificateTrust m_trust;
    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<IHarvestBrowser> m_engine;
    std::optional<ListEntries> m_entries; // the parser's, once read
    // A page with frames: its document first, then each frame's as found.
    struct Frame {
        QUrl address;
        int parent = -1;
        int depth = 0;
        ListEntries entries = {};
        QList<int> children = {};
        QPointer<QNetworkReply> reply = {};
    };
    std::vector<Frame> m_frames;
    int m_framesWaiting = 0;
    std::function<void()> m_onComplete;
    std::function<void(qint32)> m_onError;
    std::function<void(int, int)> m_onProgress;
    QString m_url; // as given to navigate()
    QString m_notPageType;
    // The current page is the engine's. Once made, the engine takes every later page of
    // a single harvest; site visits keep it for the pages that need it, so each of those
    // does not start an engine page anew.
    bool m_onEngine = false;
    int m_retryAfter = -1;
    bool m_stopped = false;
    quint64 m_parse = 0; // the page being parsed aside; another page or stop() moves on
    QByteArray m_parsing; // its answer, read here too if entries are collected meanwhile
    QUrl m_parsingUrl;
    QString m_parsingCharset;
};
