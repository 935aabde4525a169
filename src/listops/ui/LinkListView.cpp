#include "listops/ui/LinkListView.h"

#include <QAbstractProxyModel>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>
#include <array>
#include <vector>

namespace
{

// Every row is as wide as the list's extent, so the view's horizontal scroll range is
// the extent rather than the width of whichever entry it measured first.
class ExtentDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int extent = 0;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setWidth(std::max(extent, 1));
        return size;
    }
};

} // namespace

LinkListView::LinkListView(QWidget* parent)
    : QTreeView(parent)
{
    setObjectName(QStringLiteral("List1"));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setUniformRowHeights(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setHeaderHidden(true);
    header()->setStretchLastSection(true);
    header()->setSectionsMovable(false);
    header()->setSortIndicatorClearable(true);
    // A click on a header sorts by its column; the third click shows the list's order.
    connect(header(), &QHeaderView::sortIndicatorChanged, this,
        [this](int section, Qt::SortOrder order) {
            if (m_table)
                m_table->sort(section, order);
        });
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DropOnly);
    setItemDelegate(new ExtentDelegate(this));
}

void LinkListView::setHorizontalExtent(int pixels)
{
    m_extent = std::max(pixels, 0);
    static_cast<ExtentDelegate*>(itemDelegate())->extent = m_extent;
    applyExtent();
}

void LinkListView::applyExtent()
{
    // The address is the last column: it is as wide as the widest entry.
    if (!model() || model()->columnCount() == 0)
        return;
    header()->resizeSection(model()->columnCount() - 1, std::max(m_extent, 1));
}

void LinkListView::measureExtent(const QStringList& entries)
{
    const int scroll = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int count = static_cast<int>(entries.size());
    if (m_measured > count)
        restartMeasure();
    if (m_measured < count) {
        const int w = widestTextWidth(font(), entries, m_measured) + scroll;
        if (w + 10 >= m_measuredExtent)
            m_measuredExtent = w + 10;
        m_measured = count;
    }
    setHorizontalExtent(m_measuredExtent);
}

void LinkListView::restartMeasure()
{
    m_measured = 0;
    m_measuredExtent = 0;
}

void LinkListView::setModel(QAbstractItemModel* model)
{
    if (QAbstractItemModel* old = this->model())
        disconnect(old, nullptr, this, nullptr);
    QTreeView::setModel(model);
    if (!m_table)
        restartMeasure();
    if (!model)
        return;
    connect(model, &QAbstractItemModel::rowsRemoved, this, &LinkListView::restartMeasure);
    connect(model, &QAbstractItemModel::modelReset, this, &LinkListView::restartMeasure);
    connect(
        model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int) {
            if (first < m_measured)
                restartMeasure();
        });
}

int LinkListView::entryNear(const QPoint& globalPos) const
{
    const QPoint at = viewport()->mapFromGlobal(globalPos);
    const QModelIndex index = indexAt(at);
    if (index.isValid())
        return listRow(index);
    const int count = model() ? model()->rowCount() : 0;
    if (count == 0)
        return -1;
    const QModelIndex last = model()->index(count - 1, 0);
    if (at.y() >= visualRect(last).bottom())
        return listRow(last);
    const QModelIndex first = indexAt(QPoint(0, at.y()));
    return listRow(first.isValid() ? first : model()->index(0, 0));
}

int LinkListView::listRow(const QModelIndex& index) const
{
    return m_table ? m_table->mapToSource(index).row() : index.row();
}

QModelIndex LinkListView::viewIndex(int row, int column) const
{
    if (!m_table)
        return model() ? model()->index(row, 0) : QModelIndex();
    return m_table->mapFromSource(m_table->sourceModel()->index(row, column));
}

void LinkListView::scrollToEntry(int row)
{
    scrollTo(viewIndex(row), QAbstractItemView::PositionAtTop);
}

void LinkListView::showTable(QAbstractProxyModel* table)
{
    if (table == m_table)
        return;
    if (!m_table) {
        m_list = model();
        m_listSelection = selectionModel();
    } else {
        disconnect(m_listSelection, nullptr, this, nullptr);
    }
    QItemSelectionModel* old = selectionModel();
    m_table = table;
    if (table) {
        // The table's own selection, kept the list's both ways.
        setModel(table);
        connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &LinkListView::syncToList);
        connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (m_syncing || !m_listSelection)
                    return;
                const QScopedValueRollback guard(m_syncing, true);
                m_listSelection->setCurrentIndex(
                    m_list->index(current.isValid() ? listRow(current) : -1, 0),
                    QItemSelectionModel::NoUpdate);
            });
        connect(m_listSelection, &QItemSelectionModel::selectionChanged, this,
            &LinkListView::syncFromList);
        connect(m_listSelection, &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (m_syncing)
                    return;
                const QScopedValueRollback guard(m_syncing, true);
                selectionModel()->setCurrentIndex(
                    current.isValid() ? viewIndex(current.row()) : QModelIndex(),
                    QItemSelectionModel::NoUpdate);
            });
        syncFromList(m_listSelection->selection(), {});
        const QScopedValueRollback guard(m_syncing, true);
        if (const QModelIndex current = m_listSelection->currentIndex(); current.isValid())
            selectionModel()->setCurrentIndex(
                viewIndex(current.row()), QItemSelectionModel::NoUpdate);
        header()->setSortIndicator(-1, Qt::AscendingOrder);
        table->sort(-1);
    } else {
        setModel(m_list);
        QItemSelectionModel* made = selectionModel();
        setSelectionModel(m_listSelection);
        if (made != m_listSelection)
            made->deleteLater();
    }
    if (old && old != m_listSelection)
        old->deleteLater();
    setHeaderHidden(!table);
    header()->setSortIndicatorShown(table != nullptr);
    header()->setSectionsClickable(table != nullptr);
    // A column before the address is as wide as its widest value (the model's
    // Qt::UserRole header data), so cells filled later are not cut.
    for (int section = 0; table && section + 1 < table->columnCount(); ++section) {
        const QString widest = table->headerData(section, Qt::Horizontal, Qt::UserRole).toString();
        header()->resizeSection(section,
            std::max(header()->sectionSizeHint(section),
                fontMetrics().horizontalAdvance(widest)
                    + 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8));
    }
    applyExtent();
}

