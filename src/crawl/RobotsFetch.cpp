#include "crawl/RobotsFetch.h"

#include <QFile>
#include <QTimer>

#include "download/ITransferService.h"

RobotsFetch::RobotsFetch(ITransferService& transfers, QObject* parent)
    : QObject(parent)
    , m_transfers(transfers)
{
    connect(&m_transfers, &ITransferService::headersReceived, this,
        [this](quint64 id, const TransferHeaders& headers) {
            if (auto it = m_pending.find(id); it != m_pending.end())
                it->status = headers.status;
        });
    // A file past the bound is not read: the fetch stops there.
    connect(&m_transfers, &ITransferService::progressed, this, [this](quint64 id, qint64 bytes) {
        if (m_pending.contains(id) && bytes > RobotsRules::MaxBytes)
            m_transfers.cancel(id);
    });
    connect(&m_transfers, &ITransferService::finished, this, &RobotsFetch::onFinished);
}

RobotsFetch::~RobotsFetch()
{
    cancelAll();
}

void RobotsFetch::fetch(const QString& origin, std::function<void(const RobotsRules&)> done)
{
    if (!m_folder.isValid()) {
        QTimer::singleShot(0, this, [done = std::move(done)] { done(RobotsRules()); });
        return;
    }
    TransferRequest request;
    request.url = origin + QStringLiteral("/robots.txt");
    request.tempPath = m_folder.filePath(QStringLiteral("robots-%1.txt").arg(++m_files));
    request.connectTimeoutSeconds = 15;
    request.stallTimeoutSeconds = 15;
    request.maxRedirects = 5;
    const QString path = request.tempPath;
    const quint64 id = m_transfers.start(request);
    m_pending.insert(id, Pending { path, std::move(done) });
}

void RobotsFetch::cancelAll()
{
    const QHash<quint64, Pending> pending = std::exchange(m_pending, {});
    for (auto it = pending.cbegin(); it != pending.cend(); ++it) {
        m_transfers.cancel(it.key());
        QFile::remove(it->path);
    }
}

void RobotsFetch::onFinished(quint64 id, const TransferEnd& end)
{
    const auto it = m_pending.find(id);
    if (it == m_pending.end())
        return;
    const Pending pending = *it;
    m_pending.erase(it);
    RobotsRules rules;
    if (end.kind == TransferEnd::Kind::Complete && pending.status == 200) {
        QFile file(pending.path);
        if (file.open(QIODevice::ReadOnly))
            rules = RobotsRules::parse(file.read(RobotsRules::MaxBytes + 1), agent());
    }
    QFile::remove(pending.path);
    pending.done(rules);
}
