#include "pictures/ui/PicturePane.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "listops/LinkList.h"
#include "pictures/PictureCriteriaStore.h"
#include "pictures/ui/PictureTileDelegate.h"
#include "pictures/ui/PictureViewer.h"

namespace
{

QSpinBox* boundBox(QWidget* parent, const QString& name, int maximum, const QString& suffix)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(0, maximum);
    box->setSpecialValueText(PicturePane::tr("any"));
    box->setSuffix(suffix);
    box->setAccelerated(true);
    box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("100000 KiB")) + 24);
    return box;
}

constexpr PictureType kTypes[] = { PictureType::Jpeg, PictureType::Png, PictureType::Gif,
    PictureType::WebP, PictureType::Svg, PictureType::Avif, PictureType::Video };

} // namespace

PicturePane::PicturePane(LinkList& list, ITransferService& transfers, QString cacheFolder,
    std::function<std::pair<QStringList, QString>()> session, CRegSettings& settings,
    QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_list(list)
    , m_transfers(transfers)
    , m_session(std::move(session))
    , m_cache(std::move(cacheFolder))
{
    setObjectName("picturePane");
    PictureDecoder::limitAllocations();
    m_fetcher = new PictureFetcher(&m_transfers, &m_cache, PictureFetchOptions {}, this);
    m_model = new PictureGridModel(&m_list, this);

    m_grid = new QListView(this);
    m_grid->setObjectName("pictureGrid");
    m_grid->setViewMode(QListView::IconMode);
    m_grid->setResizeMode(QListView::Adjust);
    m_grid->setMovement(QListView::Static);
    m_grid->setUniformItemSizes(true);
    m_grid->setSpacing(4);
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_grid->setItemDelegate(new PictureTileDelegate(m_grid));
    m_grid->setModel(m_model);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(makeFilterBar());
    layout->addWidget(m_grid);
    showCriteria(PictureCriteriaStore::load(m_settings));

    connect(m_fetcher, &PictureFetcher::pictureReady, m_model, &PictureGridModel::setPicture);
    connect(m_model, &PictureGridModel::picturesChanged, this, [this] {
        emit statusChanged(statusText());
        m_visibleTimer.start();
    });
    m_visibleTimer.setSingleShot(true);
    m_visibleTimer.setInterval(100);
    connect(&m_visibleTimer, &QTimer::timeout, this, &PicturePane::requestVisible);
    connect(m_grid->verticalScrollBar(), &QScrollBar::valueChanged, &m_visibleTimer,
        qOverload<>(&QTimer::start));
    m_listTimer.setSingleShot(true);
    m_listTimer.setInterval(200);
    connect(&m_listTimer, &QTimer::timeout, this, &PicturePane::requestAll);
    for (auto signal : { &LinkList::rowsInserted, &LinkList::rowsRemoved })
        connect(&m_list, signal, &m_listTimer, qOverload<>(&QTimer::start));
    connect(&m_list, &LinkList::modelReset, &m_listTimer, qOverload<>(&QTimer::start));

    connect(m_list.selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &PicturePane::syncFromList);
    connect(m_grid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &PicturePane::syncToList);
    connect(m_grid, &QListView::activated, this, &PicturePane::openViewer);
    m_grid->viewport()->installEventFilter(this);
    setVisible(false);
}

PicturePane::~PicturePane() = default;

bool PicturePane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid->viewport() && event->type() == QEvent::Resize)
        m_visibleTimer.start();
    return QWidget::eventFilter(watched, event);
}

