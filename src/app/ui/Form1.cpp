#include "app/ui/Form1.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QUrl>
#include <QWindow>
#include <algorithm>

#include "app/PreferencesStore.h"
#include "app/ui/QtUserPrompt.h"
#include "builders/ClipboardBuilder.h"
#include "builders/FileBuilder.h"
#include "builders/SequenceBuilder.h"
#include "builders/SingleLink.h"
#include "builders/UrlListBuilder.h"
#include "core/IUserPrompt.h"
#include "download/DownloadStart.h"
#include "download/ui/Form4.h"
#include "filters/FilterListEditor.h"
#include "filters/FilterStore.h"
#include "listops/ListFile.h"
#include "listops/ListLimit.h"
#include "listops/ListSearch.h"
#include "listops/ui/LinkListView.h"
#include "platform/BrowserEngineLoader.h"
#include "platform/LinkReceiver.h"
#include "viewer/LinkViewer.h"
#include "viewer/MainToolbarRules.h"
#include "viewer/Slideshow.h"
#include "viewer/ui/MainToolbar.h"
#include "winsupport/CProgressBarEx.h"
#include "winsupport/MSubclass.h"
#include "winsupport/ShellPaths.h"
#include "winsupport/SizeLimitsEvent.h"
#include "winsupport/UrlHistory.h"
#include "winsupport/ui/CFormBorder.h"
#include "winsupport/ui/Help.h"
#include "winsupport/ui/MinimumSizeAnswer.h"
#include "winsupport/ui/ProgressPanel.h"

namespace
{

const QString kIdleStatus = QStringLiteral("Ready");
// Links sent by other processes wait here while one is being harvested; beyond this
// many the receiver refuses them.
constexpr qsizetype kMaxWaitingLinks = 16;
constexpr int kInitialWidth = 560;
constexpr int kInitialHeight = 420;
// Compact mode: 2430 x 885 twips.
constexpr int kCompactWidth = 162;
constexpr int kCompactHeight = 59;
constexpr int kFullSizeImage = 12;
constexpr int kCompactImage = 13;
// The buttons compact mode keeps.
const QStringList kCompactKeys = { QStringLiteral("resize"), QStringLiteral("hide_br"),
    QStringLiteral("fwd"), QStringLiteral("back"), QStringLiteral("slideshow") };

// Gives a menu command its icon, from the same shipped SVG set as the toolbar so menus
// and buttons match on every desktop, when one of its menus first opens: reading the
// SVG files at start-up would delay the window's first paint.
void iconWhenShown(QAction* action, const char* name)
{
    for (QObject* owner : action->associatedObjects()) {
        if (auto* menu = qobject_cast<QMenu*>(owner)) {
            QObject::connect(menu, &QMenu::aboutToShow, action, [action, name] {
                if (action->icon().isNull())
                    action->setIcon(
                        QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name))));
            });
        }
    }
}

} // namespace

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
    if (prompt) {
        m_prompt = prompt;
    } else {
        m_ownPrompt = std::make_unique<QtUserPrompt>(
            this, *m_services.urlHistory, [this] { leaveTopmostBand(); },
            [this] { restoreTopmostBand(); });
        m_prompt = m_ownPrompt.get();
    }

    m_listView = new LinkListView(this);
    m_listView->setModel(&m_list);
    m_listView->setSelectionModel(m_list.selectionModel());
    setCentralWidget(m_listView);

    buildMenus();
    buildStatusBar();
    resize(kInitialWidth, kInitialHeight);

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
    m_viewer->setMainWindowHeld([this] { return m_busy; });
    // A file opened in a browser window is saved like a selected link; a build that
    // holds the window meanwhile is not interrupted by the folder question.
    connect(m_viewer, &LinkViewer::downloadRequested, this, [this](const QString& url) {
        if (m_form4 || !buildRunning())
            saveLinks({ url });
    });
    connect(m_slideshow, &Slideshow::runningChanged, this, &Form1::syncSlideshowButton);
    buildToolbar();

    connect(m_listView, &LinkListView::textDropped, this, [this](const QString& text) {
        m_state.handover.drgdrp = true;
        m_state.handover.goturl = text;
        mnufClip_Click();
    });
    connect(m_listView, &LinkListView::openRequested, this, [this] {
        m_openreq = true;
        m_openreqFromMenu = false;
    });
    connect(m_listView, &LinkListView::mouseReleased, this, &Form1::List1_MouseUp);
    connect(m_listView, &LinkListView::enterPressed, this, [this] { m_viewer->openCurrent(); });
    connect(&m_list, &LinkList::topIndexRequested, this, [this](int row) {
        m_listView->scrollTo(m_list.index(row), QAbstractItemView::PositionAtTop);
    });
    // The enabled state of commands follows the list and its selection as they change.
    connect(m_list.selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &Form1::updateCommandStates);
    connect(m_list.selectionModel(), &QItemSelectionModel::currentChanged, this,
        &Form1::updateCommandStates);
    connect(&m_list, &QAbstractItemModel::rowsInserted, this, &Form1::updateCommandStates);
    connect(&m_list, &QAbstractItemModel::rowsRemoved, this, &Form1::updateCommandStates);
    connect(&m_list, &QAbstractItemModel::modelReset, this, &Form1::updateCommandStates);
    connect(&m_list, &QAbstractItemModel::rowsRemoved, this, &Form1::resetListExtent);
    connect(&m_list, &QAbstractItemModel::modelReset, this, &Form1::resetListExtent);
    connect(&m_list, &QAbstractItemModel::rowsInserted, this,
        [this](const QModelIndex&, int first, int) {
            if (first < m_extentMeasured)
                resetListExtent();
        });

    // The receiver only queues a link; a full queue turns the sender away.
    if (m_services.linkReceiver)
        m_services.linkReceiver->setAcceptor(
            [this](const QString& text) { return receiveLink(text); });

    Form_Load();
}

