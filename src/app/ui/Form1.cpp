#include "app/ui/Form1.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QListView>
#include <QSet>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/IncomingLinkQueue.h"
#include "app/PreferencesStore.h"
#include "app/SiteCrawlFlow.h"
#include "app/UrlBuildFlow.h"
#include "app/ui/BusyInputBlocker.h"
#include "app/ui/DownloadLauncher.h"
#include "app/ui/MainStatusBar.h"
#include "app/ui/MenuBuilder.h"
#include "app/ui/PatternBar.h"
#include "app/ui/QtUserPrompt.h"
#include "app/ui/ShutdownPolicy.h"
#include "app/ui/SiteCrawlDialog.h"
#include "app/ui/StartupNotices.h"
#include "app/ui/ToolbarDispatch.h"
#include "app/ui/TopmostBand.h"
#include "app/ui/WindowModes.h"
#include "builders/UrlListBuilder.h"
#include "core/IUserPrompt.h"
#include "download/ui/Form4.h"
#include "filters/FilterStore.h"
#include "filters/HarvestScopeStore.h"
#include "listops/ListHistory.h"
#include "listops/ui/LinkListView.h"
#include "pictures/ui/ListColumns.h"
#include "pictures/ui/PicturePane.h"
#include "platform/BrowserEngineLoader.h"
#include "platform/LinkReceiver.h"
#include "settings/TypedSettings.h"
#include "viewer/LinkViewer.h"
#include "viewer/MainToolbarRules.h"
#include "viewer/Slideshow.h"
#include "winsupport/MSubclass.h"
#include "winsupport/ShellPaths.h"
#include "winsupport/SizeLimitsEvent.h"
#include "winsupport/UrlHistory.h"
#include "winsupport/ui/CFormBorder.h"
#include "winsupport/ui/Help.h"
#include "winsupport/ui/MinimumSizeAnswer.h"

