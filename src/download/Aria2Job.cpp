#include "download/Aria2Job.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "core/RequestUrl.h"
#include "download/DownloadFigures.h"
#include "download/DownloadNames.h"
#include "download/NameMask.h"

namespace
{

const QStringList kStatusKeys { QStringLiteral("status"), QStringLiteral("totalLength"),
    QStringLiteral("completedLength"), QStringLiteral("errorCode"), QStringLiteral("errorMessage"),
    QStringLiteral("files"), QStringLiteral("dir") };

bool isLoopback(const QString& host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0
        || host == QLatin1String("::1"))
        return true;
    const QStringList parts = host.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString& part : parts) {
        bool ok = false;
        const int n = part.toInt(&ok);
        if (!ok || n < 0 || n > 255)
            return false;
    }
    return parts.first() == QLatin1String("127");
}

// aria2's error code for a file it would not overwrite (--allow-overwrite=false and no
// renaming).
constexpr int kFileExists = 13;

QJsonObject call(const QString& method, const QJsonArray& params)
{
    return QJsonObject { { QStringLiteral("methodName"), method },
        { QStringLiteral("params"), params } };
}

// A count the daemon reports as a decimal text; -1 when it is not one.
qint64 number(const QJsonObject& status, const char* key)
{
    bool ok = false;
    const qint64 value = status.value(QLatin1String(key)).toString().toLongLong(&ok);
    return ok ? value : -1;
}

// Whether path, with its ".." resolved, lies inside folder.
bool isInside(const QString& path, const QString& folder)
{
    const QString base = QDir::cleanPath(folder);
    const QString clean = QDir::cleanPath(path);
    if (base.isEmpty() || clean.isEmpty())
        return false;
    return clean.startsWith(base == QLatin1String("/") ? base : base + QLatin1Char('/'))
        && clean.size() > base.size() + 1;
}

