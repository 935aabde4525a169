#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "pictures/PictureCache.h"
#include "pictures/PictureFetcher.h"
#include "pictures/PictureGridModel.h"

class CRegSettings;
class LinkList;
class QCheckBox;
class QComboBox;
class QListView;
class QSpinBox;
class QToolButton;

// The picture view of the list: a bar of filters and orders over a grid of the list's
// media entries, measured and given thumbnails in the background (the tiles in sight
// first) while the pane is active. Selecting tiles selects the list's entries.
class PicturePane final : public QWidget
{
    Q_OBJECT
public:
    // session: the cookies and User-Agent of the browser windows, asked when the pane
    // becomes active. The filters and order are read from settings and kept there.
    PicturePane(LinkList& list, ITransferService& transfers, QString cacheFolder,
        std::function<std::pair<QStringList, QString>()> session, CRegSettings& settings,
        QWidget* parent = nullptr);
    ~PicturePane() override;

    // Shown and measuring, or hidden and idle.
    void setActive(bool active);
    bool isActive() const { return m_active; }
    // The list rows of the entries the grid shows, in its order.
    QList<int> shownRows() const { return m_model->shownRows(); }
    QString statusText() const;
    PictureGridModel* model() const { return m_model; }
    PictureFetcher* fetcher() const { return m_fetcher; }
    QListView* grid() const { return m_grid; }

signals:
    void statusChanged(const QString& text);

protected:
    // A grid grown larger shows tiles that want their thumbnails.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* makeFilterBar();
    void showCriteria(const PictureCriteria& criteria);
    void readCriteria();
    void requestAll();
    void requestVisible();
    void openViewer(const QModelIndex& index);
    void syncFromList(const QItemSelection& selected, const QItemSelection& deselected);
    void syncToList(const QItemSelection& selected, const QItemSelection& deselected);

    CRegSettings& m_settings;
    LinkList& m_list;
    ITransferService& m_transfers;
    std::function<std::pair<QStringList, QString>()> m_session;
    PictureCache m_cache;
    PictureFetcher* m_fetcher;
    PictureGridModel* m_model;
    QListView* m_grid;
    QSpinBox* m_minWidth;
    QSpinBox* m_maxWidth;
    QSpinBox* m_minHeight;
    QSpinBox* m_maxHeight;
    QSpinBox* m_minSize;
    QToolButton* m_types;
    QComboBox* m_order;
    QCheckBox* m_descending;
    QTimer m_visibleTimer;
    QTimer m_listTimer;
    bool m_active = false;
    bool m_syncing = false;
    bool m_loading = false; // the stored choices being shown: nothing to store
};