Form1::Form1(Services services, IUserPrompt* prompt, QWidget* parent)
    : QMainWindow(parent)
    , m_services(std::move(services))
    , m_regset(CRegSettings::forQuillmarch(m_services.store))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quillmarch"));
    m_fborder = std::make_unique<CFormBorder>();
    m_fborder->setClient(this);
    setWindowIcon(QIcon(QStringLiteral(":/quillmarch-logo.svg")));
    m_topmostBand = new TopmostBand(*this);
    connect(m_topmostBand, &TopmostBand::changed, this, &Form1::topmostBandChanged);
    m_busy = new BusyInputBlocker(*this);
    if (prompt) {
        m_prompt = prompt;
    } else {
        auto own = std::make_unique<QtUserPrompt>(
            this, *m_services.urlHistory, [this] { leaveTopmostBand(); },
            [this] { restoreTopmostBand(); });
        // The mask is shown for the selected entry: the current one, else the first.
        own->setMaskExample([this] {
            const int current = m_list.currentIndex();
            const QList<int> selected = m_list.selectedIndexes();
            const int shown
                = current >= 0 && m_list.isSelected(current) ? current : selected.value(0, -1);
            return shown >= 0 ? m_list.entryAt(shown) : ListEntry {};
        });
        m_ownPrompt = std::move(own);
        m_prompt = m_ownPrompt.get();
    }

    m_history = new ListHistory(m_list, ListHistory::MaxBytes, this);
    // The pattern bar sits above the list; both go with the list in compact mode.
    auto* listArea = new QWidget(this);
    m_listView = new LinkListView(listArea);
    m_listView->setModel(&m_list);
    m_listView->setSelectionModel(m_list.selectionModel());
    setCentralWidget(listArea);

    m_menus = std::make_unique<MenuBuilder>(*this, m_listView);
    m_patternBar = new PatternBar(*this,
        { action(MainCommand::SelectMatching), action(MainCommand::RemoveMatching),
            action(MainCommand::KeepMatching) },
        listArea);
    auto* listLayout = new QVBoxLayout(listArea);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(2);
    listLayout->addWidget(m_patternBar);
    listLayout->addWidget(m_listView);
    const QString thumbnails
        = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/quillmarch/thumbnails");
    const auto browserSession = [this] {
        const BrowserSession session = m_browserWindows->session();
        return std::pair { session.cookies, session.userAgent };
    };
    m_pictures = new PicturePane(
        m_list, *m_services.transfers, thumbnails, browserSession, m_regset, listArea);
    m_columns = new ListColumns(
        m_list, *m_services.transfers, thumbnails, browserSession, m_regset, this);
    m_columns->watch(m_listView);
    // What either view measures, the other shows too.
    connect(m_pictures->fetcher(), &PictureFetcher::pictureReady, m_columns->table(),
        &ListColumnsModel::setPicture);
    connect(m_columns->fetcher(), &PictureFetcher::pictureReady, m_pictures->model(),
        [this](const QString& url, const PictureFacts& facts) {
            m_pictures->model()->setPicture(url, facts, QImage());
        });
    listLayout->addWidget(m_pictures);
    connect(m_pictures, &PicturePane::statusChanged, this, [this](const QString& text) {
        const StatusKind kind = statusKind();
        if (m_pictures->isActive() && (kind == StatusKind::Idle || kind == StatusKind::Other))
            setStatus(StatusKind::Other, text);
    });
    m_statusBar = std::make_unique<MainStatusBar>(statusBar());
    m_listCommands = std::make_unique<ListCommands>(m_state, m_list, *m_history, *this, *m_prompt,
        m_regset, [] { return QGuiApplication::clipboard()->text(QClipboard::Clipboard); });
    m_siteFlow = std::make_unique<SiteCrawlFlow>(m_state, m_list, *this, *m_prompt, m_regset,
        m_services.siteCrawl, [this](const SiteCrawlChoices& stored) {
            leaveTopmostBand();
            SiteCrawlDialog dialog(stored, *m_services.urlHistory, this);
            dialog.exec();
            restoreTopmostBand();
            return dialog.choices();
        });
    m_siteFlow->setEnded([this] {
        m_incoming->setHeld(false);
        updateCommandStates();
        emit harvestFinished();
    });
    m_options = std::make_unique<OptionsCommands>(
        m_state, *m_prompt, m_regset, *m_topmostBand, *action(MainCommand::ApplyFilters));
    m_options->setHarvestActions(
        { action(MainCommand::CollectLinks), action(MainCommand::CollectMedia),
            action(MainCommand::CollectBoth), action(MainCommand::ScrollPages),
            action(MainCommand::LinkedFullSize), action(MainCommand::EnginePages) });
    resize(WindowModes::kInitialWidth, WindowModes::kInitialHeight);

    m_ownBrowserWindows = std::make_unique<LazyBrowserWindows>([this](const QString& error) {
        m_prompt->message(PromptIcon::Exclamation, QStringLiteral("Oops!"), error);
    });
    m_viewer = new LinkViewer(
        m_state.prefs, m_state.window, m_list, *this, *m_ownBrowserWindows,
        [this] {
            raise();
            activateWindow();
        },
        this);
    m_slideshow = new Slideshow(*m_viewer, m_list, *this, *m_prompt, m_regset, this);
    m_viewer->setSlideshow(m_slideshow);
    connect(m_viewer, &LinkViewer::changed, this, &Form1::updateCommandStates);
    m_viewer->setMainWindowHeld([this] { return m_busy->busy(); });
    m_downloads
        = std::make_unique<DownloadLauncher>(*this, *m_prompt, m_ownPrompt ? nullptr : m_prompt,
            m_state.prefs, m_regset, *m_services.transfers, *m_services.urlHistory);
    m_downloads->setAria2Rpc(m_services.aria2Rpc);
    m_downloads->setRedirectResolver(m_services.redirectResolver);
    m_browserWindows = m_ownBrowserWindows.get();
    m_downloads->setSession([this] { return m_browserWindows->session(); });
    // A file opened in a browser window is saved like a selected link; a build that
    // holds the window meanwhile is not interrupted by the folder question.
    connect(m_viewer, &LinkViewer::downloadRequested, this, [this](const QString& url) {
        if (downloadWindow() || !buildRunning())
            saveLinks({ ListEntry { url, {} } });
    });
    m_toolbar = new ToolbarDispatch(*this, m_list, *m_viewer, *m_slideshow, *m_statusBar);
    connect(
        m_slideshow, &Slideshow::runningChanged, m_toolbar, &ToolbarDispatch::syncSlideshowButton);
    m_modes = std::make_unique<WindowModes>(
        *this, m_toolbar->toolbar(), *listArea, *m_fborder, m_state.window);

    connect(m_listView, &LinkListView::textDropped, this, &Form1::buildFromText);
    connect(m_listView, &LinkListView::openRequested, this,
        [this] { m_openreq.request(OpenRequest::Source::DoubleClick); });
    connect(m_listView, &LinkListView::mouseReleased, this, &Form1::List1_MouseUp);
    connect(m_listView, &LinkListView::enterPressed, this, [this] { m_viewer->openCurrent(); });
    connect(&m_list, &LinkList::topIndexRequested, this,
        [this](int row) { m_listView->scrollToEntry(row); });
    // The enabled state of commands follows the list and its selection as they change.
    connect(m_list.selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &Form1::updateCommandStates);
    connect(m_list.selectionModel(), &QItemSelectionModel::currentChanged, this,
        &Form1::updateCommandStates);
    connect(&m_list, &QAbstractItemModel::rowsInserted, this, &Form1::updateCommandStates);
    connect(&m_list, &QAbstractItemModel::rowsRemoved, this, &Form1::updateCommandStates);
    connect(&m_list, &QAbstractItemModel::modelReset, this, &Form1::updateCommandStates);
    connect(m_history, &ListHistory::changed, this, &Form1::updateCommandStates);
    // The count panel follows every change of the list, whatever made it.
    connect(&m_list, &QAbstractItemModel::rowsInserted, this, &Form1::showListCount);
    connect(&m_list, &QAbstractItemModel::rowsRemoved, this, &Form1::showListCount);
    connect(&m_list, &QAbstractItemModel::modelReset, this, &Form1::showListCount);

    // The receiver only queues a link; a full queue turns the sender away. A newer link
    // replaces a harvest still loading, as for any incoming link.
    m_incoming = new IncomingLinkQueue(
        [this](const QString& link) { listCommand([&] { urlFlow().harvestLink(link); }); }, this);
    if (m_services.linkReceiver)
        m_services.linkReceiver->setAcceptor(
            [this](const QString& text) { return receiveLink(text); });

    Form_Load();
}

