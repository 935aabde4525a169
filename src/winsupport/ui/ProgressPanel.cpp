#include "winsupport/ui/ProgressPanel.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <algorithm>

ProgressPanel::ProgressPanel(QWidget* parent)
    : QLabel(parent)
{
    // A fixed size keeps the status bar from jumping between text and picture and gives
    // the bar a stable panel to fit.
    setFixedSize(kWidth, std::max(20, fontMetrics().height() + 8));
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setIndent(4);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
}

void ProgressPanel::setText(const QString& text)
{
    m_text = text;
    setToolTip(text);
    if (!m_showsPicture)
        QLabel::setText(text);
}

void ProgressPanel::setSurfaceWidth(int width)
{
    resizeSurface(width, m_size.height());
}

void ProgressPanel::setSurfaceHeight(int height)
{
    resizeSurface(m_size.width(), height);
}

void ProgressPanel::resizeSurface(int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (QSize(width, height) == m_size)
        return;
    m_size = QSize(width, height);
    // The surface keeps what it holds where old and new sizes overlap.
    QImage resized(width, height, QImage::Format_RGB32);
    if (!resized.isNull())
        resized.fill(palette().color(QPalette::Button));
    if (!m_image.isNull() && !resized.isNull()) {
        QPainter painter(&resized);
        painter.drawImage(0, 0, m_image);
    }
    m_image = resized;
}

void ProgressPanel::clearSurface(quint32 backColor)
{
    if (!m_image.isNull())
        m_image.fill(resolveColor(backColor));
}

void ProgressPanel::fillRect(int left, int top, int right, int bottom, quint32 color)
{
    if (m_image.isNull())
        return;
    QPainter painter(&m_image);
    painter.fillRect(
        QRect(QPoint(left, top), QPoint(right, bottom)).normalized(), resolveColor(color));
}

int ProgressPanel::panelWidth(const QString&) const
{
    return width();
}

void ProgressPanel::setPanelPicture(const QString&, const IProgressSurface* picture)
{
    const auto* source = dynamic_cast<const ProgressPanel*>(picture);
    if (source && !source->m_image.isNull()) {
        m_showsPicture = true;
        setPixmap(QPixmap::fromImage(source->m_image));
    } else {
        m_showsPicture = false;
        // clear() first: QLabel ignores a text equal to the one it holds, and an empty
        // text would leave the picture on show.
        QLabel::clear();
        QLabel::setText(m_text);
    }
    repaint();
}

QColor ProgressPanel::resolveColor(quint32 color) const
{
    if (color & 0x80000000u) {
        switch (color & 0xFFu) {
        case 5:
            return palette().color(QPalette::Base);
        case 8:
            return palette().color(QPalette::Text);
        case 13:
            return palette().color(QPalette::Highlight);
        case 14:
            return palette().color(QPalette::HighlightedText);
        case 18:
            return palette().color(QPalette::ButtonText);
        default:
            return palette().color(QPalette::Button);
        }
    }
    return QColor(color & 0xFFu, (color >> 8) & 0xFFu, (color >> 16) & 0xFFu);
}
