#include "pictures/ui/ListColumns.h"

#include <QAbstractItemView>
#include <QScrollBar>

#include "core/SettingsTable.h"
#include "listops/LinkList.h"
#include "pictures/PictureCriteria.h"
#include "settings/TypedSettings.h"

ListColumns::ListColumns(LinkList& list, ITransferService& transfers, QString cacheFolder,
    std::function<std::pair<QStringList, QString>()> session, CRegSettings& settings,
    QObject* parent)
    : QObject(parent)
    , m_list(list)
    , m_settings(settings)
    , m_session(std::move(session))
    , m_cache(std::move(cacheFolder))
{
    m_fetcher = new PictureFetcher(&transfers, &m_cache, PictureFetchOptions {}, this);
    m_table = new ListColumnsModel(&list, this);
    m_sorter = new ListColumnsSorter(m_table, this);
    connect(m_fetcher, &PictureFetcher::pictureReady, m_table,
        [this](const QString& url, const PictureFacts& facts) { m_table->setPicture(url, facts); });
    for (Column column :
        ListColumnsModel::decode(TypedSettings::readText(m_settings, SettingsTable::ListColumns)))
        m_table->setShown(column, true);

    m_listTimer.setSingleShot(true);
    m_listTimer.setInterval(200);
    connect(&m_listTimer, &QTimer::timeout, this, &ListColumns::requestAll);
    connect(&m_list, &LinkList::rowsInserted, &m_listTimer, qOverload<>(&QTimer::start));
    connect(&m_list, &LinkList::modelReset, &m_listTimer, qOverload<>(&QTimer::start));
    m_visibleTimer.setSingleShot(true);
    m_visibleTimer.setInterval(100);
    connect(&m_visibleTimer, &QTimer::timeout, this, &ListColumns::requestVisible);
    connect(
        m_sorter, &QAbstractItemModel::layoutChanged, &m_visibleTimer, qOverload<>(&QTimer::start));
    if (m_table->needsMeasuring())
        m_listTimer.start();
}

ListColumns::~ListColumns() = default;

void ListColumns::setShown(Column column, bool shown)
{
    if (isShown(column) == shown)
        return;
    m_table->setShown(column, shown);
    QList<Column> columns;
    for (Column known : ListColumnsModel::kOptional) {
        if (isShown(known))
            columns.append(known);
    }
    TypedSettings::writeText(
        m_settings, SettingsTable::ListColumns, ListColumnsModel::encode(columns));
    if (m_table->needsMeasuring())
        requestAll();
    else if (m_measuring)
        m_fetcher->cancelAll();
    m_measuring = m_table->needsMeasuring();
    emit shownChanged();
}

void ListColumns::watch(QAbstractItemView* view)
{
    m_view = view;
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, &m_visibleTimer,
        qOverload<>(&QTimer::start));
}

void ListColumns::requestAll()
{
    if (!m_table->needsMeasuring())
        return;
    if (!m_measuring && m_session) {
        const auto [cookies, userAgent] = m_session();
        m_fetcher->setSession(cookies, userAgent);
    }
    m_measuring = true;
    for (const ListEntry& entry : m_list.listEntries()) {
        if (!PictureCriteria::isMedia(entry)
            || m_table->factsOf(entry.url).state != PictureFacts::State::Pending)
            continue;
        if (PictureCriteria::typeOf(entry, {}) == PictureType::Video) {
            PictureFacts video;
            video.state = PictureFacts::State::Measured;
            video.type = PictureType::Video;
            m_table->setPicture(entry.url, video);
            continue;
        }
        m_fetcher->request({ entry.url, entry.context.page, false });
    }
    m_visibleTimer.start();
}

void ListColumns::requestVisible()
{
    if (!m_measuring || !m_view || m_view->model() != m_sorter)
        return;
    const QRect area = m_view->viewport()->rect();
    QModelIndex index = m_view->indexAt(area.topLeft() + QPoint(1, 1));
    QStringList visible;
    while (index.isValid() && m_view->visualRect(index).intersects(area)) {
        visible.append(m_list.at(m_sorter->mapToSource(index).row()));
        index = m_sorter->index(index.row() + 1, 0);
    }
    m_fetcher->prioritize(visible);
}