QWidget* PicturePane::makeFilterBar()
{
    auto* bar = new QWidget(this);
    // Two short rows, so the bar fits the window's narrow default width.
    auto* rows = new QVBoxLayout(bar);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(2);
    auto* row = new QHBoxLayout;
    auto* second = new QHBoxLayout;
    rows->addLayout(row);
    rows->addLayout(second);
    const QString px = tr(" px");
    m_minWidth = boundBox(bar, "minWidth", 100000, px);
    m_maxWidth = boundBox(bar, "maxWidth", 100000, px);
    m_minHeight = boundBox(bar, "minHeight", 100000, px);
    m_maxHeight = boundBox(bar, "maxHeight", 100000, px);
    m_minSize = boundBox(bar, "minSize", 1024 * 1024, tr(" KiB"));
    row->addWidget(new QLabel(tr("Width"), bar));
    row->addWidget(m_minWidth);
    row->addWidget(new QLabel(tr("to"), bar));
    row->addWidget(m_maxWidth);
    row->addWidget(new QLabel(tr("Height"), bar));
    row->addWidget(m_minHeight);
    row->addWidget(new QLabel(tr("to"), bar));
    row->addWidget(m_maxHeight);
    row->addStretch(1);
    second->addWidget(new QLabel(tr("At least"), bar));
    second->addWidget(m_minSize);

    m_types = new QToolButton(bar);
    m_types->setObjectName("pictureTypes");
    m_types->setText(tr("Types"));
    m_types->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(m_types);
    for (PictureType type : kTypes) {
        QAction* action = menu->addAction(pictureTypeName(type).toUpper());
        action->setCheckable(true);
        action->setData(int(type));
        connect(action, &QAction::toggled, this, &PicturePane::readCriteria);
    }
    m_types->setMenu(menu);
    second->addWidget(m_types);

    m_order = new QComboBox(bar);
    m_order->setObjectName("pictureOrder");
    m_order->addItem(tr("Page order"), int(PictureCriteria::Order::Page));
    m_order->addItem(tr("Pixel area"), int(PictureCriteria::Order::Area));
    m_order->addItem(tr("File size"), int(PictureCriteria::Order::FileSize));
    m_order->addItem(tr("Name"), int(PictureCriteria::Order::Name));
    m_descending = new QCheckBox(tr("Largest first"), bar);
    m_descending->setObjectName("pictureDescending");
    second->addWidget(m_order);
    second->addWidget(m_descending);
    second->addStretch(1);

    for (QSpinBox* box : { m_minWidth, m_maxWidth, m_minHeight, m_maxHeight, m_minSize })
        connect(box, &QSpinBox::valueChanged, this, &PicturePane::readCriteria);
    connect(m_order, &QComboBox::currentIndexChanged, this, &PicturePane::readCriteria);
    connect(m_descending, &QCheckBox::toggled, this, &PicturePane::readCriteria);
    return bar;
}

// The bar set to the choices, quietly; the model takes them once, as the bar reads them.
void PicturePane::showCriteria(const PictureCriteria& c)
{
    QList<QObject*> widgets { m_minWidth, m_maxWidth, m_minHeight, m_maxHeight, m_minSize, m_order,
        m_descending };
    for (QAction* action : m_types->menu()->actions())
        widgets.append(action);
    for (QObject* widget : widgets)
        widget->blockSignals(true);
    m_minWidth->setValue(c.minWidth);
    m_maxWidth->setValue(c.maxWidth);
    m_minHeight->setValue(c.minHeight);
    m_maxHeight->setValue(c.maxHeight);
    m_minSize->setValue(int(c.minFileSize / 1024));
    for (QAction* action : m_types->menu()->actions())
        action->setChecked(c.types.contains(PictureType(action->data().toInt())));
    m_order->setCurrentIndex(std::max(0, m_order->findData(int(c.order))));
    m_descending->setChecked(c.descending);
    for (QObject* widget : widgets)
        widget->blockSignals(false);
    m_loading = true;
    readCriteria();
    m_loading = false;
}

void PicturePane::readCriteria()
{
    PictureCriteria c;
    c.minWidth = m_minWidth->value();
    c.maxWidth = m_maxWidth->value();
    c.minHeight = m_minHeight->value();
    c.maxHeight = m_maxHeight->value();
    c.minFileSize = qint64(m_minSize->value()) * 1024;
    for (QAction* action : m_types->menu()->actions()) {
        if (action->isChecked())
            c.types.append(PictureType(action->data().toInt()));
    }
    m_types->setText(c.types.isEmpty() ? tr("Types") : tr("Types (%1)").arg(c.types.size()));
    c.order = PictureCriteria::Order(m_order->currentData().toInt());
    c.descending = m_descending->isChecked();
    m_model->setCriteria(c);
    if (!m_loading)
        PictureCriteriaStore::store(m_settings, c);
    // Rows the filter brings back are selected as their list entries are.
    syncFromList(m_list.selectionModel()->selection(), {});
}

