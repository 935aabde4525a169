#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>

#include "app/IncomingLinkQueue.h"
#include "app/OpenRequest.h"
#include "app/ui/BusyInputBlocker.h"
#include "app/ui/ListCommands.h"
#include "app/ui/MainCommand.h"
#include "app/ui/MainStatusBar.h"
#include "app/ui/MenuBuilder.h"
#include "app/ui/OptionsCommands.h"
#include "app/ui/ToolbarDispatch.h"
#include "app/ui/TopmostBand.h"
#include "app/ui/WindowModes.h"
#include "compose/Services.h"
#include "core/IMainView.h"
#include "core/IUserPrompt.h"
#include "core/MainState.h"
#include "core/Result.h"
#include "listops/LinkList.h"
#include "settings/CRegSettings.h"
#include "winsupport/ISubclass.h"

class BusyInputBlocker;
class CFormBorder;
class DownloadLauncher;
class Form4;
class IncomingLinkQueue;
class IUserPrompt;
class IBrowserWindows;
class LinkListView;
class ListHistory;
class PatternBar;
class ListColumns;
class PicturePane;
class LinkViewer;
class MainToolbar;
class MenuBuilder;
class QAction;
class QMenu;
class Slideshow;
class SiteCrawlFlow;
class ToolbarDispatch;
class TopmostBand;
class UrlBuildFlow;
class UrlListBuilder;
class WindowModes;

// The main window ("Form1"): owns the link list and the shared members, puts the window's
// parts together (menus, toolbar, status bar, list view) and runs each command through
// the unit that does its work. MainCommandTable lists the menu commands.
class Form1 final : public QMainWindow, public IMainView, public ISubclass
{
    Q_OBJECT
public:
    // services: everything the window works with (see windowServices); prompt: the
    // "ask the user" implementation, null meaning the real Qt dialogs.
    explicit Form1(Services services, IUserPrompt* prompt = nullptr, QWidget* parent = nullptr);
    ~Form1() override;

    MainState& state() { return m_state; }
    LinkList& list() { return m_list; }
    LinkListView* listView() const { return m_listView; }
    IUserPrompt& prompt() { return *m_prompt; }
    CRegSettings& regset() { return m_regset; }

    // Status-bar properties.
    QString Status() const override { return m_statusBar->status(); }
    StatusKind statusKind() const override { return m_statusBar->statusKind(); }
    void setStatus(StatusKind kind, const QString& text) override
    {
        m_statusBar->setStatus(kind, text);
    }
    int Progress() const { return m_statusBar->progress(); }
    int progressMax() const { return m_statusBar->progressMax(); }

    // IMainView
    QString idleStatusText() const override;
    void setProgress(int max, int value) override { m_statusBar->setProgress(max, value); }
    void setCountText(const QString& text) override { m_statusBar->setCountText(text); }
    void SetListExtent() override;
    void setWindowEnabled(bool enabled) override;
    void setWaitPointer(bool wait) override;
    void setBusyPointer() override;

    QString countText() const { return m_statusBar->countText(); }
    QString statusPanelText() const { return m_statusBar->panelText(); }
    bool windowInputEnabled() const { return !m_busy->busy(); }
    // A build from a URL is loading a page, checking a content type or harvesting, or a
    // site harvest runs.
    bool buildRunning() const;
    bool isTopmost() const { return m_topmostBand->topmost(); }