Form1::~Form1()
{
    // The download window's job uses the transfer service, which goes with the members.
    delete m_form4;
    m_services.store->setWriteFailureHandler({});
    // The slideshow and the viewer report to this window; they go first.
    delete m_slideshow;
    m_slideshow = nullptr;
    delete m_viewer;
    m_viewer = nullptr;
    if (m_services.linkReceiver)
        m_services.linkReceiver->close();
    UnsubscribeMessage(this, this, SizeLimitsEvent::queryType());
    m_urlBuilder.reset();
}

void Form1::Form_Load()
{
    m_state.window.meX = width();
    m_state.window.meY = height();
    m_state.filters.ftypes.clear();
    setIdleStatus();
    FilterStore::loadIntoState(m_regset, m_state.filters);
    applyFilterMenuState();

    m_state.prefs = loadPreferences(m_regset);
    applyTopmostBand(m_state.prefs.ontop);

    SubscribeMessage(this, this, SizeLimitsEvent::queryType());
    MinimumSizeAnswer::query(this);
    updateCommandStates();
}

QAction* Form1::addCommand(QMenu* menu, const QString& name, const QString& caption,
    void (Form1::*handler)(), const QKeySequence& shortcut)
{
    auto* act = menu->addAction(caption);
    act->setObjectName(name);
    if (!shortcut.isEmpty())
        act->setShortcut(shortcut);
    if (handler)
        connect(act, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    else
        act->setEnabled(false); // the command arrives with a later part of the program
    m_actions.insert(name, act);
    return act;
}

void Form1::buildMenus()
{
    QMenu* mnuf = menuBar()->addMenu(QStringLiteral("&File"));
    mnuf->setObjectName(QStringLiteral("mnuf"));
    addCommand(mnuf, "mnufileopen", "&Open selected link", &Form1::mnufileopen_Click);
    iconWhenShown(
        addCommand(mnuf, "mnufsav", "Save selected link &target(s) to disk", &Form1::mnufsav_Click),
        "document-save-as");
    mnuf->addSeparator();
    iconWhenShown(addCommand(mnuf, "mnufsavlst", "Save &list to text file",
                      &Form1::mnufsavlst_Click, QKeySequence::Save),
        "document-save");
    addCommand(mnuf, "mnufapplist", "&Append list to text file", &Form1::mnufapplist_Click);
    mnuf->addSeparator();
    iconWhenShown(addCommand(mnuf, "mnufEx", "&Exit", &Form1::mnufEx_Click, QKeySequence::Quit),
        "application-exit");

    QMenu* mnulst = menuBar()->addMenu(QStringLiteral("&List"));
    mnulst->setObjectName(QStringLiteral("mnulst"));
    addCommand(mnulst, "mnufURL", "Build list from &URL", &Form1::mnufURL_Click,
        QKeySequence(Qt::CTRL | Qt::Key_L));
    iconWhenShown(addCommand(mnulst, "mnufClip", "Build list from &Clipboard",
                      &Form1::mnufClip_Click, QKeySequence::Paste),
        "edit-paste");
    iconWhenShown(addCommand(mnulst, "mnufFile", "Build list from &file", &Form1::mnufFile_Click,
                      QKeySequence::Open),
        "document-open");
    addCommand(mnulst, "mnufSeq", "Build &sequential list", &Form1::mnufSeq_Click);
    iconWhenShown(addCommand(mnulst, "mnulstSingle", "&Add single link", &Form1::mnulstSingle_Click,
                      QKeySequence(Qt::CTRL | Qt::Key_N)),
        "list-add");
    mnulst->addSeparator();
    iconWhenShown(addCommand(mnulst, "mnulstsrch", "Search &list", &Form1::mnulstsrch_Click,
                      QKeySequence::Find),
        "edit-find");
    iconWhenShown(addCommand(mnulst, "mnulstselall", "Select &all", &Form1::mnulstselall_Click,
                      QKeySequence::SelectAll),
        "edit-select-all");
    iconWhenShown(
        addCommand(mnulst, "mnulstclr", "&Clear list", &Form1::mnulstclr_Click), "edit-clear");

    QMenu* mnuo = menuBar()->addMenu(QStringLiteral("&Options"));
    mnuo->setObjectName(QStringLiteral("mnuo"));
    iconWhenShown(addCommand(mnuo, "mnuopoptions", "&Preferences...", &Form1::mnuopoptions_Click),
        "preferences-system");
    mnuo->addSeparator();
    addCommand(mnuo, "mnuopappfilt", "Apply &filters", &Form1::mnuopappfilt_Click)
        ->setCheckable(true);
    addCommand(mnuo, "mnuopfilt", "&Manage filters...", &Form1::mnuopfilt_Click);

    QMenu* mnuh = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuh->setObjectName(QStringLiteral("mnuh"));
    iconWhenShown(addCommand(mnuh, "mnuHelpCont", "&Contents", &Form1::mnuHelpCont_Click,
                      QKeySequence::HelpContents),
        "help-contents");
    addCommand(mnuh, "mnuhelptour", "&Interactive Tour", &Form1::mnuhelptour_Click);
    iconWhenShown(
        addCommand(mnuh, "mnuHelpAbt", "&About...", &Form1::mnuHelpAbt_Click), "help-about");

    // The list's context menu ("mnusavepop").
    m_mnusavepop = new QMenu(this);
    m_mnusavepop->setObjectName(QStringLiteral("mnusavepop"));
    QAction* open = addCommand(
        m_mnusavepop, "mnusavpopopen", "&Open selected link", &Form1::mnusavpopopen_Click);
    m_mnusavepop->setDefaultAction(open);
    addCommand(m_mnusavepop, "mnusavepoptrgt", "Save selected link target(s) to disk",
        &Form1::mnusavepoptrgt_Click);
    addCommand(m_mnusavepop, "mnusavpopbuild", "&Build list from selected link target",
        &Form1::mnusavpopbuild_Click);
    m_mnusavepop->addSeparator();
    QAction* remove = addCommand(m_mnusavepop, "mnusavpopremove", "&Remove selected link",
        &Form1::mnusavpopremove_Click, QKeySequence::Delete);
    // Delete works on the focused entry of the list without opening the menu.
    remove->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_listView->addAction(remove);
}

void Form1::buildStatusBar()
{
    QStatusBar* sbStatusBar = statusBar();
    sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    sbStatusBar->setSizeGripEnabled(true);
    m_pnlStatus = new QLabel(sbStatusBar);
    m_pnlStatus->setObjectName(QStringLiteral("pnlStatus"));
    m_pnlStatus->setTextFormat(Qt::PlainText);
    m_pnlStatus->setMinimumWidth(80);
    sbStatusBar->addWidget(m_pnlStatus, 1);
    m_pnlProgress = new ProgressPanel(sbStatusBar);
    m_pnlProgress->setObjectName(QStringLiteral("pnlProgress"));
    sbStatusBar->addPermanentWidget(m_pnlProgress);
}

QAction* Form1::action(const QString& name) const
{
    return m_actions.value(name);
}

void Form1::setStatus(StatusKind kind, const QString& text)
{
    m_statusKind = kind;
    m_stattext = text;
    m_pnlStatus->setText(text);
}

QString Form1::idleStatusText() const
{
    return kIdleStatus;
}

QString Form1::statusPanelText() const
{
    return m_pnlStatus->text();
}

void Form1::setProgressValue(int value)
{
    if (!m_pbar) {
        m_pbar = std::make_unique<CProgressBarEx>();
        m_pbar->setClient(m_pnlProgress);
        m_pbar->setHost(m_pnlProgress);
        m_pbar->setPanelKey(QStringLiteral("pnlProgress"));
        m_pbar->ResizeEx();
    }
    m_pbar->setTextOnly(value == 0);
    m_pbar->setMax(pmax);
    m_pval = value;
    m_pbar->setValue(value);
}

void Form1::setProgress(int max, int value)
{
    pmax = max;
    setProgressValue(value);
}

void Form1::setCountText(const QString& text)
{
    m_pnlProgress->setText(text);
}

QString Form1::countText() const
{
    return m_pnlProgress->text();
}

// The extent is the widest entry's width plus the vertical scroll bar and a margin.
// Builders only append, so entries measured before keep their widths: each call
// measures only the entries added since the last one. A removal or a clear starts
// the measurement over.
void Form1::SetListExtent()
{
    const int scroll = m_listView->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (m_extentMeasured > m_list.count())
        resetListExtent();
    if (m_extentMeasured < m_list.count()) {
        const int w
            = LinkListView::widestTextWidth(m_listView->font(), m_list.entries(), m_extentMeasured)
            + scroll;
        if (w + 10 >= m_extent)
            m_extent = w + 10;
        m_extentMeasured = m_list.count();
    }
    m_listView->setHorizontalExtent(m_extent);
}

void Form1::resetListExtent()
{
    m_extentMeasured = 0;
    m_extent = 0;
}

// While a build runs the window refuses all input except Esc (which cancels it) and the
// close request: every part of the window (the list, the menu bar, any tool bar) is
// disabled, which also turns off their shortcuts and drops, while the window itself
// stays enabled to receive Esc. The status bar only shows text and stays readable.
void Form1::setWindowEnabled(bool enabled)
{
    if (!enabled) {
        m_busy = true;
        for (QWidget* part : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (part->isWindow() || part == statusBar() || !part->isEnabled())
                continue;
            part->setEnabled(false);
            m_disabledParts.append(part);
        }
        // A disabled tool bar still answers its actions' keys: the command states rest them.
        updateCommandStates();
        return;
    }
    m_busy = false;
    for (const QPointer<QWidget>& part : std::as_const(m_disabledParts)) {
        if (part)
            part->setEnabled(true);
    }
    m_disabledParts.clear();
    updateCommandStates();
}

bool Form1::windowInputEnabled() const
{
    return !m_busy;
}

bool Form1::buildRunning() const
{
    return m_urlBuilder && m_urlBuilder->harvestRunning();
}

bool Form1::event(QEvent* event)
{
    // Input that reaches the window itself while busy (a click on a disabled part is
    // passed up to it) goes no further: no tool-bar menu, no wheel scrolling.
    if (m_busy) {
        switch (event->type()) {
        case QEvent::ContextMenu:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return true;
        default:
            break;
        }
    }
    return QMainWindow::event(event);
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

void Form1::applyTopmostBand(bool topmost)
{
    if (topmost == m_topmost)
        return; // no change, no flicker
    m_topmost = topmost;
    emit topmostBandChanged(topmost);
    if (QWindow* w = windowHandle())
        w->setFlag(Qt::WindowStaysOnTopHint, topmost);
    else
        setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
}

void Form1::leaveTopmostBand()
{
    applyTopmostBand(false);
}

void Form1::restoreTopmostBand()
{
    if (m_holdTopmostBand)
        return;
    applyTopmostBand(m_state.prefs.ontop);
}

void Form1::applyFilterMenuState()
{
    QAction* appfilt = action(QStringLiteral("mnuopappfilt"));
    appfilt->setChecked(m_state.filters.appfiltChecked);
    appfilt->setEnabled(m_state.filters.appfiltEnabled);
}

// The state pass: every command's enabled state from the list, its selection and the
// link window, run whenever one of them changes.
void Form1::updateCommandStates()
{
    const int n = m_list.selectedCount();
    const int c = m_list.count();
    const MainToolbarRules::States s = MainToolbarRules::states(
        n, c, m_list.currentIndex(), m_viewer && m_viewer->WebBrowser1());
    action("mnufsav")->setEnabled(s.mnufsav);
    action("mnufsavlst")->setEnabled(s.savelist);
    action("mnufapplist")->setEnabled(s.savelist);
    action("mnufileopen")->setEnabled(s.mnufileopen);
    action("mnusavpopopen")->setEnabled(s.mnusavpopopen);
    action("mnusavpopbuild")->setEnabled(s.mnusavpopbuild);
    action("mnusavepoptrgt")->setEnabled(s.mnusavepoptrgt);
    action("mnusavpopremove")->setEnabled(s.mnusavpopremove);
    action("mnulstselall")->setEnabled(c != 0);
    if (m_toolbar) {
        // While the window takes no input (a build runs) the buttons and their keys rest.
        const bool input = windowInputEnabled();
        for (const char* key :
            { "list_url", "list_clp", "list_file", "list_seq", "resize", "help" })
            m_toolbar->button(QLatin1String(key))->setEnabled(input);
        m_toolbar->button("sav")->setEnabled(input && s.sav);
        m_toolbar->menuEntry("savtgt")->setEnabled(s.savtgt);
        m_toolbar->menuEntry("savelist")->setEnabled(s.savelist);
        m_toolbar->menuEntry("appendlist")->setEnabled(s.savelist);
        m_toolbar->button("back")->setEnabled(input && s.back);
        m_toolbar->button("fwd")->setEnabled(input && s.fwd);
        m_toolbar->button("slideshow")->setEnabled(input && s.slideshow);
        m_toolbar->button("hide_br")->setEnabled(input && s.hide_br);
        m_toolbar->setImage(QStringLiteral("hide_br"), m_viewer->hideBrImage());
        m_toolbar->button("hide_br")->setToolTip(m_viewer->hideBrTooltip());
    }
    action("mnulstclr")->setEnabled(true);
}

void Form1::showCount()
{
    setLinkCount(m_list.count());
}

QString Form1::clipboardText() const
{
    return QGuiApplication::clipboard()->text(QClipboard::Clipboard);
}

UrlListBuilder& Form1::urlBuilder()
{
    if (!m_urlBuilder) {
        m_urlBuilder = std::make_unique<UrlListBuilder>(m_state.prefs, m_state.filters,
            m_state.handover, m_state.nav, m_list, *this, *m_prompt, *m_services.shellWindows,
            *m_services.fetcher, m_services.browserFactory);
        connect(
            m_urlBuilder.get(), &UrlListBuilder::harvestFinished, this, &Form1::harvestFinished);
    }
    return *m_urlBuilder;
}

void Form1::mnufURL_Click()
{
    urlBuilder().mnufURL_Click();
}

void Form1::mnusavpopbuild_Click()
{
    if (m_list.currentIndex() == -1)
        return;
    urlBuilder().mnusavpopbuild_Click();
}

void Form1::mnufClip_Click()
{
    const QString text = m_state.handover.drgdrp ? QString() : clipboardText();
    ClipboardBuilder::run(m_state.handover, m_state.prefs, m_list, *m_prompt, text);
    SetListExtent();
}

void Form1::mnufFile_Click()
{
    const QString path = m_prompt->openFileName(QStringLiteral("Select file to import..."),
        ListFile::filter(), lastUsedSaveFolder(m_regset));
    if (path.isEmpty())
        return;
    setWaitPointer(true);
    setLastUsedSaveFolder(m_regset, path);
    FileBuilder::run(path, m_state.handover, m_state.prefs, m_list, *m_prompt, this);
    SetListExtent();
    showCount();
    returnToIdle();
}

void Form1::mnufSeq_Click()
{
    const std::optional<SequenceRequest> request
        = m_prompt->askSequence(SequenceDialogInput { m_state.prefs.defappend, clipboardText() });
    if (request) {
        const Result<SequenceRun> built = SequenceBuilder::build(*request, m_list);
        if (!built)
            m_prompt->message(PromptIcon::Exclamation, QStringLiteral("Error"), built.message());
        else if (built.value().limitReached)
            m_prompt->message(PromptIcon::Exclamation, ListLimit::title(), ListLimit::message(-1));
    }
    SetListExtent();
}

void Form1::mnulstSingle_Click()
{
    const std::optional<SingleLinkRequest> request
        = m_prompt->askSingleLink(m_state.prefs.defappend);
    if (!request)
        return;
    if (const Result<> added = SingleLink::apply(*request, m_list); !added)
        m_prompt->message(PromptIcon::Exclamation, ListLimit::title(), added.message());
    // A long link must be reachable with the scroll bar like any other entry.
    SetListExtent();
}

void Form1::mnulstsrch_Click()
{
    ListSearch::applyRequest(m_state.search, m_prompt->askSearch());
    ListSearch::run(m_state.search, m_list, *m_prompt);
}

void Form1::mnulstselall_Click()
{
    m_list.setRangeSelected(0, m_list.count() - 1, true);
}

void Form1::mnulstclr_Click()
{
    m_list.clear();
    setCountText(QString());
}

void Form1::mnusavpopremove_Click()
{
    m_list.removeAt(m_list.currentIndex());
}

void Form1::mnusavpopopen_Click()
{
    m_openreq = true;
    m_openreqFromMenu = true;
}

void Form1::mnufileopen_Click()
{
    m_openreq = true;
    m_openreqFromMenu = true;
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

void Form1::mnuHelpAbt_Click()
{
    m_prompt->showAbout(idleStatusText());
}

void Form1::mnufsav_Click()
{
    QList<int> rows = m_list.selectedIndexes();
    std::sort(rows.begin(), rows.end());
    QStringList links;
    for (int row : rows)
        links.append(m_list.at(row));
    saveLinks(links);
}

void Form1::saveLinks(const QStringList& links)
{
    if (m_form4) {
        // An earlier job's window is still loaded (perhaps hidden by "Background"): it
        // is shown again, and a new job waits until it has been closed.
        m_form4->bringToFront();
        return;
    }
    const std::optional<DownloadBatch> batch
        = prepareDownload(links, *m_prompt, lastUsedSaveFolder(m_regset));
    if (!batch)
        return;
    setLastUsedSaveFolder(m_regset, batch->chosen);

    leaveTopmostBand();
    setWindowEnabled(false);
    DownloadJobOptions options;
    options.folder = batch->folder;
    options.owaction = m_state.prefs.owaction;
    options.retries = downloadRetries(m_regset);
    // The job's questions and messages belong to its window; tests answer them instead.
    m_form4 = new Form4(
        batch->links, options, *m_services.transfers, m_ownPrompt ? nullptr : m_prompt,
        [this](QWidget* window) {
            return std::make_unique<QtUserPrompt>(window, *m_services.urlHistory, nullptr, nullptr);
        },
        this);
    connect(m_form4, &Form4::mainCaptionChanged, this, &QWidget::setWindowTitle);
    connect(m_form4, &Form4::backgroundRequested, this, [this] {
        setWindowEnabled(true);
        showMinimized();
    });
    connect(m_form4, &Form4::fileExistsOpening, this, [this] {
        setWindowEnabled(true);
        if (isMinimized())
            showNormal();
    });
    connect(m_form4, &Form4::fileExistsClosed, this, [this] { setWindowEnabled(false); });
    connect(m_form4, &Form4::unloading, this, &Form1::downloadWindowUnloaded);
    connect(this, &Form1::restoredFromMinimized, m_form4, &Form4::bringToFront);
    m_form4->show();
}

Form4* Form1::downloadWindow() const
{
    return m_form4;
}

void Form1::mnusavepoptrgt_Click()
{
    if (m_list.selectedCount() >= 1)
        mnufsav_Click();
}

void Form1::downloadWindowUnloaded()
{
    setWindowTitle(QStringLiteral("Quillmarch"));
    restoreTopmostBand();
    setWindowEnabled(true);
    if (isMinimized())
        showNormal();
    activateWindow();
}

void Form1::mnufsavlst_Click()
{
    writeListFile(ListFileMode::Replace);
}

void Form1::mnufapplist_Click()
{
    writeListFile(ListFileMode::Append);
}

// Save replaces the chosen file (the picker confirms that); append needs an existing
// file and adds after its content. The chosen path is remembered before the file is
// touched; a failure is reported and leaves the old content as it was.
void Form1::writeListFile(ListFileMode mode)
{
    const QString filter = ListFile::filter();
    const QString initial = lastUsedSaveFolder(m_regset);
    const QString path = mode == ListFileMode::Replace
        ? m_prompt->saveFileName(QStringLiteral("Save file as..."), filter, initial)
        : m_prompt->openFileName(QStringLiteral("Append to..."), filter, initial);
    if (path.isEmpty())
        return;
    setLastUsedSaveFolder(m_regset, path);
    const Result<> written = mode == ListFileMode::Replace
        ? ListFile::save(path, m_list.entries())
        : ListFile::append(path, m_list.entries());
    if (!written)
        m_prompt->message(PromptIcon::Critical, QStringLiteral("Error"), written.message());
}

void Form1::mnufEx_Click()
{
    close();
}

void Form1::mnuopoptions_Click()
{
    // The dialog's end would return the window to the band of the old value; the band is
    // applied once, below, with the value the user chose.
    m_holdTopmostBand = true;
    const std::optional<Preferences> edited = m_prompt->editPreferences(m_state.prefs);
    m_holdTopmostBand = false;
    if (edited) {
        savePreferences(m_regset, *edited);
        m_state.prefs = *edited;
    }
    restoreTopmostBand();
}

void Form1::mnuopappfilt_Click()
{
    FilterStore::toggle(m_regset, m_state.filters);
    applyFilterMenuState();
}

void Form1::mnuopfilt_Click()
{
    const std::optional<QStringList> entries
        = m_prompt->manageFilters(FilterStore::loadEntries(m_regset));
    if (entries) {
        FilterListEditor editor(*entries);
        editor.save(m_regset, m_state.filters);
    }
    FilterStore::refreshAfterDialog(m_regset, m_state.filters);
    applyFilterMenuState();
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
        m_mnusavepop->exec(globalPos, m_mnusavepop->defaultAction());
    }
    if (m_openreq) {
        // A double-click opens the entry under the pointer; the menu items open the
        // selected entry (they are enabled only while exactly one is selected).
        int index = -1;
        if (m_openreqFromMenu) {
            const QList<int> selected = m_list.selectedIndexes();
            index = selected.size() == 1 ? selected.first() : m_list.currentIndex();
        } else {
            index = entryNearPointer(globalPos);
        }
        if (m_viewer->openStep(index))
            m_openreq = false;
    }
}

// The entry at a point on the screen, or the last one when the point lies below the
// entries (the list answers with the nearest entry); -1 for an empty list.
int Form1::entryNearPointer(const QPoint& globalPos) const
{
    const QPoint at = m_listView->viewport()->mapFromGlobal(globalPos);
    const QModelIndex index = m_listView->indexAt(at);
    if (index.isValid())
        return index.row();
    if (m_list.count() == 0)
        return -1;
    const QModelIndex last = m_list.index(m_list.count() - 1);
    if (at.y() >= m_listView->visualRect(last).bottom())
        return m_list.count() - 1;
    const QModelIndex first = m_listView->indexAt(QPoint(0, at.y()));
    return first.isValid() ? first.row() : 0;
}

bool Form1::receiveLink(const QString& text)
{
    if (m_closing || m_incoming.size() >= kMaxWaitingLinks)
        return false;
    m_incoming.enqueue(text);
    QMetaObject::invokeMethod(this, &Form1::processIncomingLinks, Qt::QueuedConnection);
    return true;
}

// Incoming links are taken one step at a time: a link that arrives while the step of
// an earlier one waits (its "Select Desired Action" question is open) is queued and
// taken once that step has returned, so questions never nest. As for any incoming link,
// a newer one replaces a harvest still loading.
void Form1::processIncomingLinks()
{
    if (m_incomingRunning || m_incoming.isEmpty() || m_closing)
        return;
    m_incomingRunning = true;
    m_state.handover.nurl = m_incoming.dequeue();
    urlBuilder().incomingLink();
    m_incomingRunning = false;
    if (!m_incoming.isEmpty())
        QMetaObject::invokeMethod(this, &Form1::processIncomingLinks, Qt::QueuedConnection);
}

void Form1::showStartupNotices()
{
    if (const QString notice = m_services.store->pendingNotice(); !notice.isEmpty()) {
        m_prompt->message(PromptIcon::Exclamation, QStringLiteral("Settings Reset"), notice);
        m_services.store->clearPendingNotice();
    }
    // Told after the write that failed has returned, never inside it.
    const QPointer<Form1> self(this);
    m_services.store->setWriteFailureHandler([self](const QString& message) {
        QMetaObject::invokeMethod(
            self,
            [self, message] {
                if (self)
                    self->m_prompt->message(
                        PromptIcon::Exclamation, QStringLiteral("Settings Not Saved"), message);
            },
            Qt::QueuedConnection);
    });
}

Result<> Form1::installLinkReceiver()
{
    if (!m_services.linkReceiver)
        return Result<>::failed(QStringLiteral("This window has no link receiver."));
    return m_services.linkReceiver->listen();
}

void Form1::cancelHarvest()
{
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

// Leaving asks whether the browser windows the program opened close too. They belong
// to this process: "No" keeps them open, and the program ends when the last of them
// is closed.
void Form1::closeEvent(QCloseEvent* event)
{
    // A build in progress is cancelled first. Its wait (a content-type check, a question)
    // may be further down the stack, under this event: the builder unwinds it once this
    // returns, so it is stopped here and destroyed only with the window.
    m_closing = true;
    m_incoming.clear();
    if (m_urlBuilder)
        m_urlBuilder->shutdown();
    QList<QObject*> keep;
    if (m_state.window.openedone) {
        const PromptAnswer answer
            = m_prompt->message(PromptIcon::Question, QStringLiteral("Close Browser Window?"),
                QStringLiteral("Quillmarch openend a web browser window while it was "
                               "running and it is still open. Do you wish to close it "
                               "as well?"),
                PromptButtons::YesNo);
        if (answer == PromptAnswer::Yes) {
            m_viewer->quitWindows();
        } else {
            for (IBrowserWindow* window : { m_viewer->WebBrowser1(), m_viewer->webbrowser3() }) {
                if (window)
                    keep.append(window->parent());
            }
        }
    }
    m_slideshow->stopByOtherButton();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible() && !keep.contains(w))
            w->close();
    }
    setWaitPointer(false);
    event->accept();
}

void Form1::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if (change->oldState().testFlag(Qt::WindowMinimized) && !isMinimized())
            emit restoredFromMinimized();
    } else if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_form4) {
        // While a download window is loaded it stays over the main window.
        m_form4->raiseOverOwner();
    }
    QMainWindow::changeEvent(event);
}

