#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QItemSelectionModel>
#include <QStringList>

#include "listops/EntryContext.h"

// The link list: entries (an address with its context) in insertion order, with multiple selection
// and a current entry (-1 when none). Counts and indexes are 16-bit in the program's file and
// message formats, so the window's list holds at most MaxEntries entries; an add past the limit
// (maxEntries(), which a list that is never saved in those formats may raise) is refused and
// reported through its result. An entry with a NUL character or longer than MaxEntryLength is
// never listed: adds skip it without a word, so every listed entry can be saved and read back.
class LinkList final : public QAbstractListModel
{
    Q_OBJECT
public:
    static constexpr int MaxEntries = 32767;
    // UTF-16 units; the list file reader takes fields of any entry this long.
    static constexpr qsizetype MaxEntryLength = 1024 * 1024;

    // Whether an entry can be listed (see above).
    static bool admits(QStringView entry);

    explicit LinkList(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    int count() const { return static_cast<int>(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    bool isFull() const { return count() >= m_maxEntries; }
    // The most entries this list takes: MaxEntries unless raised (up to the largest count
    // an int holds) by a list that is only printed or written as text.
    int maxEntries() const { return m_maxEntries; }
    void setMaxEntries(int limit) { m_maxEntries = limit; }
    // The address of an entry.
    const QString& at(int index) const { return m_entries.at(index).url; }
    // Every entry's address, in order.
    QStringList entries() const;
    const ListEntries& listEntries() const { return m_entries; }
    // The context kept for an entry; default for entries listed without one.
    const EntryContext& contextAt(int index) const { return m_entries.at(index).context; }
    const ListEntry& entryAt(int index) const { return m_entries.at(index); }

    // Exact, case-sensitive membership test, answered from an index.
    bool contains(const QString& entry) const { return m_index.contains(entry); }

    // Adds at the end; false (nothing added) when the list is full or the entry is
    // not admitted.
    bool add(const QString& entry, const EntryContext& context = {});
    // Adds the admitted entries at the end in one model change; stops at the limit and
    // returns how many were added.
    int addMany(const QStringList& entries);
    int addEntries(const ListEntries& entries);
    void removeAt(int index);
    // Removes the entries at the given rows (any order) in one model change.
    void removeRows(const QList<int>& rows);
    // Removes the entries from index first to the end.
    void truncate(int first);
    void clear();

    QItemSelectionModel* selectionModel() { return &m_selection; }
    bool isSelected(int index) const;
    void setSelected(int index, bool selected);
    // Sets or clears the selection flag of every entry in [first, last].
    void setRangeSelected(int first, int last, bool selected);
    int selectedCount() const;
    QList<int> selectedIndexes() const;

    int currentIndex() const;
    void setCurrentIndex(int index);

    // Asks the view to make an entry the first visible one.
    void setTopIndex(int index) { emit topIndexRequested(index); }

signals:
    void topIndexRequested(int index);

private:
    QString toolTip(int row) const;
    void indexEntry(const QString& entry);
    void unindexEntry(const QString& entry);

    ListEntries m_entries;
    QHash<QString, int> m_index; // entry -> number of times it is listed
    QItemSelectionModel m_selection;
    int m_maxEntries = MaxEntries;
};
