#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include "core/DialogRequests.h"

class CRegSettings;
class IMainView;
class IUserPrompt;
class LinkList;
class LinkViewer;

// The slideshow: the links of the list shown one after another in the link viewer's
// window at a fixed interval ("Timer2"), counted from the start of each load or from
// its completion. Started and paused with the toolbar's "slideshow" button; a show is
// running exactly while that button is down (running()).
//
// An advance that finds the window still loading waits for the load to end and then
// goes on; nothing waits in a nested event loop. A stop, the window's quit or a new
// start while it waits drops the waiting advance.
class Slideshow final : public QObject
{
    Q_OBJECT
public:
    static const QString kSection; // the section of the slideshow options

    Slideshow(LinkViewer& viewer, LinkList& list, IMainView& view, IUserPrompt& prompt,
        CRegSettings& settings, QObject* parent = nullptr);

    // Length of one "second" of the interval; tests make it short.
    void setMillisecondsPerSecond(int ms) { m_msPerSecond = ms; }

    // The stored options, defaults for what is missing or unreadable.
    static SlideshowOptions LoadOptions(const CRegSettings& settings);
    static void SaveOptions(CRegSettings& settings, const SlideshowOptions& options);

    // The "slideshow" button's value: true while a show runs.
    bool running() const { return m_running; }
    // The button was pressed: down starts a show (options dialog), up pauses it.
    void buttonClicked(bool down);
    // Another toolbar button was pressed during the show: it ends now.
    void stopByOtherButton();

    // From the viewer: a top-level document completed / the window quit.
    void documentComplete();
    void browserQuit();

    // The slides of the current or last show, 1-based positions (batchlinks).
    const QStringList& batchlinks() const { return m_batchlinks; }
    int position() const { return m_position; }
    bool waitFlag() const { return m_wait; }
    bool paused() const { return m_paused; }
    bool stopped() const { return m_stopped; }
    bool timerActive() const { return m_timer2.isActive(); }
    int timerInterval() const { return m_timer2.interval(); }

signals:
    // The button's value changed; the toolbar shows it.
    void runningChanged(bool running);

private:
    void start();
    void pause();
    void advance();
    void continueAdvance();
    void setRunning(bool running);
    void showIdleState();

    LinkViewer& m_viewer;
    LinkList& m_list;
    IMainView& m_view;
    IUserPrompt& m_prompt;
    CRegSettings& m_settings;

    QStringList m_batchlinks;
    int m_position = 0;
    bool m_wait = false;
    bool m_paused = false;
    bool m_stopped = false;
    bool m_running = false;
    bool m_advancePending = false; // an advance waits for the window's load to end
    bool m_inDialog = false;
    int m_msPerSecond = 1000;
    QTimer m_timer2;
};
