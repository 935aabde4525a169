#include "listops/ui/LinkListView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QStyledItemDelegate>

namespace {

// Every row is as wide as the list's extent, so the view's horizontal scroll range is
// the extent rather than the width of whichever entry it measured first.
class ExtentDelegate final : public QStyledItemDelegate {
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

LinkListView::LinkListView(QWidget* parent) : QListView(parent)
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

bool LinkListView::acceptsDrop(const QMimeData* data)
{
    if (!data || !data->hasText())
        return false;
    if (data->hasUrls()) {
        const QList<QUrl> urls = data->urls();
        const bool allLocal = std::all_of(urls.begin(), urls.end(),
                                          [](const QUrl& u) { return u.isLocalFile(); });
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
