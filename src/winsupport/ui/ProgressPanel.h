#pragma once

#include <QImage>
#include <QLabel>
#include <QSize>
#include <QString>

#include "winsupport/IProgressSurface.h"

// The status bar's progress panel: a fixed-size label that shows either the progress
// bar's picture or its own text. It is both the bar's drawing surface (an image of its
// own, blocks in the palette's highlight colour on button face) and the host panel that
// shows the image; any panel key refers to the panel itself.
class ProgressPanel final : public QLabel, public IProgressSurface
{
public:
    static constexpr int kWidth = 200;

    explicit ProgressPanel(QWidget* parent = nullptr);

    // The panel's text, shown whenever no picture is set. Hides QLabel's text members,
    // which would drop the picture.
    void setText(const QString& text);
    QString text() const { return m_text; }
    bool showsPicture() const { return m_showsPicture; }
    const QImage& surfaceImage() const { return m_image; }

    int surfaceWidth() const override { return m_size.width(); }
    int surfaceHeight() const override { return m_size.height(); }
    void setSurfaceWidth(int width) override;
    void setSurfaceHeight(int height) override;
    void clearSurface(quint32 backColor) override;
    void fillRect(int left, int top, int right, int bottom, quint32 color) override;
    int panelWidth(const QString& panelKey) const override;
    int hostHeight() const override { return height(); }
    void setPanelPicture(const QString& panelKey, const IProgressSurface* picture) override;

    // Resolves an OLE colour (system colours through the palette).
    QColor resolveColor(quint32 color) const;

private:
    void resizeSurface(int width, int height);

    QString m_text;
    QSize m_size { 0, 0 }; // the surface's size; the image is null while either side is 0
    QImage m_image;
    bool m_showsPicture = false;
};
