#include "pictures/ListColumnsSorter.h"

#include "pictures/ListColumnsModel.h"

ListColumnsSorter::ListColumnsSorter(ListColumnsModel* table, QObject* parent)
    : QSortFilterProxyModel(parent)
    , m_table(table)
{
    setSourceModel(table);
    setDynamicSortFilter(true);
}

bool ListColumnsSorter::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    // A descending sort asks lessThan(right, left): what must come first either way
    // answers by the order.
    const bool ascending = sortOrder() == Qt::AscendingOrder;
    const ListColumnsModel::Column column = m_table->columnAt(left.column());
    const QVariant a = m_table->sortKey(left.row(), column);
    const QVariant b = m_table->sortKey(right.row(), column);
    if (a.isValid() != b.isValid())
        return a.isValid() == ascending;
    if (a.isValid()) {
        int c = 0;
        if (a.typeId() == QMetaType::QString)
            c = a.toString().compare(b.toString(), Qt::CaseInsensitive);
        else
            c = a.toLongLong() < b.toLongLong() ? -1 : (a.toLongLong() > b.toLongLong() ? 1 : 0);
        if (c != 0)
            return c < 0;
    }
    return ascending ? left.row() < right.row() : left.row() > right.row();
}