Form1::~Form1()
{
    // The download window's job uses the transfer service, which goes with the members.
    m_downloads.reset();
    m_services.store->setWriteFailureHandler({});
    // The slideshow and the viewer report to this window; they go first, after the
    // toolbar dispatch, which holds both.
    delete m_toolbar;
    m_toolbar = nullptr;
    delete m_slideshow;
    m_slideshow = nullptr;
    delete m_viewer;
    m_viewer = nullptr;
    if (m_services.linkReceiver)
        m_services.linkReceiver->close();
    UnsubscribeMessage(this, this, SizeLimitsEvent::queryType());
    m_siteFlow.reset();
    m_urlFlow.reset();
    m_urlBuilder.reset();
}

void Form1::Form_Load()
{
    m_state.window.meX = width();
    m_state.window.meY = height();
    m_state.filters.ftypes.clear();
    setIdleStatus();
    FilterStore::loadIntoState(m_regset, m_state.filters);
    m_options->showFilterState();
    m_state.filters.harvest = HarvestScopeStore::load(m_regset);
    m_options->showHarvestScope();

    m_state.prefs = loadPreferences(m_regset);
    m_topmostBand->apply(m_state.prefs.ontop);

    SubscribeMessage(this, this, SizeLimitsEvent::queryType());
    MinimumSizeAnswer::query(this);
    if (TypedSettings::readBool(m_regset, SettingsTable::ShowPictures))
        mnulstpics_Click();
    // The header's menu shows and hides the same columns.
    QHeaderView* header = m_listView->header();
    header->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (MainCommand command : { MainCommand::ColumnKind, MainCommand::ColumnPixels,
             MainCommand::ColumnFileSize, MainCommand::ColumnType })
        header->addAction(action(command));
    showColumns();
    updateCommandStates();
}

QString Form1::idleStatusText() const
{
    return QStringLiteral("Ready");
}