QString PicturePane::statusText() const
{
    return tr("%1 shown, %2 of %3 measured")
        .arg(m_model->rowCount())
        .arg(m_model->measuredCount())
        .arg(m_model->mediaCount());
}

void PicturePane::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    setVisible(active);
    if (!active) {
        m_fetcher->cancelAll();
        return;
    }
    if (m_session) {
        const auto [cookies, userAgent] = m_session();
        m_fetcher->setSession(cookies, userAgent);
    }
    syncFromList(m_list.selectionModel()->selection(), {});
    requestAll();
}

void PicturePane::requestAll()
{
    if (!m_active)
        return;
    for (const ListEntry& entry : m_list.listEntries()) {
        if (!PictureCriteria::isMedia(entry))
            continue;
        if (entry.context.kind == EntryKind::Video
            || PictureCriteria::typeOf(entry, {}) == PictureType::Video) {
            if (m_model->factsOf(entry.url).state == PictureFacts::State::Pending) {
                PictureFacts video;
                video.state = PictureFacts::State::Measured;
                video.type = PictureType::Video;
                m_model->setPicture(entry.url, video, {});
            }
            continue;
        }
        if (m_model->factsOf(entry.url).state == PictureFacts::State::Pending)
            m_fetcher->request({ entry.url, entry.context.page, false });
    }
    m_visibleTimer.start();
    emit statusChanged(statusText());
}

void PicturePane::requestVisible()
{
    if (!m_active || m_model->rowCount() == 0)
        return;
    const QRect area = m_grid->viewport()->rect();
    QModelIndex first = m_grid->indexAt(area.topLeft() + QPoint(8, 8));
    if (!first.isValid())
        first = m_model->index(0, 0);
    QStringList visible;
    for (int row = first.row(); row < m_model->rowCount(); ++row) {
        const QModelIndex index = m_model->index(row, 0);
        if (!m_grid->visualRect(index).intersects(area))
            break;
        const ListEntry& entry = m_list.entryAt(m_model->mapToSource(index).row());
        if (m_model->thumbnailOf(entry.url).isNull() && m_model->factsOf(entry.url).reason.isEmpty()
            && PictureCriteria::typeOf(entry, {}) != PictureType::Video) {
            m_fetcher->request({ entry.url, entry.context.page, true });
            visible.append(entry.url);
        }
    }
    m_fetcher->prioritize(visible);
}

void PicturePane::syncFromList(const QItemSelection& selected, const QItemSelection& deselected)
{
    if (m_syncing || !m_active)
        return;
    m_syncing = true;
    QItemSelectionModel* grid = m_grid->selectionModel();
    grid->select(m_model->mapSelectionFromSource(deselected), QItemSelectionModel::Deselect);
    grid->select(m_model->mapSelectionFromSource(selected), QItemSelectionModel::Select);
    m_syncing = false;
}

void PicturePane::syncToList(const QItemSelection& selected, const QItemSelection& deselected)
{
    if (m_syncing)
        return;
    m_syncing = true;
    QItemSelectionModel* list = m_list.selectionModel();
    list->select(m_model->mapSelectionToSource(deselected), QItemSelectionModel::Deselect);
    list->select(m_model->mapSelectionToSource(selected), QItemSelectionModel::Select);
    if (const QModelIndex current = m_grid->currentIndex(); current.isValid())
        m_list.setCurrentIndex(m_model->mapToSource(current).row());
    m_syncing = false;
}

void PicturePane::openViewer(const QModelIndex& index)
{
    auto* viewer = new PictureViewer(*m_model, m_transfers, index.row(), this);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    connect(viewer, &PictureViewer::selectToggled, this, [this](int row) {
        const QModelIndex at = m_model->index(row, 0);
        m_grid->selectionModel()->select(at, QItemSelectionModel::Toggle);
    });
    connect(viewer, &PictureViewer::currentChanged, this,
        [this](int row) { m_grid->scrollTo(m_model->index(row, 0)); });
    viewer->showFullScreen();
}