QString withSlash(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

Aria2Job::Aria2Job(QList<Aria2Link> links, Aria2JobOptions options, IAria2Rpc& rpc, QObject* parent)
    : IDownloadJob(parent)
    , m_links(std::move(links))
    , m_options(std::move(options))
    , m_rpc(rpc)
{
    m_gids.resize(m_links.size());
    m_states.resize(m_links.size());
    QString problem;
    const std::optional<NameMask> mask = NameMask::parse(
        m_options.nameMask.isEmpty() ? NameMask::kDefault : m_options.nameMask, &problem);
    for (qsizetype i = 0; i < m_links.size(); ++i) {
        const Aria2Link& link = m_links.at(i);
        m_states[i].file = mask ? mask->expand({ link.url, static_cast<int>(i + 1),
                               static_cast<int>(m_links.size()), link.context })
                                : SafeFileName(FileNameFromUrl(link.url));
        if (m_options.portableNames)
            m_states[i].file = PortablePath(m_states[i].file);
        if (!m_options.folder.isEmpty())
            m_states[i].folder = withSlash(m_options.folder);
    }
    m_pollTimer.setInterval(m_options.pollIntervalMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &Aria2Job::poll);
    connect(&m_rpc, &IAria2Rpc::replied, this, &Aria2Job::onReply);
}

QString Aria2Job::refusal(const Aria2JobOptions& options)
{
    const QUrl url(options.rpcUrl, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return QStringLiteral("The aria2 address \"%1\" is not an http or https URL.")
            .arg(options.rpcUrl);
    if (scheme == QLatin1String("https") || isLoopback(url.host()))
        return QString();
    const bool credentials = !options.secret.isEmpty() || !options.cookies.isEmpty()
        || !url.password().isEmpty()
        || std::any_of(options.headers.cbegin(), options.headers.cend(), isCredentialHeader);
    if (!credentials)
        return QString();
    return QStringLiteral("Refusing to send the aria2 secret or cookies to %1 over plain http: "
                          "the daemon is not on this machine. Use an https address.")
        .arg(url.host());
}

QString Aria2Job::referrerFor(const QString& explicitReferrer, const QString& page)
{
    return explicitReferrer.isEmpty() ? page : explicitReferrer;
}

bool Aria2Job::isCredentialHeader(const QString& line)
{
    const QString name = line.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
    return name == QLatin1String("cookie") || name == QLatin1String("authorization")
        || name == QLatin1String("proxy-authorization");
}

QJsonArray Aria2Job::withToken(QJsonArray params) const
{
    if (!m_options.secret.isEmpty())
        params.prepend(QStringLiteral("token:") + m_options.secret);
    return params;
}

QJsonObject Aria2Job::linkOptions(int i) const
{
    QJsonObject options { { QStringLiteral("out"), m_states.at(i).file } };
    if (!m_options.folder.isEmpty())
        options.insert(QStringLiteral("dir"), m_options.folder);
    if (!m_links.at(i).referer.isEmpty())
        options.insert(QStringLiteral("referer"), m_links.at(i).referer);
    QJsonArray headers;
    if (!m_links.at(i).cookie.isEmpty())
        headers.append(QStringLiteral("Cookie: ") + m_links.at(i).cookie);
    else if (!m_options.cookies.isEmpty() && m_links.at(i).credentials)
        headers.append(QStringLiteral("Cookie: ") + m_options.cookies);
    for (const QString& line : m_options.headers) {
        // The referrer goes as the daemon's own option, once.
        const QString name = line.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
        if (name == QLatin1String("referer") && !m_links.at(i).referer.isEmpty())
            continue;
        if (m_links.at(i).credentials || !isCredentialHeader(line))
            headers.append(line);
    }
    if (!headers.isEmpty())
        options.insert(QStringLiteral("header"), headers);
    return options;
}

QString Aria2Job::unreachableText(const Aria2Reply& reply) const
{
    return QStringLiteral("Cannot reach the aria2 daemon at %1: %2")
        .arg(m_options.rpcUrl, reply.message);
}

void Aria2Job::start()
{
    if (m_phase != Phase::Idle)
        return;
    m_phase = Phase::Running;
    m_label3 = QStringLiteral("Connecting to the aria2 daemon at %1").arg(m_options.rpcUrl);
    m_caption = QStringLiteral("Quillmarch - Saving Files");
    emit changed();
    // A link's own cookies are credentials as much as the job's.
    Aria2JobOptions checked = m_options;
    for (const Aria2Link& link : std::as_const(m_links)) {
        if (checked.cookies.isEmpty())
            checked.cookies = link.cookie;
    }
    m_startError = refusal(checked);
    if (!m_startError.isEmpty()) {
        QTimer::singleShot(0, this, [this] { finish(Phase::Error); });
        return;
    }
    m_step = Step::Checking;
    m_callId = m_rpc.call(QStringLiteral("aria2.getVersion"), withToken({}));
}

void Aria2Job::cancel()
{
    if (m_phase != Phase::Running || m_cancelling)
        return;
    m_cancelling = true;
    m_label3 = QStringLiteral("Aborting...");
    emit changed();
    if (m_step == Step::Checking || m_step == Step::Idle)
        finish(Phase::Cancelled); // nothing was sent: the version's answer is ignored
    else if (m_step != Step::Adding) // the answer on its way says what there is to remove
        removeRemaining();
}

void Aria2Job::removeRemaining()
{
    m_pollTimer.stop();
    QJsonArray calls;
    for (int i = 0; i < count(); ++i) {
        if (!m_states.at(i).ended() && !m_gids.at(i).isEmpty())
            calls.append(call(QStringLiteral("aria2.remove"), withToken({ m_gids.at(i) })));
    }
    if (calls.isEmpty()) {
        finish(Phase::Cancelled);
        return;
    }
    m_step = Step::Removing;
    m_callId = m_rpc.call(QStringLiteral("system.multicall"), QJsonArray { calls });
}

void Aria2Job::onReply(quint64 id, const Aria2Reply& reply)
{
    if (id != m_callId || m_phase != Phase::Running)
        return;
    m_callId = 0;
    switch (m_step) {
    case Step::Checking:
        onVersion(reply);
        break;
    case Step::Adding:
        onAdded(reply);
        break;
    case Step::Polling:
        onStatus(reply);
        break;
    case Step::Removing:
        finish(Phase::Cancelled);
        break;
    case Step::Idle:
    case Step::Over:
        break;
    }
}

void Aria2Job::onVersion(const Aria2Reply& reply)
{
    if (!reply.ok) {
        if (reply.unreachable)
            m_startError = unreachableText(reply);
        else if (reply.code == 1 && reply.message == QLatin1String("Unauthorized"))
            m_startError = QStringLiteral("The aria2 daemon at %1 refused the secret.")
                               .arg(m_options.rpcUrl);
        else
            m_startError = QStringLiteral("The aria2 daemon at %1 answered: %2")
                               .arg(m_options.rpcUrl, reply.message);
        finish(Phase::Error);
        return;
    }
    QJsonArray calls;
    for (int i = 0; i < count(); ++i) {
        const Aria2Link& link = m_links.at(i);
        const QString url
            = QString::fromUtf8(RequestUrl(link.address.isEmpty() ? link.url : link.address));
        calls.append(call(
            QStringLiteral("aria2.addUri"), withToken({ QJsonArray { url }, linkOptions(i) })));
    }
    m_step = Step::Adding;
    m_label3 = QStringLiteral("Sending %1 links to the aria2 daemon").arg(count());
    emit changed();
    m_callId = m_rpc.call(QStringLiteral("system.multicall"), QJsonArray { calls });
}

void Aria2Job::onAdded(const Aria2Reply& reply)
{
    if (!reply.ok) {
        failRemaining(reply.unreachable
                ? unreachableText(reply)
                : QStringLiteral("The aria2 daemon did not take the links: %1").arg(reply.message));
        finish(m_cancelling ? Phase::Cancelled : Phase::Error);
        return;
    }
    const QJsonArray results = reply.result.toArray();
    for (int i = 0; i < count(); ++i) {
        const QJsonValue added = results.at(i);
        if (added.isArray() && added.toArray().at(0).isString()) {
            m_gids[i] = added.toArray().at(0).toString();
            m_states[i].status = DownloadLinkState::Status::Running;
            m_states[i].order = i + 1;
            m_states[i].startClock(0);
        } else
            finishLink(i,
                Result<SavedFile>::failed(
                    QStringLiteral("The aria2 daemon did not take %1: %2")
                        .arg(m_links.at(i).url,
                            added.toObject().value(QStringLiteral("message")).toString())));
    }
    if (m_cancelling) {
        removeRemaining();
        return;
    }
    if (m_finished == count()) {
        finish(m_failed ? Phase::Error : Phase::Done);
        return;
    }
    m_step = Step::Polling;
    m_pollTimer.start();
    poll();
}

void Aria2Job::poll()
{
    if (m_step != Step::Polling || m_callId != 0)
        return;
    QJsonArray calls;
    m_polled.clear();
    for (int i = 0; i < count(); ++i) {
        if (m_states.at(i).ended())
            continue;
        m_polled.append(i);
        calls.append(call(QStringLiteral("aria2.tellStatus"),
            withToken({ m_gids.at(i), QJsonArray::fromStringList(kStatusKeys) })));
    }
    m_callId = m_rpc.call(QStringLiteral("system.multicall"), QJsonArray { calls });
}

void Aria2Job::onStatus(const Aria2Reply& reply)
{
    if (!reply.ok) {
        failRemaining(reply.unreachable
                ? unreachableText(reply)
                : QStringLiteral("The aria2 daemon answered: %1").arg(reply.message));
        finish(Phase::Error);
        return;
    }
    const QJsonArray results = reply.result.toArray();
    int shown = -1;
    qint64 shownDone = 0;
    qint64 shownTotal = 0;
    for (qsizetype k = 0; k < m_polled.size(); ++k) {
        const int i = m_polled.at(k);
        const QJsonValue answer = results.at(k);
        if (!answer.isArray()) {
            finishLink(i,
                Result<SavedFile>::failed(
                    QStringLiteral("The aria2 daemon no longer knows %1: %2")
                        .arg(m_links.at(i).url,
                            answer.toObject().value(QStringLiteral("message")).toString())));
            continue;
        }
        const QJsonObject status = answer.toArray().at(0).toObject();
        const QString state = status.value(QStringLiteral("status")).toString();
        if (state == QLatin1String("complete")) {
            finishLink(i, completed(i, status));
        } else if (state == QLatin1String("error")
            && status.value(QStringLiteral("errorCode")).toString().toInt() == kFileExists) {
            SavedFile kept { QDir::cleanPath(
                                 savedFolder(status) + QLatin1Char('/') + m_states.at(i).file),
                0, true };
            finishLink(i, Result<SavedFile>::ok(kept));
        } else if (state == QLatin1String("error")) {
            finishLink(i,
                Result<SavedFile>::failed(
                    QStringLiteral("aria2 error %1: %2")
                        .arg(status.value(QStringLiteral("errorCode")).toString(),
                            status.value(QStringLiteral("errorMessage")).toString())));
        } else if (state == QLatin1String("removed")) {
            finishLink(i,
                Result<SavedFile>::failed(
                    QStringLiteral("The aria2 daemon removed %1.").arg(m_links.at(i).url)));
        } else {
            noteProgress(i, status);
            if (shown < 0 && state == QLatin1String("active")) {
                shown = i;
                shownDone = number(status, "completedLength");
                shownTotal = number(status, "totalLength");
            }
        }
    }
    if (m_finished == count()) {
        finish(m_failed ? Phase::Error : Phase::Done);
        return;
    }
    if (shown >= 0) {
        m_label3 = QStringLiteral("Saving %1%2 (%3 of %4)")
                       .arg(m_options.folder, m_states.at(shown).file, QString::number(shown + 1),
                           QString::number(count()));
        m_caption = QStringLiteral("Quillmarch - Saving Files  (%1 of %2)")
                        .arg(QString::number(shown + 1), QString::number(count()));
        m_label1 = DownloadFigures::progressText(shownDone, shownTotal);
        const double percent
            = shownTotal > 0 ? static_cast<double>(shownDone) * 100.0 / shownTotal : 0.0;
        m_label2 = shownTotal > 0
            ? QStringLiteral("%1%").arg(static_cast<qint64>(std::nearbyint(percent)))
            : QString();
        m_bar1 = static_cast<int>(std::min(100.0, std::floor(percent)));
    }
    emit changed();
}

// A complete link as the daemon reports it, checked: the file must lie in the folder
// asked for (the daemon's own when none was) and have a size.
Result<SavedFile> Aria2Job::completed(int i, const QJsonObject& status) const
{
    const QString path = status.value(QStringLiteral("files"))
                             .toArray()
                             .at(0)
                             .toObject()
                             .value(QStringLiteral("path"))
                             .toString();
    const QString folder = savedFolder(status);
    const qint64 size = number(status, "completedLength");
    if (!isInside(path, folder))
        return Result<SavedFile>::failed(
            QStringLiteral("The aria2 daemon reported %1 as saved to \"%2\", outside %3.")
                .arg(m_links.at(i).url, path, folder));
    if (size < 0)
        return Result<SavedFile>::failed(
            QStringLiteral("The aria2 daemon reported %1 as saved with no valid size (\"%2\").")
                .arg(
                    m_links.at(i).url, status.value(QStringLiteral("completedLength")).toString()));
    return Result<SavedFile>::ok({ QDir::cleanPath(path), size });
}

QString Aria2Job::savedFolder(const QJsonObject& status) const
{
    return m_options.folder.isEmpty() ? status.value(QStringLiteral("dir")).toString()
                                      : m_options.folder;
}

// The counts of a link the daemon still works on, and its folder when it chose it.
void Aria2Job::noteProgress(int i, const QJsonObject& status)
{
    DownloadLinkState& state = m_states[i];
    state.bytes = std::max<qint64>(0, number(status, "completedLength"));
    const qint64 total = number(status, "totalLength");
    state.size = total > 0 ? total : -1;
    const QString folder = savedFolder(status);
    if (state.folder.isEmpty() && !folder.isEmpty())
        state.folder = withSlash(folder);
}

void Aria2Job::finishLink(int i, const Result<SavedFile>& result)
{
    DownloadLinkState& state = m_states[i];
    ++m_finished;
    if (!result.isOk()) {
        m_failed = true;
        state.status = DownloadLinkState::Status::Failed;
        state.reason = result.message();
        ++m_summary.failed;
        const Aria2Link& link = m_links.at(i);
        m_summary.failures.append({ { { link.url, link.context }, i + 1 }, result.message() });
    } else {
        // The file as the daemon named it: it may have numbered a name that was taken.
        const QFileInfo saved(result.value().path);
        state.folder = withSlash(saved.path());
        state.file = saved.fileName();
        if (result.value().skipped) {
            state.status = DownloadLinkState::Status::Skipped;
            ++m_summary.skipped;
        } else {
            state.status = DownloadLinkState::Status::Saved;
            state.bytes = result.value().size;
            state.size = result.value().size;
            ++m_summary.saved;
            m_summary.savedBytes += result.value().size;
        }
    }
    emit linkFinished(i + 1, m_links.at(i).url, result);
}

void Aria2Job::failRemaining(const QString& message)
{
    for (int i = 0; i < count(); ++i) {
        if (!m_states.at(i).ended())
            finishLink(i, Result<SavedFile>::failed(message));
    }
}

void Aria2Job::finish(Phase phase)
{
    m_pollTimer.stop();
    m_step = Step::Over;
    m_phase = phase;
    m_label1.clear();
    m_label2.clear();
    if (phase == Phase::Error) {
        m_label3 = m_startError.isEmpty() ? QStringLiteral("Error") : m_startError;
        m_caption = QStringLiteral("Quillmarch - Saving Files (Error)");
    } else if (phase == Phase::Done) {
        m_bar1 = 100;
        m_label3 = QStringLiteral("Done");
        m_caption = QStringLiteral("Quillmarch - Saving Files (Complete)");
    }
    emit changed();
    emit ended();
}