void Form1::useBrowserWindows(IBrowserWindows& windows)
{
    m_viewer->setBrowserWindows(windows);
}

void Form1::buildToolbar()
{
    m_toolbar = new MainToolbar(this);
    addToolBar(Qt::TopToolBarArea, m_toolbar);
    connect(m_toolbar, &MainToolbar::ButtonClick, this, &Form1::Toolbar1_ButtonClick);
    connect(m_toolbar, &MainToolbar::ButtonMenuClick, this, &Form1::Toolbar1_ButtonMenuClick);
    connect(m_toolbar, &MainToolbar::buttonHovered, this,
        [this](const QString& tooltip) { m_pnlStatus->setText(tooltip); });
    connect(m_toolbar, &MainToolbar::pointerLeft, this, &Form1::restoreStatusAfterHover);
    // The stepping, slideshow, browser and mode keys, also in compact mode where the
    // menus are hidden: the buttons carry them.
    m_toolbar->button("back")->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    m_toolbar->button("fwd")->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    m_toolbar->button("slideshow")->setShortcut(QKeySequence(Qt::Key_F5));
    m_toolbar->button("resize")->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
    m_toolbar->button("hide_br")->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B));
}

// Once the pointer leaves the toolbar, the first panel shows the status again: the
// idle text, or what a running load, show or build reports there.
void Form1::restoreStatusAfterHover()
{
    const bool reported = MainToolbarRules::statusIsReported(m_statusKind) || !windowInputEnabled();
    m_pnlStatus->setText(reported ? m_stattext : idleStatusText());
}

