#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "core/Result.h"
#include "download/DownloadLinkState.h"
#include "download/DownloadSummary.h"
#include "download/IAria2Rpc.h"
#include "download/IDownloadJob.h"
#include "listops/EntryContext.h"

// One link handed to the daemon, with its referrer (Aria2Job::referrerFor; empty for
// none).
struct Aria2Link {
    QString url; // the link: what it is named after and reported as
    QString referer {};
    QString cookie {}; // the Cookie header value for this link; empty for none
    EntryContext context {}; // what a name mask's *text* and *title* stand for
    // Credentials from the headers (Authorization, Cookie) go with this link: its address
    // was checked to be the one they were written for.
    bool credentials = true;
    QString address {}; // where the daemon fetches it (its redirects resolved); empty: url
};

struct Aria2JobOptions {
    QString rpcUrl; // the daemon's JSON-RPC address, http://host:6800/jsonrpc
    QString secret {}; // its --rpc-secret; empty when it has none
    QString folder {}; // where the daemon saves, on its own machine; empty: its own --dir
    QString cookies {}; // a Cookie header value sent with every link; empty for none
    QStringList headers {}; // "Name: value" lines sent with every link
    // Names each file (NameMask) as a path inside the folder; empty: the link's own name.
    QString nameMask {};
    bool portableNames = false; // each part of that path made portable (PortableName)
    int pollIntervalMs = 500; // how often the daemon is asked for the links' progress
};

// A download job whose transfers an aria2 daemon makes: the daemon is asked for its
// version first (so a wrong secret or a missing daemon ends the job before any link is
// sent), then every link goes to it with its folder, name, referrer, cookies and headers,
// and the job follows their progress until each is complete, failed or removed. The
// daemon writes the files itself, on its own machine, by its own rules for names that
// exist. Cancel removes the links still on the daemon. The job keeps the same model of
// every link (links()) and the same summary as DownloadJob, so views and reports read
// both alike; the window's state (labels, bars, caption) is kept as DownloadJob keeps it.
class Aria2Job final : public IDownloadJob
{
    Q_OBJECT
public:
    Aria2Job(
        QList<Aria2Link> links, Aria2JobOptions options, IAria2Rpc& rpc, QObject* parent = nullptr);

    // Why the job must not talk to this daemon, or an empty text: an address that is not
    // http or https, or a secret, cookies or credentials headed for another machine over
    // plain http.
    static QString refusal(const Aria2JobOptions& options);

    // The one rule for a link's referrer: the one asked for explicitly wins, the page
    // the link was found on is the default.
    static QString referrerFor(const QString& explicitReferrer, const QString& page);

    // Whether a header line carries credentials (Authorization, Proxy-Authorization,
    // Cookie), which go only to the host they were written for.
    static bool isCredentialHeader(const QString& line);

    void start() override;
    void cancel() override;

    Phase phase() const override { return m_phase; }
    int count() const override { return static_cast<int>(m_links.size()); }
    // Where the daemon saves, on its own machine; empty: its own --dir.
    const QString& folder() const override { return m_options.folder; }
    // Every link, in the job's order: Waiting until the daemon has it, Running while it
    // works on it, then Saved, Skipped or Failed (with the reason).
    const QList<DownloadLinkState>& links() const override { return m_states; }
    // What became of the links so far; a failure keeps the link's context and number.
    const DownloadSummary& summary() const override { return m_summary; }
    // Why the job ended before any link was sent (refused, no daemon, wrong secret).
    const QString& startError() const { return m_startError; }

    const QString& Label1() const { return m_label1; }
    const QString& Label2() const { return m_label2; }
    const QString& Label3() const { return m_label3; }
    int ProgressBar1() const { return m_bar1; }
    int ProgressBar1Max() const { return 100; }
    int ProgressBar2() const { return m_finished; }
    int ProgressBar2Max() const { return count(); }
    const QString& mainCaption() const { return m_caption; }

    // linkFinished(): a saved file's path is where the daemon wrote it. A report of a
    // file outside the folder, or of a negative size, is a failure; a file the daemon
    // would not overwrite is skipped.

private:
    enum class Step { Idle, Checking, Adding, Polling, Removing, Over };

    QJsonArray withToken(QJsonArray params) const;
    QJsonObject linkOptions(int i) const;
    void onReply(quint64 id, const Aria2Reply& reply);
    void onVersion(const Aria2Reply& reply);
    void onAdded(const Aria2Reply& reply);
    void onStatus(const Aria2Reply& reply);
    void poll();
    void removeRemaining();
    void finishLink(int i, const Result<SavedFile>& result);
    Result<SavedFile> completed(int i, const QJsonObject& status) const;
    void noteProgress(int i, const QJsonObject& status);
    // The folder the daemon saves into: the one asked for, else the one it reports.
    QString savedFolder(const QJsonObject& status) const;
    void failRemaining(const QString& message);
    void finish(Phase phase);
    QString unreachableText(const Aria2Reply& reply) const;

    QList<Aria2Link> m_links;
    Aria2JobOptions m_options;
    IAria2Rpc& m_rpc;
    QStringList m_gids; // the daemon's name for each link; empty until it has the link
    QList<DownloadLinkState> m_states; // per link
    DownloadSummary m_summary;
    QList<int> m_polled; // the entries the pending status call asks about
    QTimer m_pollTimer;
    Step m_step = Step::Idle;
    quint64 m_callId = 0;
    Phase m_phase = Phase::Idle;
    bool m_failed = false;
    bool m_cancelling = false;
    int m_finished = 0;
    QString m_startError;
    QString m_label1;
    QString m_label2;
    QString m_label3;
    int m_bar1 = 0;
    QString m_caption;
};
