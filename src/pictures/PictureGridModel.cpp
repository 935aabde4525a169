#include "pictures/PictureGridModel.h"

#include <QUrl>

#include "listops/LinkList.h"

PictureGridModel::PictureGridModel(LinkList* list, QObject* parent)
    : QSortFilterProxyModel(parent)
    , m_list(list)
{
    setSourceModel(list);
    setDynamicSortFilter(true);
    m_coalesce.setSingleShot(true);
    m_coalesce.setInterval(150);
    connect(&m_coalesce, &QTimer::timeout, this, &PictureGridModel::applyChanges);
    sort(0);
}

void PictureGridModel::setCriteria(const PictureCriteria& criteria)
{
    m_criteria = criteria;
    invalidate();
    emit picturesChanged();
}

void PictureGridModel::setPicture(
    const QString& url, const PictureFacts& facts, const QImage& thumbnail)
{
    m_facts.insert(url, facts);
    if (!thumbnail.isNull())
        m_thumbnails.insert(url, thumbnail);
    if (!m_coalesce.isActive())
        m_coalesce.start();
}

void PictureGridModel::applyChanges()
{
    if (m_criteria.boundsSize() || m_criteria.order != PictureCriteria::Order::Page
        || !m_criteria.types.isEmpty())
        invalidate();
    else if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0));
    emit picturesChanged();
}

QList<int> PictureGridModel::shownRows() const
{
    QList<int> rows;
    rows.reserve(rowCount());
    for (int i = 0; i < rowCount(); ++i)
        rows.append(mapToSource(index(i, 0)).row());
    return rows;
}

int PictureGridModel::mediaCount() const
{
    int n = 0;
    for (const ListEntry& entry : m_list->listEntries())
        n += PictureCriteria::isMedia(entry) ? 1 : 0;
    return n;
}

int PictureGridModel::measuredCount() const
{
    int n = 0;
    for (const ListEntry& entry : m_list->listEntries()) {
        if (PictureCriteria::isMedia(entry)
            && m_facts.value(entry.url).state != PictureFacts::State::Pending)
            ++n;
    }
    return n;
}

QString PictureGridModel::sizeText(qint64 bytes)
{
    if (bytes < 1024)
        return tr("%1 B").arg(bytes);
    if (bytes < 1024 * 1024)
        return tr("%1 KiB").arg(double(bytes) / 1024, 0, 'f', 1);
    return tr("%1 MiB").arg(double(bytes) / (1024 * 1024), 0, 'f', 1);
}

QVariant PictureGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const ListEntry& entry = m_list->entryAt(mapToSource(index).row());
    const PictureFacts facts = m_facts.value(entry.url);
    switch (role) {
    case Qt::DisplayRole: {
        const QString name = QUrl(entry.url).path().section('/', -1);
        return name.isEmpty() ? entry.url : name;
    }
    case CaptionRole: {
        QStringList parts;
        if (facts.width > 0)
            parts.append(QStringLiteral("%1 × %2").arg(facts.width).arg(facts.height));
        if (facts.fileSize >= 0)
            parts.append(sizeText(facts.fileSize));
        return parts.join(QStringLiteral(" · "));
    }
    case Qt::DecorationRole: {
        const QImage thumbnail = m_thumbnails.value(entry.url);
        return thumbnail.isNull() ? QVariant() : QVariant(thumbnail);
    }
    case Qt::ToolTipRole:
        return facts.reason.isEmpty() ? entry.url : entry.url + '\n' + facts.reason;
    case FactsRole:
        return QVariant::fromValue(facts);
    case UrlRole:
        return entry.url;
    case TypeRole:
        return pictureTypeName(PictureCriteria::typeOf(entry, facts));
    default:
        return QSortFilterProxyModel::data(index, role);
    }
}

bool PictureGridModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    const ListEntry& entry = m_list->entryAt(sourceRow);
    return m_criteria.accepts(entry, m_facts.value(entry.url));
}

bool PictureGridModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const ListEntry& a = m_list->entryAt(left.row());
    const ListEntry& b = m_list->entryAt(right.row());
    const PictureFacts fa = m_facts.value(a.url);
    const PictureFacts fb = m_facts.value(b.url);
    if (m_criteria.tied(a, fa, b, fb))
        return left.row() < right.row();
    return m_criteria.before(a, fa, b, fb);
}
