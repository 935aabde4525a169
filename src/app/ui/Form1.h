#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QQueue>
#include <memory>

#include "app/ui/Services.h"
#include "core/IMainView.h"
#include "core/MainState.h"
#include "core/Result.h"
#include "listops/LinkList.h"
#include "settings/CRegSettings.h"
#include "winsupport/ISubclass.h"

class CFormBorder;
class CProgressBarEx;
class Form4;
class IUserPrompt;
class IBrowserWindows;
class LinkListView;
class LinkViewer;
class MainToolbar;
class ProgressPanel;
class QAction;
class QLabel;
class QMenu;
class Slideshow;
class UrlListBuilder;

// The main window ("Form1"): owns the link list, the shared members, the menus and the
// status bar, and runs every command of the program through the logic classes.
class Form1 final : public QMainWindow, public IMainView, public ISubclass
{
    Q_OBJECT
public:
    // services: everything the window works with (see Services::standard); prompt: the
    // "ask the user" implementation, null meaning the real Qt dialogs.
    explicit Form1(Services services, IUserPrompt* prompt = nullptr, QWidget* parent = nullptr);
    ~Form1() override;

    MainState& state() { return m_state; }
    LinkList& list() { return m_list; }
    LinkListView* listView() const { return m_listView; }
    IUserPrompt& prompt() { return *m_prompt; }
    CRegSettings& regset() { return m_regset; }

    // Status-bar properties.
    QString Status() const override { return m_stattext; }
    StatusKind statusKind() const override { return m_statusKind; }
    void setStatus(StatusKind kind, const QString& text) override;
    int Progress() const { return m_pval; }
    void setProgressValue(int value);
    int pmax = 100;

    // IMainView
    QString idleStatusText() const override;
    void setProgress(int max, int value) override;
    void setCountText(const QString& text) override;
    void SetListExtent() override;
    void setWindowEnabled(bool enabled) override;
    void setWaitPointer(bool wait) override;
    void setBusyPointer() override;

    QString countText() const;
    QString statusPanelText() const;
    bool windowInputEnabled() const;
    // A build from a URL is loading a page, checking a content type or harvesting.
    bool buildRunning() const;
    bool isTopmost() const { return m_topmost; }

    // Commands, named after their menu items.
    void mnufURL_Click();
    void mnufClip_Click();
    void mnufFile_Click();
    void mnufSeq_Click();
    void mnulstSingle_Click();
    void mnulstsrch_Click();
    void mnulstselall_Click();
    void mnulstclr_Click();
    void mnufsavlst_Click();
    void mnufapplist_Click();
    void mnufEx_Click();
    void mnuopoptions_Click();
    void mnuopappfilt_Click();
    void mnuopfilt_Click();
    void mnuHelpCont_Click();
    void mnusavpopopen_Click();
    void mnusavpopremove_Click();
    void mnusavpopbuild_Click();
    void mnufileopen_Click();
    // Saving link targets.
    void mnufsav_Click();
    // Saves the links with a download job: the folder question, then the job's window;
    // while an earlier job's window is loaded, that window is shown instead.
    void saveLinks(const QStringList& links);
    void mnusavepoptrgt_Click();
    void mnuhelptour_Click();
    void mnuHelpAbt_Click();

    // The main toolbar ("Toolbar1"): a button pressed, by key, and an entry of the
    // "sav" button's drop-down menu, by key.
    void Toolbar1_ButtonClick(const QString& key);
    void Toolbar1_ButtonMenuClick(const QString& key);
    MainToolbar* toolbar() const { return m_toolbar; }
    CFormBorder& fborder() { return *m_fborder; }
    LinkViewer& viewer() { return *m_viewer; }
    Slideshow& slideshow() { return *m_slideshow; }
    // Where browser windows come from (tests give their own); before the first open.
    void useBrowserWindows(IBrowserWindows& windows);
    // The window mode: "resize" image 12 full size, 13 compact.
    bool compactMode() const { return m_resizeImage == 13; }
    int resizeImage() const { return m_resizeImage; }
    QSize savedFullSize() const { return m_savedFullSize; }