void Form1::syncSlideshowButton()
{
    QAction* button = m_toolbar->button("slideshow");
    const QSignalBlocker block(button);
    button->setChecked(m_slideshow->running());
}

void Form1::Toolbar1_ButtonClick(const QString& key)
{
    if (m_slideshow->running() && MainToolbarRules::stopsSlideshow(key))
        m_slideshow->stopByOtherButton();
    if (key == QLatin1String("list_url")) {
        mnufURL_Click();
    } else if (key == QLatin1String("list_clp")) {
        mnufClip_Click();
    } else if (key == QLatin1String("list_file")) {
        mnufFile_Click();
    } else if (key == QLatin1String("list_seq")) {
        mnufSeq_Click();
    } else if (key == QLatin1String("back")) {
        m_viewer->stepBack();
    } else if (key == QLatin1String("fwd")) {
        m_viewer->stepForward();
    } else if (key == QLatin1String("hide_br")) {
        m_viewer->toggleBrowser();
    } else if (key == QLatin1String("slideshow")) {
        m_slideshow->buttonClicked(m_toolbar->button("slideshow")->isChecked());
        syncSlideshowButton();
    } else if (key == QLatin1String("sav")) {
        if (m_list.selectedCount() != 0)
            mnufsav_Click();
    } else if (key == QLatin1String("resize")) {
        switchWindowMode();
    } else if (key == QLatin1String("help")) {
        mnuHelpCont_Click();
    }
}

