#include "pictures/ListColumnsModel.h"

#include <QStringList>
#include <algorithm>
#include <utility>

#include "listops/LinkList.h"
#include "pictures/PictureCriteria.h"
#include "pictures/PictureGridModel.h"

namespace
{

constexpr std::pair<ListColumnsModel::Column, const char*> kNames[] = {
    { ListColumnsModel::Column::Kind, "kind" },
    { ListColumnsModel::Column::Pixels, "pixels" },
    { ListColumnsModel::Column::FileSize, "size" },
    { ListColumnsModel::Column::Type, "type" },
};

} // namespace

QString ListColumnsModel::encode(const QList<Column>& columns)
{
    QStringList names;
    for (const auto& [column, name] : kNames) {
        if (columns.contains(column))
            names.append(QLatin1StringView(name));
    }
    return names.join(QLatin1Char(','));
}

QList<ListColumnsModel::Column> ListColumnsModel::decode(const QString& text)
{
    QList<Column> columns;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        for (const auto& [column, name] : kNames) {
            if (part.trimmed() == QLatin1StringView(name) && !columns.contains(column))
                columns.append(column);
        }
    }
    return columns;
}

ListColumnsModel::ListColumnsModel(LinkList* list, QObject* parent)
    : QAbstractTableModel(parent)
    , m_list(list)
{
    m_coalesce.setSingleShot(true);
    m_coalesce.setInterval(150);
    connect(&m_coalesce, &QTimer::timeout, this, &ListColumnsModel::applyChanges);
    // The list's changes are the table's, row for row.
    connect(list, &LinkList::rowsAboutToBeInserted, this,
        [this](const QModelIndex&, int first, int last) {
            beginInsertRows(QModelIndex(), first, last);
        });
    connect(list, &LinkList::rowsInserted, this, [this] { endInsertRows(); });
    connect(list, &LinkList::rowsAboutToBeRemoved, this,
        [this](const QModelIndex&, int first, int last) {
            beginRemoveRows(QModelIndex(), first, last);
        });
    connect(list, &LinkList::rowsRemoved, this, [this] { endRemoveRows(); });
    connect(list, &LinkList::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(list, &LinkList::modelReset, this, [this] { endResetModel(); });
    connect(list, &LinkList::dataChanged, this,
        [this](const QModelIndex& first, const QModelIndex& last) {
            emit dataChanged(index(first.row(), 0), index(last.row(), columnCount() - 1));
        });
}

QString ListColumnsModel::title(Column column)
{
    switch (column) {
    case Column::Kind:
        return tr("Kind");
    case Column::Pixels:
        return tr("Pixel size");
    case Column::FileSize:
        return tr("File size");
    case Column::Type:
        return tr("Type");
    case Column::Address:
        break;
    }
    return tr("Address");
}

void ListColumnsModel::setShown(Column column, bool shown)
{
    if (column == Column::Address || shown == isShown(column))
        return;
    beginResetModel();
    if (shown)
        m_shown.append(column);
    else
        m_shown.removeOne(column);
    std::sort(m_shown.begin(), m_shown.end());
    endResetModel();
}

bool ListColumnsModel::needsMeasuring() const
{
    return isShown(Column::Pixels) || isShown(Column::FileSize) || isShown(Column::Type);
}

ListColumnsModel::Column ListColumnsModel::columnAt(int section) const
{
    return section >= 0 && section < m_shown.size() ? m_shown.at(section) : Column::Address;
}

int ListColumnsModel::sectionOf(Column column) const
{
    if (column == Column::Address)
        return int(m_shown.size());
    return int(m_shown.indexOf(column));
}

void ListColumnsModel::setPicture(const QString& url, const PictureFacts& facts)
{
    m_facts.insert(url, facts);
    if (!m_coalesce.isActive())
        m_coalesce.start();
}

void ListColumnsModel::applyChanges()
{
    if (rowCount() > 0 && !m_shown.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, int(m_shown.size()) - 1));
}

QVariant ListColumnsModel::sortKey(int row, Column column) const
{
    const ListEntry& entry = m_list->entryAt(row);
    const PictureFacts facts = m_facts.value(entry.url);
    switch (column) {
    case Column::Kind:
        return entryKindName(entry.context.kind);
    case Column::Pixels:
        return facts.area() > 0 ? QVariant(facts.area()) : QVariant();
    case Column::FileSize:
        return facts.state == PictureFacts::State::Measured && facts.fileSize >= 0
            ? QVariant(facts.fileSize)
            : QVariant();
    case Column::Type: {
        const PictureType type = PictureCriteria::typeOf(entry, facts);
        return type == PictureType::Unknown ? QVariant() : QVariant(pictureTypeName(type));
    }
    case Column::Address:
        break;
    }
    return entry.url;
}

int ListColumnsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_list->count();
}

int ListColumnsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size()) + 1;
}

QVariant ListColumnsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_list->count())
        return {};
    const Column column = columnAt(index.column());
    if (column == Column::Address)
        return m_list->data(m_list->index(index.row()), role);
    const ListEntry& entry = m_list->entryAt(index.row());
    const PictureFacts facts = m_facts.value(entry.url);
    if (role == Qt::TextAlignmentRole && (column == Column::Pixels || column == Column::FileSize))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole && facts.state == PictureFacts::State::Failed)
        return facts.reason;
    if (role != Qt::DisplayRole)
        return {};
    const QVariant key = sortKey(index.row(), column);
    switch (column) {
    case Column::Pixels:
        if (facts.width > 0)
            return QStringLiteral("%1 × %2").arg(facts.width).arg(facts.height);
        // A picture that could not be measured says so; one not measured yet is blank.
        return facts.state == PictureFacts::State::Failed ? QStringLiteral("–") : QString();
    case Column::FileSize:
        return key.isValid() ? PictureGridModel::sizeText(key.toLongLong()) : QString();
    default:
        return key.toString();
    }
}

QVariant ListColumnsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return title(columnAt(section));
    if (role != Qt::UserRole)
        return {};
    // The widest value a column shows, by which the view sizes it.
    switch (columnAt(section)) {
    case Column::Kind:
        return QStringLiteral("background");
    case Column::Pixels:
        return QStringLiteral("00000 × 00000");
    case Column::FileSize:
        return QStringLiteral("000.0 KiB");
    case Column::Type:
        return QStringLiteral("video");
    case Column::Address:
        break;
    }
    return {};
}