    // The "Saving Files" window of the download job, while it is loaded.
    Form4* downloadWindow() const;

    // A link text delivered from outside: queued and taken once the steps of the links
    // before it have returned; false (refused) when the queue is full or the window is
    // closing.
    bool receiveLink(const QString& text);
    // Once shown at start: a settings notice not seen yet (a reset of a damaged file, by
    // this or another process), and from then on the first settings write that cannot
    // be saved.
    void showStartupNotices();
    // Starts listening for links sent by `quillmarch --send-link`.
    Result<> installLinkReceiver();
    LinkReceiver* linkReceiver() const { return m_services.linkReceiver.get(); }

    // A pending request to open an entry ("openreq"), carried out by the list's next
    // mouse-up.
    bool openRequestPending() const { return m_openreq; }
    // The list's mouse-up handling: slideshow guard, context menu, open request.
    void List1_MouseUp(Qt::MouseButton button, const QPoint& globalPos);

    QAction* action(const QString& name) const;
    QMenu* contextMenu() const { return m_mnusavepop; }

    // Topmost band around dialogs.
    void leaveTopmostBand();
    void restoreTopmostBand();

    // ISubclass: answers the size-limits query with meX x meY.
    qint32 MsgResponse() override;
    void setMsgResponse(qint32 response) override { m_msgResponse = response; }
    qint32 WindowProc(QObject* hWnd, int iMsg, QEvent* event) override;

signals:
    void harvestFinished();
    void topmostBandChanged(bool topmost);
    // The window came back from being minimized.
    void restoredFromMinimized();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showPointer(Qt::CursorShape shape);
    void Form_Load();
    void buildMenus();
    void buildStatusBar();
    QAction* addCommand(QMenu* menu, const QString& name, const QString& caption,
        void (Form1::*handler)(), const QKeySequence& shortcut = {});
    void applyTopmostBand(bool topmost);
    void applyFilterMenuState();
    void updateCommandStates();
    void buildToolbar();
    void switchWindowMode();
    void restoreStatusAfterHover();
    int entryNearPointer(const QPoint& globalPos) const;
    void syncSlideshowButton();
    enum class ListFileMode { Replace, Append };
    void writeListFile(ListFileMode mode);
    void showCount();
    void cancelHarvest();
    void resetListExtent();
    UrlListBuilder& urlBuilder();
    QString clipboardText() const;
    void downloadWindowUnloaded();
    void processIncomingLinks();

    Services m_services;
    CRegSettings m_regset;
    MainState m_state;
    LinkList m_list;
    std::unique_ptr<IUserPrompt> m_ownPrompt;
    IUserPrompt* m_prompt = nullptr;

    LinkListView* m_listView = nullptr;
    QLabel* m_pnlStatus = nullptr;
    ProgressPanel* m_pnlProgress = nullptr;
    std::unique_ptr<CProgressBarEx> m_pbar;
    QMenu* m_mnusavepop = nullptr;
    QHash<QString, QAction*> m_actions;

    std::unique_ptr<UrlListBuilder> m_urlBuilder;
    QPointer<Form4> m_form4;
    QQueue<QString> m_incoming;
    bool m_incomingRunning = false;
    bool m_closing = false;
    bool m_busy = false;
    QList<QPointer<QWidget>> m_disabledParts;

    int m_extent = 0; // widest entry measured so far, with margins
    int m_extentMeasured = 0; // entries [0, m_extentMeasured) are measured
    QString m_stattext;
    StatusKind m_statusKind = StatusKind::Idle;
    int m_pval = 0;
    bool m_topmost = false;
    bool m_holdTopmostBand = false;
    bool m_openreq = false;
    bool m_openreqFromMenu = false; // the menu items open the selected entry

    MainToolbar* m_toolbar = nullptr;
    std::unique_ptr<CFormBorder> m_fborder;
    std::unique_ptr<IBrowserWindows> m_ownBrowserWindows;
    LinkViewer* m_viewer = nullptr;
    Slideshow* m_slideshow = nullptr;
    int m_resizeImage = 12;
    QSize m_savedFullSize;
    qint32 m_msgResponse = 0;
};
