#pragma once

#include <QDialog>
#include <QImage>

#include "pictures/PictureCache.h"

class ITransferService;
class PictureFetcher;
class PictureGridModel;
class QLabel;
class QScrollArea;

// One picture of the grid on the whole screen, fitted or at its real size (F switches);
// the arrows step through the pictures the grid shows, Space selects or deselects the
// one in sight, Esc returns to the grid. The picture is fetched whole and read off the
// window's thread, with the same bounds as the thumbnails; its thumbnail stands in
// meanwhile.
class PictureViewer final : public QDialog
{
    Q_OBJECT
public:
    PictureViewer(
        PictureGridModel& model, ITransferService& transfers, int row, QWidget* parent = nullptr);

    int row() const { return m_row; }
    bool fitted() const { return m_fit; }

signals:
    void selectToggled(int row);
    void currentChanged(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void show(int row);
    void render();
    QString currentUrl() const;

    PictureGridModel& m_model;
    PictureCache m_cache;
    PictureFetcher* m_fetcher;
    QScrollArea* m_area;
    QLabel* m_picture;
    QLabel* m_caption;
    QImage m_image;
    int m_row = -1;
    bool m_fit = true;
};