    // Commands, named after their menu items (MainCommandTable pairs each with its item).
    void mnufURL_Click();
    void mnufSite_Click();
    void mnufClip_Click();
    // Builds from text as from the clipboard's: a drop on the list, a command line.
    void buildFromText(const QString& text);
    void mnufFile_Click();
    void mnufSeq_Click();
    void mnulstSingle_Click();
    void mnulstsrch_Click() { m_listCommands->search(); }
    void mnulstselall_Click() { m_listCommands->selectAll(); }
    void mnulstclr_Click();
    void mnulstremsel_Click();
    // A build in progress owns the list until it ends.
    void mnulstundo_Click()
    {
        if (windowInputEnabled())
            m_listCommands->undo();
    }
    void mnulstredo_Click()
    {
        if (windowInputEnabled())
            m_listCommands->redo();
    }
    void mnulstpatsel_Click() { applyPattern(ListCommands::PatternAction::Select); }
    void mnulstpatrem_Click() { applyPattern(ListCommands::PatternAction::Remove); }
    void mnulstpatkeep_Click() { applyPattern(ListCommands::PatternAction::Keep); }
    void mnulstpics_Click();
    void mnulstpicsel_Click();
    void mnulstpickeep_Click();
    PicturePane* picturePane() const { return m_pictures; }
    void mnulstcolkind_Click();
    void mnulstcolpixels_Click();
    void mnulstcolsize_Click();
    void mnulstcoltype_Click();
    ListColumns* listColumns() const { return m_columns; }
    ListHistory& history() { return *m_history; }
    PatternBar* patternBar() const { return m_patternBar; }
    void mnufsavlst_Click() { m_listCommands->writeListFile(ListCommands::FileMode::Replace); }
    void mnufapplist_Click() { m_listCommands->writeListFile(ListCommands::FileMode::Append); }
    void mnufexport_Click() { m_listCommands->exportList(); }
    void mnufEx_Click() { close(); }
    void mnuopoptions_Click() { m_options->editPreferences(); }
    void mnuopappfilt_Click() { m_options->toggleFilters(); }
    void mnuopfilt_Click() { m_options->manageFilters(); }
    void mnuopcollinks_Click() { m_options->setCollect(HarvestCollect::Links); }
    void mnuopcolmedia_Click() { m_options->setCollect(HarvestCollect::Media); }
    void mnuopcolboth_Click() { m_options->setCollect(HarvestCollect::Both); }
    void mnuopscroll_Click() { m_options->toggleScroll(); }
    void mnuopfullsize_Click() { m_options->toggleLinkedFullSize(); }
    void mnuopengine_Click() { m_options->toggleEngine(); }
    void mnuHelpCont_Click();
    void mnusavpopopen_Click() { m_openreq.request(OpenRequest::Source::Menu); }
    void mnusavpopremove_Click();
    void mnusavpopbuild_Click();
    void mnufileopen_Click();
    // Saving link targets.
    void mnufsav_Click();
    // Saves the links with a download job: the folder question, then the job's window;
    // while an earlier job's window is loaded, that window is shown instead.
    void saveLinks(const ListEntries& entries);
    void mnusavepoptrgt_Click();
    void mnuhelptour_Click();
    void mnuHelpAbt_Click() { m_prompt->showAbout(idleStatusText()); }
    // Full size <-> compact.
    void switchWindowMode() { m_modes->switchMode(); }

    // The main toolbar ("Toolbar1"): a button pressed, by key, and an entry of the
    // "sav" button's drop-down menu, by key.
    void Toolbar1_ButtonClick(const QString& key) { m_toolbar->buttonClick(key); }
    void Toolbar1_ButtonMenuClick(const QString& key) { m_toolbar->menuClick(key); }
    MainToolbar* toolbar() const { return &m_toolbar->toolbar(); }
    CFormBorder& fborder() { return *m_fborder; }
    LinkViewer& viewer() { return *m_viewer; }
    Slideshow& slideshow() { return *m_slideshow; }
    // Where browser windows come from (tests give their own); before the first open.
    void useBrowserWindows(IBrowserWindows& windows);
    // The window mode: "resize" image 12 full size, 13 compact.
    bool compactMode() const { return m_modes->compact(); }
    int resizeImage() const { return m_modes->image(); }
    QSize savedFullSize() const { return m_modes->savedFullSize(); }

    // The "Saving Files" window of the download job, while it is loaded.
    Form4* downloadWindow() const;

