#include "listops/LinkList.h"

#include <algorithm>

LinkList::LinkList(QObject* parent)
    : QAbstractListModel(parent)
    , m_selection(this)
{
}

int LinkList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant LinkList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_entries.at(index.row()).url;
    if (role == Qt::ToolTipRole)
        return toolTip(index.row());
    return {};
}

QStringList LinkList::entries() const
{
    QStringList addresses;
    addresses.reserve(m_entries.size());
    for (const ListEntry& entry : m_entries)
        addresses.append(entry.url);
    return addresses;
}

bool LinkList::admits(QStringView entry)
{
    return entry.size() <= MaxEntryLength && !entry.contains(QChar(u'\0'));
}

QString LinkList::toolTip(int row) const
{
    const EntryContext& context = m_entries.at(row).context;
    QString tip = m_entries.at(row).url;
    if (context.isEmpty())
        return tip;
    tip += u'\n' + entryKindName(context.kind);
    if (!context.text.isEmpty())
        tip += QStringLiteral(": ") + context.text.left(200);
    if (!context.title.isEmpty())
        tip += u'\n' + context.title.left(200);
    if (!context.page.isEmpty())
        tip += u'\n' + context.page;
    return tip;
}

bool LinkList::add(const QString& entry, const EntryContext& context)
{
    if (isFull() || !admits(entry))
        return false;
    const int row = count();
    beginInsertRows(QModelIndex(), row, row);
    m_entries.append({ entry, context });
    indexEntry(entry);
    endInsertRows();
    return true;
}

int LinkList::addMany(const QStringList& given)
{
    QStringList admitted;
    const bool allAdmitted = std::all_of(given.begin(), given.end(), admits);
    if (!allAdmitted) {
        for (const QString& entry : given) {
            if (admits(entry))
                admitted.append(entry);
        }
    }
    const QStringList& entries = allAdmitted ? given : admitted;
    const int room = m_maxEntries - count();
    const int n = std::min(room, static_cast<int>(entries.size()));
    if (n <= 0)
        return 0;
    const int first = count();
    beginInsertRows(QModelIndex(), first, first + n - 1);
    m_entries.reserve(first + n);
    for (int i = 0; i < n; ++i) {
        m_entries.append({ entries.at(i), {} });
        indexEntry(entries.at(i));
    }
    endInsertRows();
    return n;
}

int LinkList::addEntries(const ListEntries& given)
{
    const int room = m_maxEntries - count();
    if (room <= 0)
        return 0;
    ListEntries entries;
    entries.reserve(std::min(room, static_cast<int>(given.size())));
    for (const ListEntry& entry : given) {
        if (static_cast<int>(entries.size()) == room)
            break;
        if (admits(entry.url))
            entries.append(entry);
    }
    if (entries.isEmpty())
        return 0;
    const int first = count();
    const int n = static_cast<int>(entries.size());
    beginInsertRows(QModelIndex(), first, first + n - 1);
    m_entries.reserve(first + n);
    for (const ListEntry& entry : entries) {
        m_entries.append(entry);
        indexEntry(entry.url);
    }
    endInsertRows();
    return n;
}

void LinkList::removeAt(int index)
{
    if (index < 0 || index >= count())
        return;
    beginRemoveRows(QModelIndex(), index, index);
    unindexEntry(m_entries.at(index).url);
    m_entries.removeAt(index);
    endRemoveRows();
}

void LinkList::removeRows(const QList<int>& rows)
{
    QList<bool> removed(count(), false);
    bool any = false;
    for (int row : rows) {
        if (row >= 0 && row < count())
            removed[row] = any = true;
    }
    if (!any)
        return;
    beginResetModel();
    ListEntries entries;
    entries.reserve(count());
    for (int i = 0; i < count(); ++i) {
        if (removed.at(i))
            unindexEntry(m_entries.at(i).url);
        else
            entries.append(m_entries.at(i));
    }
    m_entries = std::move(entries);
    endResetModel();
}

void LinkList::truncate(int first)
{
    first = std::max(first, 0);
    if (first >= count())
        return;
    beginRemoveRows(QModelIndex(), first, count() - 1);
    for (int i = first; i < count(); ++i)
        unindexEntry(m_entries.at(i).url);
    m_entries.resize(first);
    endRemoveRows();
}

void LinkList::clear()
{
    beginResetModel();
    m_entries.clear();
    m_index.clear();
    endResetModel();
}

bool LinkList::isSelected(int index) const
{
    return m_selection.isSelected(this->index(index));
}

void LinkList::setSelected(int index, bool selected)
{
    if (index < 0 || index >= count())
        return;
    m_selection.select(
        this->index(index), selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

void LinkList::setRangeSelected(int first, int last, bool selected)
{
    first = std::max(first, 0);
    last = std::min(last, count() - 1);
    if (first > last)
        return;
    m_selection.select(QItemSelection(index(first), index(last)),
        selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

int LinkList::selectedCount() const
{
    int n = 0;
    for (const QItemSelectionRange& range : m_selection.selection())
        n += range.height();
    return n;
}

QList<int> LinkList::selectedIndexes() const
{
    QList<int> rows;
    for (const QModelIndex& i : m_selection.selectedIndexes())
        rows.append(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int LinkList::currentIndex() const
{
    const QModelIndex current = m_selection.currentIndex();
    return current.isValid() ? current.row() : -1;
}

void LinkList::setCurrentIndex(int index)
{
    if (index < 0 || index >= count())
        m_selection.setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    else
        m_selection.setCurrentIndex(this->index(index), QItemSelectionModel::NoUpdate);
}

void LinkList::indexEntry(const QString& entry)
{
    ++m_index[entry];
}

void LinkList::unindexEntry(const QString& entry)
{
    auto it = m_index.find(entry);
    if (it != m_index.end() && --it.value() == 0)
        m_index.erase(it);
}
