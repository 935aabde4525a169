#include "listops/ui/LinkListView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
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
    : QListView(parent)
{
    setObjectName(QStringLiteral("List1"));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
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
    scheduleDelayedItemsLayout();
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
    QListView::setModel(model);
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
        return index.row();
    const int count = model() ? model()->rowCount() : 0;
    if (count == 0)
        return -1;
    const QModelIndex last = model()->index(count - 1, 0);
    if (at.y() >= visualRect(last).bottom())
        return count - 1;
    const QModelIndex first = indexAt(QPoint(0, at.y()));
    return first.isValid() ? first.row() : 0;
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
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit openRequested();
}

void LinkListView::mouseReleaseEvent(QMouseEvent* event)
{
    QListView::mouseReleaseEvent(event);
    emit mouseReleased(event->button(), event->globalPosition().toPoint());
}

void LinkListView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        emit enterPressed();
    QListView::keyPressEvent(event);
}

void LinkListView::focusInEvent(QFocusEvent* event)
{
    // The item view makes the first row current when it gains focus by the keyboard or
    // by window activation. Which entry is current is the user's choice alone (commands
    // act on it), so an entry made current that way is taken back.
    const bool hadCurrent = currentIndex().isValid();
    QListView::focusInEvent(event);
    if (!hadCurrent && currentIndex().isValid() && selectionModel())
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}
