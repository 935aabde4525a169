#pragma once

#include <QObject>
#include <QString>

// One browser window of the program as the link viewer and the tour see it: a top-level
// window with its own page. The window belongs to itself: it is destroyed some time
// after the user closed it or quit() was called, so holders keep a QPointer.
//
// Events arrive on the interface thread and concern the top-level page only (frames
// report nothing); only OnQuit can arrive from inside a call (Quit):
// - BeforeNavigate2: a load of the page started;
// - ProgressChange: how far the load is, progress out of progressMax (which is 100);
// - DocumentComplete: the load ended, also when it failed (the window then shows the
//   engine's error page); Busy is false from here on;
// - StatusTextChange: the text the window shows for the link under the pointer;
// - FileDownload: a link opened in the window is a file to save, not a page; the window
//   saves nothing itself and leaves the file to the program's download job;
// - OnQuit: the window is closing (the user closed it, or quit() was called); no
//   event follows.
// The page never opens script dialogs (alerts, confirmations, prompts are answered
// silently), so no dialog ever waits for someone to close it.
class IBrowserWindow : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~IBrowserWindow() override = default;

    // Starts loading url (a list entry as typed: "http://...", "www.example.org", a path).
    virtual void Navigate(const QString& url) = 0;
    virtual bool Visible() const = 0;
    // Shows (without taking the keyboard focus) or hides the window.
    virtual void setVisible(bool visible) = 0;
    // Shows the window without activating it (it does not take the keyboard focus).
    virtual void showNoActivate() = 0;
    // Raises the window above the program's other windows; activate also gives it the
    // keyboard focus.
    virtual void bringToFront(bool activate) = 0;
    // Shows the window maximized and active.
    virtual void showMaximizedActive() = 0;
    // A load is running.
    virtual bool Busy() const = 0;
    virtual void Stop() = 0;
    // Closes the window; OnQuit follows.
    virtual void Quit() = 0;
    // The address shown now.
    virtual QString LocationURL() const = 0;

signals:
    void BeforeNavigate2();
    void ProgressChange(int progress, int progressMax);
    void DocumentComplete();
    void StatusTextChange(const QString& text);
    void FileDownload(const QString& url);
    void OnQuit();
};