// The list's selection, as ranges of list rows, shown in the table.
void LinkListView::syncFromList(const QItemSelection& selected, const QItemSelection& deselected)
{
    if (m_syncing || !m_table)
        return;
    const QScopedValueRollback guard(m_syncing, true);
    QAbstractItemModel* source = m_table->sourceModel();
    const int last = source->columnCount() - 1;
    const auto toTable = [&](const QItemSelection& rows) {
        QItemSelection table;
        for (const QItemSelectionRange& range : rows)
            table.select(source->index(range.top(), 0), source->index(range.bottom(), last));
        return m_table->mapSelectionFromSource(table);
    };
    if (!deselected.isEmpty())
        selectionModel()->select(toTable(deselected), QItemSelectionModel::Deselect);
    if (!selected.isEmpty())
        selectionModel()->select(toTable(selected), QItemSelectionModel::Select);
}

// The rows chosen in the table, as one change of the list's selection each way.
void LinkListView::syncToList(const QItemSelection& selected, const QItemSelection& deselected)
{
    if (m_syncing || !m_listSelection)
        return;
    const QScopedValueRollback guard(m_syncing, true);
    const auto toList = [this](const QItemSelection& chosen) {
        QList<int> rows;
        for (const QModelIndex& index : chosen.indexes()) {
            if (index.column() == 0)
                rows.append(listRow(index));
        }
        std::sort(rows.begin(), rows.end());
        QItemSelection list;
        for (qsizetype i = 0; i < rows.size();) {
            qsizetype j = i;
            while (j + 1 < rows.size() && rows.at(j + 1) <= rows.at(j) + 1)
                ++j;
            list.select(m_list->index(rows.at(i), 0), m_list->index(rows.at(j), 0));
            i = j + 1;
        }
        return list;
    };
    if (!deselected.isEmpty())
        m_listSelection->select(toList(deselected), QItemSelectionModel::Deselect);
    if (!selected.isEmpty())
        m_listSelection->select(toList(selected), QItemSelectionModel::Select);
}

int LinkListView::widestTextWidth(const QFont& font, const QStringList& entries, int from)
{
    const QFontMetrics fm(font);
    const QFontMetricsF fmf(font);
    std::array<qreal, 128> advance {};
    for (int c = 32; c < 128; ++c)
        advance[c] = fmf.horizontalAdvance(QChar(c));

    // Estimates: the sum of the characters' advances, which is the drawn width of plain
    // Latin text up to kerning. Entries with other characters are measured exactly.
    const int count = static_cast<int>(entries.size());
    std::vector<std::pair<qreal, int>> estimates; // (estimate, index)
    estimates.reserve(std::max(count - from, 0));
    int widest = 0;
    for (int i = from; i < count; ++i) {
        const QString& text = entries.at(i);
        qreal sum = 0;
        bool plain = true;
        for (QChar ch : text) {
            const char16_t u = ch.unicode();
            if (u >= 128 || u < 32) {
                plain = false;
                break;
            }
            sum += advance[u];
        }
        if (plain)
            estimates.emplace_back(sum, i);
        else
            widest = std::max(widest, fm.horizontalAdvance(text));
    }
    // Kerning moves a width by a fraction of a character per pair at most; every entry
    // whose estimate comes within a generous margin of the largest is measured exactly.
    std::sort(estimates.begin(), estimates.end(), std::greater<>());
    const qreal largest = estimates.empty() ? 0 : estimates.front().first;
    const qreal margin = largest / 20 + 2 * fmf.averageCharWidth();
    for (const auto& [estimate, index] : estimates) {
        if (estimate < largest - margin && estimate < widest - margin)
            break;
        widest = std::max(widest, fm.horizontalAdvance(entries.at(index)));
    }
    return widest;
}

bool LinkListView::acceptsDrop(const QMimeData* data)
{
    if (!data || !data->hasText())
        return false;
    if (data->hasUrls()) {
        const QList<QUrl> urls = data->urls();
        const bool allLocal
            = std::all_of(urls.begin(), urls.end(), [](const QUrl& u) { return u.isLocalFile(); });
        if (allLocal)
            return false;
    }
    return true;
}

void LinkListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (acceptsDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void LinkListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (acceptsDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void LinkListView::dropEvent(QDropEvent* event)
{
    if (!acceptsDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit textDropped(event->mimeData()->text());
}

void LinkListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit openRequested();
}

void LinkListView::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    emit mouseReleased(event->button(), event->globalPosition().toPoint());
}

void LinkListView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        emit enterPressed();
    QTreeView::keyPressEvent(event);
}

void LinkListView::focusInEvent(QFocusEvent* event)
{
    // The item view makes the first row current when it gains focus by the keyboard or
    // by window activation. Which entry is current is the user's choice alone (commands
    // act on it), so an entry made current that way is taken back.
    const bool hadCurrent = currentIndex().isValid();
    QTreeView::focusInEvent(event);
    if (!hadCurrent && currentIndex().isValid() && selectionModel())
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}
