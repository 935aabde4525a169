#pragma once

#include <QFontMetrics>
#include <QListView>

// The link list's view ("List1"): multiple selection, one uniform row height so tens of
// thousands of entries scroll smoothly, a horizontal extent set from the widest entry,
// and plain-text drops handed to the owner.
class LinkListView final : public QListView
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

    int m_extent = 0;
    int m_measuredExtent = 0; // widest entry measured so far, with margins
    int m_measured = 0; // entries [0, m_measured) are measured
};