    // A link text delivered from outside: queued and taken once the steps of the links
    // before it have returned; false (refused) when the queue is full or the window is
    // closing.
    bool receiveLink(const QString& text) { return m_incoming->offer(text); }
    // Once shown at start: a settings notice not seen yet (a reset of a damaged file, by
    // this or another process), and from then on the first settings write that cannot
    // be saved.
    void showStartupNotices();
    // Starts listening for links sent by `quillmarch --send-link`.
    Result<> installLinkReceiver();
    LinkReceiver* linkReceiver() const { return m_services.linkReceiver.get(); }

    // A pending request to open an entry ("openreq"), carried out by the list's next
    // mouse-up.
    bool openRequestPending() const { return m_openreq.pending(); }
    // The list's mouse-up handling: slideshow guard, context menu, open request.
    void List1_MouseUp(Qt::MouseButton button, const QPoint& globalPos);

    QAction* action(MainCommand command) const { return m_menus->action(command); }
    QMenu* contextMenu() const { return m_menus->contextMenu(); }

    // Topmost band around dialogs.
    void leaveTopmostBand() { m_topmostBand->apply(false); }
    void restoreTopmostBand() { m_topmostBand->restore(m_state.prefs.ontop); }

    // ISubclass: answers the size-limits query with meX x meY.
    qint32 MsgResponse() override;
    void setMsgResponse(qint32) override { }
    qint32 WindowProc(QObject* hWnd, int iMsg, QEvent* event) override;

signals:
    void harvestFinished();
    void topmostBandChanged(bool topmost);
    // The window came back from being minimized.
    void restoredFromMinimized();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showPointer(Qt::CursorShape shape);
    void Form_Load();
    void updateCommandStates();
    void cancelHarvest();
    UrlBuildFlow& urlFlow();
    void applyPattern(ListCommands::PatternAction action);
    // The count panel after the list changed: "N links found", blank when empty.
    void showListCount();
    // How a command's undo step starts: with the first change the list announces, or at
    // once for a command that changes only the selection (the list announces no such
    // change).
    enum class ListStep { OnChange, Selection };
    // Runs a command that changes the list as one undo step. Every such command, from the
    // menus, the toolbar, the pattern bar, a drop or a hand-over, passes through here once.
    void listCommand(const std::function<void()>& command, ListStep step = ListStep::OnChange);

    Services m_services;
    CRegSettings m_regset;
    MainState m_state;
    LinkList m_list;
    std::unique_ptr<IUserPrompt> m_ownPrompt;
    IUserPrompt* m_prompt = nullptr;

    LinkListView* m_listView = nullptr;
    PatternBar* m_patternBar = nullptr;
    PicturePane* m_pictures = nullptr;
    ListColumns* m_columns = nullptr;
    // Shows or hides one of the list's optional columns.
    void toggleColumn(int column);
    // The column menu items and the list's view as the columns shown say.
    void showColumns();
    ListHistory* m_history = nullptr;
    std::unique_ptr<MenuBuilder> m_menus;
    std::unique_ptr<MainStatusBar> m_statusBar;
    BusyInputBlocker* m_busy = nullptr;
    TopmostBand* m_topmostBand = nullptr;
    std::unique_ptr<ListCommands> m_listCommands;
    std::unique_ptr<OptionsCommands> m_options;
    std::unique_ptr<UrlListBuilder> m_urlBuilder;
    std::unique_ptr<UrlBuildFlow> m_urlFlow;
    std::unique_ptr<SiteCrawlFlow> m_siteFlow;
    std::unique_ptr<DownloadLauncher> m_downloads;
    IncomingLinkQueue* m_incoming = nullptr;
    OpenRequest m_openreq;

    ToolbarDispatch* m_toolbar = nullptr;
    std::unique_ptr<CFormBorder> m_fborder;
    std::unique_ptr<IBrowserWindows> m_ownBrowserWindows;
    IBrowserWindows* m_browserWindows = nullptr; // the windows in use (tests swap them)
    LinkViewer* m_viewer = nullptr;
    Slideshow* m_slideshow = nullptr;
    std::unique_ptr<WindowModes> m_modes;
};
