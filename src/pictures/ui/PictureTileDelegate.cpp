#include "pictures/ui/PictureTileDelegate.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "pictures/PictureGridModel.h"

void PictureTileDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    opt.icon = QIcon();
    opt.features &= ~QStyleOptionViewItem::HasDecoration;
    QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    const QRect box(opt.rect.x() + (opt.rect.width() - kThumbnail) / 2, opt.rect.y() + 4,
        kThumbnail, kThumbnail);
    const QImage thumbnail = index.data(Qt::DecorationRole).value<QImage>();
    const auto facts = index.data(PictureGridModel::FactsRole).value<PictureFacts>();
    const bool video = index.data(PictureGridModel::TypeRole).toString() == QLatin1String("video");
    painter->save();
    if (!thumbnail.isNull()) {
        const QSize shown = thumbnail.size()
                                .scaled(box.size(), Qt::KeepAspectRatio)
                                .boundedTo(thumbnail.size().expandedTo(QSize(48, 48)));
        const QRect target(box.x() + (box.width() - shown.width()) / 2,
            box.y() + (box.height() - shown.height()) / 2, shown.width(), shown.height());
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawImage(target, thumbnail);
    } else {
        painter->setPen(opt.palette.color(QPalette::Mid));
        painter->drawRect(box.adjusted(0, 0, -1, -1));
        QString symbol;
        if (video)
            symbol = QStringLiteral("🎞");
        else if (facts.state == PictureFacts::State::Failed || !facts.reason.isEmpty())
            symbol = QStringLiteral("⚠");
        else
            symbol = QStringLiteral("…");
        QFont big = painter->font();
        big.setPointSizeF(big.pointSizeF() * 2.5);
        painter->setFont(big);
        painter->setPen(opt.palette.color(QPalette::Text));
        painter->drawText(box, Qt::AlignCenter, symbol);
        painter->setFont(opt.font);
    }
    painter->setPen(opt.palette.color(
        opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    const QFontMetrics metrics(opt.font);
    const QRect nameLine(
        opt.rect.x() + 4, box.bottom() + 4, opt.rect.width() - 8, metrics.height());
    painter->drawText(nameLine, Qt::AlignHCenter,
        metrics.elidedText(
            index.data(Qt::DisplayRole).toString(), Qt::ElideMiddle, nameLine.width()));
    const QString caption = facts.state == PictureFacts::State::Failed
        ? facts.reason
        : index.data(PictureGridModel::CaptionRole).toString();
    painter->drawText(nameLine.translated(0, metrics.height()), Qt::AlignHCenter,
        metrics.elidedText(caption, Qt::ElideRight, nameLine.width()));
    painter->restore();
}

QSize PictureTileDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return QSize(kThumbnail + 24, kThumbnail + 12 + 2 * QFontMetrics(option.font).height());
}
