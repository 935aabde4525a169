#include "viewer/LinkViewer.h"

#include "core/IMainView.h"
#include "core/Preferences.h"
#include "core/WindowState.h"
#include "listops/LinkList.h"
#include "viewer/IBrowserWindows.h"
#include "viewer/Slideshow.h"

namespace
{

const QString kLoading = QStringLiteral("Loading link...");
const QString kSlideshowStatus = QStringLiteral("Slideshow in progress.");

} // namespace

LinkViewer::LinkViewer(const Preferences& prefs, WindowState& window, LinkList& list,
    IMainView& view, IBrowserWindows& windows, std::function<void()> activateMainWindow,
    QObject* parent)
    : QObject(parent)
    , m_prefs(prefs)
    , m_windowState(window)
    , m_list(list)
    , m_view(view)
    , m_windows(&windows)
    , m_activateMainWindow(std::move(activateMainWindow))
{
}

LinkViewer::~LinkViewer()
{
    // The windows outlive the viewer when the user keeps them open at exit; they must
    // not report to it any more.
    if (m_window)
        m_window->disconnect(this);
    if (m_tour)
        m_tour->disconnect(this);
}

QString LinkViewer::hideBrTooltip() const
{
    return m_hideBrImage == kShownImage ? QStringLiteral("Hide browser")
                                        : QStringLiteral("Show browser");
}

IBrowserWindow* LinkViewer::findOrCreateWindow()
{
    if (m_window)
        return m_window;
    IBrowserWindow* window = m_prefs.newwin ? nullptr : m_windows->lastHtmlWindow();
    if (!window) {
        window = m_windows->createWindow();
        if (!window)
            return nullptr;
        m_windowState.openedone = true;
    }
    attach(window);
    return window;
}

void LinkViewer::attach(IBrowserWindow* window)
{
    m_window = window;
    connect(window, &IBrowserWindow::BeforeNavigate2, this, &LinkViewer::BeforeNavigate2);
    connect(window, &IBrowserWindow::ProgressChange, this, &LinkViewer::ProgressChange);
    connect(window, &IBrowserWindow::DocumentComplete, this, &LinkViewer::DocumentComplete);
    connect(window, &IBrowserWindow::OnQuit, this, &LinkViewer::OnQuit);
    connect(window, &IBrowserWindow::FileDownload, this, &LinkViewer::downloadRequested);
    emit changed();
}

void LinkViewer::applyToggle()
{
    const bool shown = m_hideBrImage == kShownImage;
    m_window->setVisible(shown);
    if (shown) {
        m_window->showNoActivate();
        m_window->bringToFront(false);
    }
}

bool LinkViewer::PrepareBrowserWindow()
{
    if (!findOrCreateWindow())
        return false;
    applyToggle();
    if (m_window->Busy())
        m_window->Stop();
    return true;
}

bool LinkViewer::openStep(int index)
{
    if (!findOrCreateWindow())
        return false;
    applyToggle();
    if (m_window->Visible() && m_activateMainWindow)
        m_activateMainWindow();
    if (index < 0 || index >= m_list.count())
        return false;
    navigate(m_list.at(index));
    return true;
}

void LinkViewer::openCurrent()
{
    const int current = m_list.currentIndex();
    if (m_list.count() == 0 || current == -1)
        return;
    if (PrepareBrowserWindow())
        navigate(m_list.at(current));
}

void LinkViewer::stepForward()
{
    const int count = m_list.count();
    int current = m_list.currentIndex();
    if (count == 0)
        return;
    if (count != current + 1)
        ++current;
    stepTo(current);
}

void LinkViewer::stepBack()
{
    int current = m_list.currentIndex();
    if (current < 0)
        return;
    if (current != 0)
        --current;
    stepTo(current);
}

void LinkViewer::stepTo(int index)
{
    m_list.setCurrentIndex(index);
    m_list.setRangeSelected(0, m_list.count() - 1, false);
    m_list.setSelected(index, true);
    if (PrepareBrowserWindow())
        navigate(m_list.at(index));
}

void LinkViewer::navigate(const QString& url)
{
    if (m_window)
        m_window->Navigate(url);
}

bool LinkViewer::showSlide(const QString& url)
{
    if (!findOrCreateWindow())
        return false;
    m_window->setVisible(m_hideBrImage == kShownImage);
    m_window->Navigate(url);
    return true;
}

void LinkViewer::toggleBrowser()
{
    if (!m_window)
        return;
    if (m_hideBrImage == kShownImage) {
        m_window->setVisible(false);
        m_hideBrImage = kHiddenImage;
    } else {
        m_window->setVisible(true);
        m_window->showNoActivate();
        m_window->bringToFront(true);
        m_hideBrImage = kShownImage;
    }
    emit changed();
}

void LinkViewer::openTour(const QString& url)
{
    if (!m_tour) {
        IBrowserWindow* window = m_windows->createWindow();
        if (!window)
            return;
        m_tour = window;
        connect(window, &IBrowserWindow::OnQuit, this, &LinkViewer::tourQuit);
        connect(window, &IBrowserWindow::FileDownload, this, &LinkViewer::downloadRequested);
    }
    m_windowState.openedone = true;
    m_tour->setVisible(true);
    m_tour->showMaximizedActive();
    m_tour->Navigate(url);
}

void LinkViewer::quitWindows()
{
    const QPointer<IBrowserWindow> link = m_window;
    const QPointer<IBrowserWindow> tour = m_tour;
    if (link)
        link->Quit();
    if (tour)
        tour->Quit();
}

void LinkViewer::BeforeNavigate2()
{
    if (mainWindowHeld())
        return;
    m_view.setStatus(StatusKind::LoadingLink, kLoading);
    m_view.setBusyPointer();
}

void LinkViewer::ProgressChange(int progress, int progressMax)
{
    if (mainWindowHeld())
        return;
    if (progress < 1)
        m_view.setProgress(100, 0);
    else
        m_view.setProgress(progressMax, progress);
}

void LinkViewer::DocumentComplete()
{
    if (m_slideshow)
        m_slideshow->documentComplete();
    if (mainWindowHeld())
        return;
    if (m_slideshow && m_slideshow->running()) {
        m_view.setStatus(StatusKind::Slideshow, kSlideshowStatus);
        m_view.setCountText(QString());
    } else {
        m_view.setWaitPointer(false);
        m_view.setIdleStatus();
        m_view.setLinkCount(m_list.count());
    }
    m_view.setProgress(100, 0);
}

void LinkViewer::OnQuit()
{
    // A build or a job that holds the main window ends it in its own time; enabling it
    // here would let a second build start beside the first.
    const bool held = mainWindowHeld();
    if (!held) {
        m_view.setWaitPointer(false);
        m_view.setIdleStatus();
        m_view.setWindowEnabled(true);
    }
    if (m_slideshow)
        m_slideshow->browserQuit();
    if (m_window)
        m_window->disconnect(this);
    if (m_tour == m_window)
        m_tour = nullptr;
    m_window = nullptr;
    refreshOpenedOne();
    if (!held)
        m_view.setProgress(100, 0);
    emit changed();
}

void LinkViewer::tourQuit()
{
    if (m_tour && m_tour != m_window)
        m_tour->disconnect(this);
    m_tour = nullptr;
    refreshOpenedOne();
}

// A window of the program is still open exactly while one of the two references is
// set: every browser window the viewer can attach to is one the program opened.
void LinkViewer::refreshOpenedOne()
{
    m_windowState.openedone = m_window || m_tour;
}
