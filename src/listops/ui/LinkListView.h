#pragma once

#include <QAbstractProxyModel>
#include <QFontMetrics>
#include <QPointer>
#include <QTreeView>

// The link list's view ("List1"): multiple selection, one uniform row height so tens of
// thousands of entries scroll smoothly, a horizontal extent set from the widest entry,
// and plain-text drops handed to the owner. It shows the list itself, or a table of the
// list with more columns (showTable), which a click on a column's header sorts without
// reordering the list; the selection and the current entry stay the list's either way.
class LinkListView final : public QTreeView
{
    Q_OBJECT
public:
    explicit LinkListView(QWidget* parent = nullptr);

    // Width in pixels the horizontal scroll bar covers; 0 for an empty list.
    void setHorizontalExtent(int pixels);
    int horizontalExtent() const { return m_extent; }
    // Sets the extent from the list's entries: the widest entry's width plus the
    // vertical scroll bar and a margin. Builders only append, so entries measured before
    // keep their widths: each call measures only the entries added since the last one.
    // A removal, a clear or an insertion before the end in the model starts the
    // measurement over.
    void measureExtent(const QStringList& entries);
    void setModel(QAbstractItemModel* model) override;
    // The entry at a point on the screen, or the last one when the point lies below the
    // entries (the list answers with the nearest entry); -1 for an empty list.
    int entryNear(const QPoint& globalPos) const;

    // Shows table, a proxy whose source rows are the list's rows (its last column the
    // address; Qt::UserRole header data the widest value of each other), instead of the list; null
    // shows the list again. The model and selection model set before are the list's.
    void showTable(QAbstractProxyModel* table);
    bool showsTable() const { return m_table != nullptr; }
    // Scrolls the list's entry at row to the top of the view.
    void scrollToEntry(int row);

    // The width of the widest of entries [from, count) as the font draws it. Exact
    // measuring shapes each text and costs microseconds an entry, so the entries are
    // first estimated from per-character advances and only those that could be the
    // widest are measured exactly.
    static int widestTextWidth(const QFont& font, const QStringList& entries, int from);

    // True when a drag carries text the list takes: plain text that is not only a list
    // of local files.
    static bool acceptsDrop(const QMimeData* data);

signals:
    void textDropped(const QString& text);
    void openRequested(); // double-click
    void enterPressed();
    void mouseReleased(Qt::MouseButton button, const QPoint& globalPos);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void restartMeasure();
    void applyExtent();
    int listRow(const QModelIndex& index) const;
    QModelIndex viewIndex(int row, int column = 0) const;
    void syncFromList(const QItemSelection& selected, const QItemSelection& deselected);
    void syncToList(const QItemSelection& selected, const QItemSelection& deselected);

    QPointer<QAbstractProxyModel> m_table;
    QPointer<QAbstractItemModel> m_list;
    QPointer<QItemSelectionModel> m_listSelection;
    bool m_syncing = false;

    int m_extent = 0;
    int m_measuredExtent = 0; // widest entry measured so far, with margins
    int m_measured = 0; // entries [0, m_measured) are measured
};
