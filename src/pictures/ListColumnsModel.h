#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QTimer>

#include "pictures/PictureFacts.h"

class LinkList;

// The link list as a table: the optional columns shown (kind, pixel size, file size,
// type, in that order) and the address last, where a long address has the room to its
// right. Rows are the list's rows. The pixel and file sizes come from the measuring
// (setPicture), shown as they become known.
class ListColumnsModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum class Column { Kind, Pixels, FileSize, Type, Address };
    static constexpr Column kOptional[]
        = { Column::Kind, Column::Pixels, Column::FileSize, Column::Type };

    explicit ListColumnsModel(LinkList* list, QObject* parent = nullptr);

    void setShown(Column column, bool shown);
    bool isShown(Column column) const { return m_shown.contains(column); }
    bool anyShown() const { return !m_shown.isEmpty(); }
    // Whether a column shown needs the pictures measured.
    bool needsMeasuring() const;
    Column columnAt(int section) const;
    int sectionOf(Column column) const; // -1 when not shown

    // Takes what became known of a picture; the cells change a moment later, many
    // reports at once.
    void setPicture(const QString& url, const PictureFacts& facts);
    PictureFacts factsOf(const QString& url) const { return m_facts.value(url); }

    // What a row sorts by in a column: a number for the sizes, text otherwise; invalid
    // when not known, which sorts last either way.
    QVariant sortKey(int row, Column column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The title of a column, and as Qt::UserRole the widest value it shows.
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // A column's name in the header and its menu item.
    static QString title(Column column);
    // The stored form of optional columns: "kind", "pixels", "size", "type" joined by ","
    // in that order; decode ignores names it does not know.
    static QString encode(const QList<Column>& columns);
    static QList<Column> decode(const QString& text);

private:
    void applyChanges();

    LinkList* m_list;
    QList<Column> m_shown; // in kOptional's order
    QHash<QString, PictureFacts> m_facts;
    QTimer m_coalesce;
};
