#pragma once

#include <QStyledItemDelegate>

// Draws one tile of the picture grid: the thumbnail (or a film symbol for a video, or a
// placeholder with the reason a picture has none), its name and its size below.
class PictureTileDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int kThumbnail = 160; // the thumbnail's box in the tile
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
