#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "pictures/ListColumnsModel.h"
#include "pictures/ListColumnsSorter.h"
#include "pictures/PictureCache.h"
#include "pictures/PictureFetcher.h"

class CRegSettings;
class ITransferService;
class LinkList;
class QAbstractItemView;

// The list's optional columns: which are shown (kept in settings), the table and its
// sorted view over the list, and the measuring that fills the pixel and file sizes
// while a column that needs them is shown, the rows in sight first.
class ListColumns final : public QObject
{
    Q_OBJECT
public:
    using Column = ListColumnsModel::Column;

    // session: the browser windows' cookies and User-Agent, asked when measuring starts.
    ListColumns(LinkList& list, ITransferService& transfers, QString cacheFolder,
        std::function<std::pair<QStringList, QString>()> session, CRegSettings& settings,
        QObject* parent = nullptr);
    ~ListColumns() override;

    ListColumnsModel* table() const { return m_table; }
    ListColumnsSorter* sorter() const { return m_sorter; }
    PictureFetcher* fetcher() const { return m_fetcher; }
    bool anyShown() const { return m_table->anyShown(); }
    bool isShown(Column column) const { return m_table->isShown(column); }

    // Shows or hides a column and keeps the choice.
    void setShown(Column column, bool shown);
    // The view whose rows in sight are measured first.
    void watch(QAbstractItemView* view);

signals:
    void shownChanged();

private:
    void requestAll();
    void requestVisible();

    LinkList& m_list;
    CRegSettings& m_settings;
    std::function<std::pair<QStringList, QString>()> m_session;
    PictureCache m_cache;
    PictureFetcher* m_fetcher;
    ListColumnsModel* m_table;
    ListColumnsSorter* m_sorter;
    QPointer<QAbstractItemView> m_view;
    QTimer m_listTimer;
    QTimer m_visibleTimer;
    bool m_measuring = false;
};
