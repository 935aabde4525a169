#pragma once

#include <QSortFilterProxyModel>

class ListColumnsModel;

// The list's table in the order of a column the user clicked, without reordering the
// list itself: numbers by value, text ignoring case, what is not known last in either
// direction, and rows that sort alike in the list's order. Sorting by column -1 shows
// the list's own order.
class ListColumnsSorter final : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit ListColumnsSorter(ListColumnsModel* table, QObject* parent = nullptr);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    ListColumnsModel* m_table;
};