void Form1::Toolbar1_ButtonMenuClick(const QString& key)
{
    if (key == QLatin1String("savtgt"))
        mnufsav_Click();
    else if (key == QLatin1String("savelist"))
        mnufsavlst_Click();
    else if (key == QLatin1String("appendlist"))
        mnufapplist_Click();
}

// Full size <-> compact. Compact shows only the stepping, browser, slideshow and mode
// buttons in a fixed 162 x 59 window without menus, list or status bar; full size comes
// back at the size the window had before, with the minimum it had at start-up.
void Form1::switchWindowMode()
{
    const bool toFullSize = m_resizeImage != kFullSizeImage;
    menuBar()->setVisible(toFullSize);
    const QList<QAction*> items = m_toolbar->items();
    const QStringList keys = m_toolbar->keys();
    if (toFullSize) {
        m_fborder->setMaxButton(true);
        m_fborder->setSizeable(true);
        for (int i = 0; i < items.size(); ++i) {
            if (!kCompactKeys.contains(keys.at(i)))
                items.at(i)->setVisible(true);
        }
        m_listView->show();
        statusBar()->show();
        m_toolbar->setMinimumHeight(0);
        m_state.window.meX = kInitialWidth;
        m_state.window.meY = kInitialHeight;
        MinimumSizeAnswer::query(this);
        resize(m_savedFullSize);
        m_resizeImage = kFullSizeImage;
        m_toolbar->button("resize")->setToolTip(QStringLiteral("Compact mode"));
    } else {
        m_savedFullSize = isMaximized() ? normalGeometry().size() : size();
        if (isMaximized())
            showNormal();
        for (int i = 0; i < items.size(); ++i) {
            if (!kCompactKeys.contains(keys.at(i)))
                items.at(i)->setVisible(false);
        }
        m_state.window.meX = kCompactWidth;
        m_state.window.meY = kCompactHeight;
        MinimumSizeAnswer::query(this);
        m_listView->hide();
        statusBar()->hide();
        // The buttons fill the compact window's height.
        m_toolbar->setMinimumHeight(kCompactHeight);
        resize(kCompactWidth, kCompactHeight);
        m_resizeImage = kCompactImage;
        m_toolbar->button("resize")->setToolTip(QStringLiteral("Fullsize mode"));
        m_fborder->setMaxButton(false);
        m_fborder->setSizeable(false);
    }
    m_toolbar->setImage(QStringLiteral("resize"), m_resizeImage);
}

qint32 Form1::MsgResponse()
{
    ActiveMessage();
    m_msgResponse = 0;
    return 0;
}

qint32 Form1::WindowProc(QObject*, int, QEvent* event)
{
    SizeLimitsEvent::answer(event, m_state.window.meX, m_state.window.meY);
    return 0;
}
