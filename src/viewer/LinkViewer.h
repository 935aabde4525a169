#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "viewer/IBrowserWindow.h"

class IBrowserWindows;
class IMainView;
class LinkList;
class Slideshow;
struct Preferences;
struct WindowState;

// Shows list entries in the program's browser window ("WebBrowser1") and the tour in a
// second one ("webbrowser3"), steps back and forward through the list, and reflects
// the window's loading in the main window's status bar.
//
// The window is found or created on the first open and kept until it quits; the
// "hide_br" toggle (image 8 shown, 9 hidden) decides whether it is visible each time a
// link opens. Opening brings the window above the others without taking the keyboard
// focus from the main window, so stepping keys keep working there; only the toggle's
// "Show browser" activates it.
class LinkViewer final : public QObject
{
    Q_OBJECT
public:
    static constexpr int kShownImage = 8;
    static constexpr int kHiddenImage = 9;

    // prefs.newwin chooses a new window over reuse; window.openedone is kept current.
    // activateMainWindow gives the main window the keyboard focus back.
    LinkViewer(const Preferences& prefs, WindowState& window, LinkList& list, IMainView& view,
        IBrowserWindows& windows, std::function<void()> activateMainWindow,
        QObject* parent = nullptr);
    ~LinkViewer() override;

    // Where windows come from from now on (tests give their own).
    void setBrowserWindows(IBrowserWindows& windows) { m_windows = &windows; }
    // The slideshow that document completion and the window's quit report to.
    void setSlideshow(Slideshow* slideshow) { m_slideshow = slideshow; }
    // True while a build or a download job holds the main window: the window's events
    // then leave the status bar, the pointer and the enabled state to it.
    void setMainWindowHeld(std::function<bool()> held) { m_mainWindowHeld = std::move(held); }

    IBrowserWindow* WebBrowser1() const { return m_window; }
    IBrowserWindow* webbrowser3() const { return m_tour; }
    int hideBrImage() const { return m_hideBrImage; }
    QString hideBrTooltip() const;

    // Makes sure a window exists, shows or hides it after the toggle, brings it forward
    // and stops a load still running. False when no browser could be started.
    bool PrepareBrowserWindow();
    // The list's open step: finds or creates the window, applies the toggle, then opens
    // entry index. The main window keeps the focus. False when nothing was opened (no
    // window, or index outside the list).
    bool openStep(int index);
    // Enter in the list: opens the current entry.
    void openCurrent();
    void stepForward();
    void stepBack();
    // The "hide_br" toolbar button; does nothing without a window.
    void toggleBrowser();
    // Opens the tour page in the tour window, maximized.
    void openTour(const QString& url);
    // Closes the link window and the tour window (shutdown's "Yes").
    void quitWindows();

    // The slideshow's navigation: the window's visibility from the toggle, then url.
    // Creates a window when there is none. False when no browser could be started.
    bool showSlide(const QString& url);

signals:
    // The window came or went, or the toggle changed: enabled states may change.
    void changed();
    // A link opened in one of the windows is a file to save, not a page.
    void downloadRequested(const QString& url);

private:
    IBrowserWindow* findOrCreateWindow();
    void attach(IBrowserWindow* window);
    void applyToggle();
    void stepTo(int index);
    void navigate(const QString& url);

    void BeforeNavigate2();
    void ProgressChange(int progress, int progressMax);
    void DocumentComplete();
    void OnQuit();
    void tourQuit();
    void refreshOpenedOne();
    bool mainWindowHeld() const { return m_mainWindowHeld && m_mainWindowHeld(); }

    const Preferences& m_prefs;
    WindowState& m_windowState;
    LinkList& m_list;
    IMainView& m_view;
    IBrowserWindows* m_windows;
    std::function<void()> m_activateMainWindow;
    std::function<bool()> m_mainWindowHeld;
    Slideshow* m_slideshow = nullptr;
    QPointer<IBrowserWindow> m_window;
    QPointer<IBrowserWindow> m_tour;
    int m_hideBrImage = kShownImage;
};
