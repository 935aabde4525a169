#include "crawl/CrawlFrontier.h"

#include <QDir>
#include <QUrl>

CrawlFrontier::CrawlFrontier(QString spillFolder, qsizetype memoryBound)
    : m_folder(std::move(spillFolder))
    , m_bound(std::max<qsizetype>(memoryBound, 1))
{
}

CrawlFrontier::~CrawlFrontier()
{
    m_spillReader.close();
    if (m_spill.isOpen())
        m_spill.remove();
}

QString CrawlFrontier::key(const QString& url)
{
    return QUrl(url)
        .adjusted(QUrl::RemoveFragment | QUrl::NormalizePathSegments)
        .toString(QUrl::FullyEncoded);
}

bool CrawlFrontier::add(const CrawlVisit& visit)
{
    const QString k = key(visit.url);
    if (m_known.contains(k))
        return false;
    m_known.insert(k);
    push(visit);
    return true;
}

void CrawlFrontier::requeue(const CrawlVisit& visit)
{
    m_known.insert(key(visit.url));
    push(visit);
}

void CrawlFrontier::push(const CrawlVisit& visit)
{
    // Once visits are in the file, later ones follow them there to keep the order.
    if (m_spilled == 0 && static_cast<qsizetype>(m_head.size()) < m_bound) {
        m_head.push_back(visit);
        return;
    }
    if (!m_spill.isOpen()) {
        if (m_folder.isEmpty() || !QDir().mkpath(m_folder)) {
            m_head.push_back(visit); // no folder to spill to: memory it is
            return;
        }
        const QString path = QDir(m_folder).filePath(QStringLiteral("waiting.spill"));
        m_spill.setFileName(path);
        m_spillReader.setFileName(path);
        if (!m_spill.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || !m_spillReader.open(QIODevice::ReadOnly)) {
            m_spill.close();
            m_head.push_back(visit);
            return;
        }
    }
    const QByteArray line = QByteArray::number(visit.depth) + ' ' + QByteArray::number(visit.tries)
        + ' ' + visit.url.toUtf8() + '\n';
    if (m_spill.write(line) != line.size()) {
        m_head.push_back(visit);
        return;
    }
    ++m_spilled;
}

void CrawlFrontier::refill()
{
    if (m_spilled == 0 || !m_spill.isOpen())
        return;
    m_spill.flush();
    m_spillReader.seek(m_readAt);
    while (m_spilled > 0 && static_cast<qsizetype>(m_head.size()) < m_bound) {
        const QByteArray line = m_spillReader.readLine();
        if (line.isEmpty()) {
            m_spilled = 0; // the file was cut short: what it lost cannot be read back
            break;
        }
        --m_spilled;
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() < 3)
            continue;
        m_head.push_back(
            { QString::fromUtf8(line.trimmed().mid(parts[0].size() + parts[1].size() + 2)),
                parts[0].toInt(), parts[1].toInt() });
    }
    m_readAt = m_spillReader.pos();
    if (m_spilled == 0) {
        // Everything was read back: the file starts anew.
        m_spill.close();
        m_spillReader.close();
        m_readAt = 0;
    }
}

std::optional<CrawlVisit> CrawlFrontier::take(const std::function<bool(const CrawlVisit&)>& ready)
{
    if (m_head.empty())
        refill();
    const size_t look = std::min<size_t>(m_head.size(), LookAhead);
    for (size_t i = 0; i < look; ++i) {
        if (!ready(m_head[i]))
            continue;
        CrawlVisit visit = std::move(m_head[i]);
        m_head.erase(m_head.begin() + static_cast<std::ptrdiff_t>(i));
        if (m_head.empty())
            refill();
        return visit;
    }
    return std::nullopt;
}

QList<CrawlVisit> CrawlFrontier::all()
{
    QList<CrawlVisit> visits(m_head.begin(), m_head.end());
    if (m_spilled > 0 && m_spill.isOpen()) {
        m_spill.flush();
        m_spillReader.seek(m_readAt);
        for (qsizetype i = 0; i < m_spilled; ++i) {
            const QByteArray line = m_spillReader.readLine().trimmed();
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() < 3)
                break;
            visits.append({ QString::fromUtf8(line.mid(parts[0].size() + parts[1].size() + 2)),
                parts[0].toInt(), parts[1].toInt() });
        }
    }
    return visits;
}