void Form1::SetListExtent()
{
    m_listView->measureExtent(m_list.entries());
}

void Form1::setWindowEnabled(bool enabled)
{
    m_busy->setBusy(!enabled);
    // A disabled tool bar still answers its actions' keys: the command states rest them.
    updateCommandStates();
}

// While a page build runs the panel shows its progress, and the build shows the count
// when it ends; a slideshow keeps the panel blank.
void Form1::showListCount()
{
    if (buildRunning() || (m_slideshow && m_slideshow->running()))
        return;
    if (m_list.isEmpty())
        setCountText(QString());
    else
        setLinkCount(m_list.count());
}

bool Form1::buildRunning() const
{
    return (m_urlBuilder && m_urlBuilder->harvestRunning())
        || (m_siteFlow && m_siteFlow->running());
}

void Form1::setWaitPointer(bool wait)
{
    if (wait)
        showPointer(Qt::WaitCursor);
    else
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
}

void Form1::setBusyPointer()
{
    showPointer(Qt::BusyCursor);
}

void Form1::showPointer(Qt::CursorShape shape)
{
    if (QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(shape);
    else
        QGuiApplication::setOverrideCursor(shape);
}

// The state pass: every command's enabled state from the list, its selection and the
// link window, run whenever one of them changes.
void Form1::updateCommandStates()
{
    const int c = m_list.count();
    const MainToolbarRules::States s = MainToolbarRules::states(
        m_list.selectedCount(), c, m_list.currentIndex(), m_viewer && m_viewer->WebBrowser1());
    m_menus->applyStates({ s, c, m_list.selectedCount(), m_history->canUndo(), m_history->canRedo(),
        m_siteFlow && m_siteFlow->available() });
    // While the window takes no input (a build runs) the buttons and their keys rest.
    if (m_toolbar)
        m_toolbar->applyStates(s, windowInputEnabled());
}

UrlBuildFlow& Form1::urlFlow()
{
    if (!m_urlBuilder) {
        m_urlBuilder = std::make_unique<UrlListBuilder>(m_state.prefs, m_state.filters, m_state.nav,
            m_list, *this, *m_prompt, *m_services.shellWindows, *m_services.fetcher,
            m_services.browserFactory);
        connect(
            m_urlBuilder.get(), &UrlListBuilder::harvestFinished, this, &Form1::harvestFinished);
        m_urlFlow
            = std::make_unique<UrlBuildFlow>(*m_urlBuilder, m_state, m_list, *this, *m_prompt);
        m_urlFlow->setCollectChosen(
            [this](HarvestCollect collect) { m_options->setCollect(collect); });
    }
    return *m_urlFlow;
}

// All that one command changes, up to the next command, is one undo step, even when its
// build ends later or fails halfway. The step's start lives here alone, so a command is
// one step whichever way it was started, and never two.
void Form1::listCommand(const std::function<void()>& command, ListStep step)
{
    if (step == ListStep::OnChange) {
        m_history->checkpoint();
        command();
        return;
    }
    m_history->beginStep();
    command();
    m_history->checkpoint();
}

void Form1::mnufURL_Click()
{
    listCommand([this] { urlFlow().buildFromUrl(); });
}

// The changes of the site harvest come when it ends, in the step this command opens.
// Links sent from outside wait while the crawl runs, so its changes stay one build.
void Form1::mnufSite_Click()
{
    if (m_urlBuilder && m_urlBuilder->harvestRunning()) {
        m_prompt->message(PromptIcon::Exclamation, QStringLiteral("Build List from Site"),
            QStringLiteral("A page is still being harvested. Wait for it to end, or press "
                           "\"Esc\" to stop it, before harvesting a site."));
        return;
    }
    listCommand([this] { m_siteFlow->buildFromSite(); });
    m_incoming->setHeld(m_siteFlow->running());
}

void Form1::mnufClip_Click()
{
    listCommand([this] { m_listCommands->buildFromClipboard(); });
}

void Form1::mnufFile_Click()
{
    listCommand([this] { m_listCommands->buildFromFile(); });
}

void Form1::buildFromText(const QString& text)
{
    listCommand([&] { m_listCommands->buildFromText(text); });
}

void Form1::mnufSeq_Click()
{
    listCommand([this] { m_listCommands->buildSequence(); });
}

void Form1::mnulstSingle_Click()
{
    listCommand([this] { m_listCommands->addSingleLink(); });
}

void Form1::mnulstclr_Click()
{
    listCommand([this] { m_listCommands->clear(); });
}

void Form1::mnulstremsel_Click()
{
    listCommand([this] { m_listCommands->removeSelected(); });
}

void Form1::mnulstpics_Click()
{
    const bool show = !m_pictures->isActive();
    m_listView->setVisible(!show);
    m_pictures->setActive(show);
    action(MainCommand::ShowPictures)->setChecked(show);
    TypedSettings::writeBool(m_regset, SettingsTable::ShowPictures, show);
    (show ? static_cast<QWidget*>(m_pictures->grid()) : m_listView)->setFocus();
}

void Form1::mnulstcolkind_Click()
{
    toggleColumn(int(ListColumns::Column::Kind));
}

void Form1::mnulstcolpixels_Click()
{
    toggleColumn(int(ListColumns::Column::Pixels));
}

void Form1::mnulstcolsize_Click()
{
    toggleColumn(int(ListColumns::Column::FileSize));
}

void Form1::mnulstcoltype_Click()
{
    toggleColumn(int(ListColumns::Column::Type));
}

void Form1::toggleColumn(int column)
{
    const auto which = ListColumns::Column(column);
    m_columns->setShown(which, !m_columns->isShown(which));
    showColumns();
}

void Form1::showColumns()
{
    const std::pair<MainCommand, ListColumns::Column> items[] = {
        { MainCommand::ColumnKind, ListColumns::Column::Kind },
        { MainCommand::ColumnPixels, ListColumns::Column::Pixels },
        { MainCommand::ColumnFileSize, ListColumns::Column::FileSize },
        { MainCommand::ColumnType, ListColumns::Column::Type },
    };
    for (const auto& [command, column] : items)
        action(command)->setChecked(m_columns->isShown(column));
    // The table's sections change with the columns: it is shown afresh.
    m_listView->showTable(nullptr);
    if (m_columns->anyShown())
        m_listView->showTable(m_columns->sorter());
}

void Form1::mnulstpicsel_Click()
{
    listCommand(
        [this] {
            for (int row : m_pictures->shownRows())
                m_list.setSelected(row, true);
        },
        ListStep::Selection);
}

void Form1::mnulstpickeep_Click()
{
    listCommand([this] {
        const QList<int> shown = m_pictures->shownRows();
        const QSet<int> keep(shown.begin(), shown.end());
        QList<int> others;
        for (int row = 0; row < m_list.count(); ++row) {
            if (!keep.contains(row))
                others.append(row);
        }
        m_list.removeRows(others);
    });
}

void Form1::mnusavpopremove_Click()
{
    listCommand([this] { m_listCommands->removeCurrent(); });
}

void Form1::mnusavpopbuild_Click()
{
    listCommand([this] {
        if (m_list.currentIndex() != -1)
            urlFlow().buildFromEntry();
    });
}

void Form1::applyPattern(ListCommands::PatternAction action)
{
    bool applied = false;
    listCommand([&] { applied = m_listCommands->applyPattern(action, m_patternBar->text()); },
        action == ListCommands::PatternAction::Select ? ListStep::Selection : ListStep::OnChange);
    // The keys that follow (Shift+Delete, Ctrl+Z, the arrows) are meant for the list, not
    // the text of the field; a pattern that could not be read stays there to be mended.
    if (applied)
        m_listView->setFocus(Qt::OtherFocusReason);
}

void Form1::mnufileopen_Click()
{
    m_openreq.request(OpenRequest::Source::Menu);
    List1_MouseUp(Qt::NoButton, QPoint());
}

// The tour ships with the help book, so it works offline.
void Form1::mnuhelptour_Click()
{
    const QString book = helpBookFolder();
    if (book.isEmpty()) {
        m_prompt->message(PromptIcon::Exclamation, QStringLiteral("Oops!"),
            QStringLiteral("The help book with the tour was not found."));
        return;
    }
    m_viewer->openTour(
        QUrl::fromLocalFile(book + QStringLiteral("QuillmarchTour/tour1.shtml")).toString());
}

void Form1::mnufsav_Click()
{
    QList<int> rows = m_list.selectedIndexes();
    std::sort(rows.begin(), rows.end());
    ListEntries entries;
    for (int row : rows)
        entries.append(m_list.entryAt(row));
    saveLinks(entries);
}

void Form1::saveLinks(const ListEntries& entries)
{
    m_downloads->saveLinks(entries);
}

Form4* Form1::downloadWindow() const
{
    return m_downloads->window();
}

void Form1::mnusavepoptrgt_Click()
{
    if (m_list.selectedCount() >= 1)
        mnufsav_Click();
}

void Form1::mnuHelpCont_Click()
{
    showHelp(this, 0);
}

void Form1::List1_MouseUp(Qt::MouseButton button, const QPoint& globalPos)
{
    if (m_slideshow->running()) {
        m_prompt->message(PromptIcon::Exclamation, QStringLiteral("Slideshow in Progress"),
            QStringLiteral("You have a slideshow in progress. Please stop the "
                           "slideshow before performing any other tasks."));
        return;
    }
    if (button == Qt::RightButton && m_list.count() != 0 && m_list.currentIndex() != -1) {
        updateCommandStates();
        contextMenu()->exec(globalPos, contextMenu()->defaultAction());
    }
    if (m_openreq.pending()) {
        const int index = m_openreq.target(
            m_list.selectedIndexes(), m_list.currentIndex(), m_listView->entryNear(globalPos));
        if (m_viewer->openStep(index))
            m_openreq.done();
    }
}

void Form1::showStartupNotices()
{
    StartupNotices::show(m_services.store, *m_prompt, this);
}

Result<> Form1::installLinkReceiver()
{
    if (!m_services.linkReceiver)
        return Result<>::failed(QStringLiteral("This window has no link receiver."));
    return m_services.linkReceiver->listen();
}

void Form1::cancelHarvest()
{
    if (m_siteFlow && m_siteFlow->cancel())
        return;
    if (m_urlBuilder) {
        m_urlBuilder->cancel();
        return;
    }
    returnToIdle();
}

void Form1::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        cancelHarvest();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

// Closing cancels a build, refuses further incoming links and closes the other windows.
void Form1::closeEvent(QCloseEvent* event)
{
    // A build in progress is cancelled first. Its wait (a content-type check, a question)
    // may be further down the stack, under this event: the builder unwinds it once this
    // returns, so it is stopped here and destroyed only with the window.
    m_incoming->close();
    if (m_urlBuilder)
        m_urlBuilder->shutdown();
    if (m_siteFlow)
        m_siteFlow->shutdown();
    const QList<QObject*> keep
        = ShutdownPolicy::askAboutBrowserWindows(m_state.window, *m_viewer, *m_prompt);
    m_slideshow->stopByOtherButton();
    ShutdownPolicy::closeOthers(*this, keep);
    setWaitPointer(false);
    event->accept();
}

void Form1::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if (change->oldState().testFlag(Qt::WindowMinimized) && !isMinimized())
            emit restoredFromMinimized();
    } else if (event->type() == QEvent::ActivationChange && isActiveWindow() && downloadWindow()) {
        // While a download window is loaded it stays over the main window; while its job
        // holds the main window, a click there brings the job's window (or its open
        // "File Exists") to the front with the keyboard, as the held window takes none.
        if (windowInputEnabled())
            downloadWindow()->raiseOverOwner();
        else
            QTimer::singleShot(0, downloadWindow(), &Form4::bringToFront);
    }
    QMainWindow::changeEvent(event);
}

void Form1::useBrowserWindows(IBrowserWindows& windows)
{
    m_browserWindows = &windows;
    m_viewer->setBrowserWindows(windows);
}

qint32 Form1::MsgResponse()
{
    ActiveMessage();
    return 0;
}

// ISubclass: answers the size-limits query with the minimum tracking size.
qint32 Form1::WindowProc(QObject*, int, QEvent* event)
{
    SizeLimitsEvent::answer(event, m_state.window.meX, m_state.window.meY);
    return 0;
}
