#include "platform/webengine/window/WebBrowserWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QWindow>

#include "platform/webengine/BrowserProfile.h"
#include "platform/webengine/QuietPage.h"
#include "platform/webengine/ShellWindowRegistry.h"
#include "platform/webengine/window/BrowserWindowHandle.h"
#include "winsupport/BesidePlacement.h"

namespace
{

// A page of a browser window: script dialogs are answered silently (no dialog ever
// waits for someone to close it), and a page asking for a new window loads in this one.
// While the window itself leaves the page (setLeaving), the page's "leave this page?"
// question, which arrives as a confirmation, is answered "leave": a page cannot hold the
// window on itself.
class BrowserPage final : public QuietPage
{
public:
    using QuietPage::QuietPage;

    void setLeaving(bool leaving) { m_leaving = leaving; }

protected:
    QWebEnginePage* createWindow(WebWindowType) override { return this; }
    bool javaScriptConfirm(const QUrl& origin, const QString& text) override
    {
        return m_leaving || QuietPage::javaScriptConfirm(origin, text);
    }

private:
    bool m_leaving = false;
};

// The profile of the pages that run javascript: entries: kept in memory only, and
// without the browser profile's cookies and storage.
QWebEngineProfile* detachedProfile()
{
    static QPointer<QWebEngineProfile> profile;
    if (!profile)
        profile = new QWebEngineProfile();
    return profile;
}

QList<QPointer<WebBrowserWindow>>& openWindows()
{
    static QList<QPointer<WebBrowserWindow>> windows;
    return windows;
}

QIcon icon(const char* name)
{
    return QIcon::fromTheme(
        QLatin1String(name), QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name))));
}

} // namespace

QWebEngineProfile* WebBrowserWindow::browserProfile()
{
    QWebEngineProfile* profile = BrowserProfile::shared();
    static bool hooked = false;
    if (!hooked) {
        hooked = true;
        // The engine saves no file itself: a file a window opens goes to the program's
        // download job, which asks for the folder and shows the transfer.
        QObject::connect(
            profile, &QWebEngineProfile::downloadRequested, [](QWebEngineDownloadRequest* request) {
                const bool savePage = request->isSavePageDownload();
                const QString url = request->url().toString();
                request->cancel();
                if (WebBrowserWindow* window = forPage(request->page()); window && !savePage)
                    window->fileInsteadOfPage(url);
            });
        // The windows still open at exit go before the profile, which writes its cookies
        // when it is released.
        BrowserProfile::beforeRelease([] {
            for (const QPointer<WebBrowserWindow>& window : openWindows())
                delete window.data();
            delete detachedProfile();
        });
    }
    return profile;
}

WebBrowserWindow* WebBrowserWindow::forPage(QWebEnginePage* page)
{
    for (const QPointer<WebBrowserWindow>& window : openWindows()) {
        if (window && window->page() == page)
            return window;
    }
    return nullptr;
}

QUrl WebBrowserWindow::urlFromText(const QString& text)
{
    return QUrl::fromUserInput(text.trimmed(), QDir::currentPath(), QUrl::AssumeLocalFile);
}

// The main window may stay on top: a browser window opened under it would be hidden, so
// it goes beside it when the screen has room, and always wholly on the screen (its frame
// counted as the main window's).
void WebBrowserWindow::placeBesideMainWindow(const QRect& area)
{
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() != QLatin1StringView("Form1") || !widget->isVisible())
            continue;
        // setGeometry() places the area inside the frame, whether or not the window
        // manager has framed this window yet; the frame is taken as the main window's.
        const QRect outer = widget->frameGeometry();
        const QPoint inset = widget->geometry().topLeft() - outer.topLeft();
        const QSize frame = outer.size() - widget->size();
        const QRect placed = BesidePlacement::place(outer, size() + frame, area);
        setGeometry(QRect(placed.topLeft() + inset, placed.size() - frame));
        return;
    }
}

WebBrowserWindow::WebBrowserWindow(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("WebBrowserWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Browser"));
    setWindowIcon(icon("web-browser"));
    m_view = new QWebEngineView(this);
    m_page = new BrowserPage(browserProfile(), m_view);
    m_view->setPage(m_page);
    setCentralWidget(m_view);
    m_handle = new BrowserWindowHandle(this);
    buildToolBar();
    statusBar()->setSizeGripEnabled(true);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        resize(area.width() * 3 / 4, area.height() * 3 / 4);
        placeBesideMainWindow(area);
    }

    // While a javascript: entry's page is shown, the browser page's late events (the end
    // of a stopped load) are not the window's.
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] {
        if (m_detached)
            return;
        m_loading = true;
        m_reportingProgress = true;
        updateLoadState();
        emit m_handle->BeforeNavigate2();
    });
    connect(m_page, &QWebEnginePage::loadProgress, this, [this](int progress) {
        if (m_detached)
            return;
        m_indicator->setValue(progress);
        if (m_reportingProgress)
            emit m_handle->ProgressChange(progress, 100);
    });
    connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool) {
        static_cast<BrowserPage*>(m_page)->setLeaving(false);
        if (m_detached)
            return;
        m_reportingProgress = false;
        if (!m_loading)
            return;
        m_loading = false;
        updateLoadState();
        emit m_handle->DocumentComplete();
    });
    connect(m_page, &QWebEnginePage::linkHovered, this, [this](const QString& url) {
        statusBar()->showMessage(url);
        emit m_handle->StatusTextChange(url);
    });
    connect(m_page, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
        if (m_detached)
            return;
        m_address->setText(url.toDisplayString());
        updateLoadState();
    });
    connect(m_page, &QWebEnginePage::titleChanged, this, [this](const QString& title) {
        setWindowTitle(title.isEmpty() ? QStringLiteral("Browser") : title);
    });

    // Showing the window never takes the keyboard focus from the main window; what
    // should have it activates it. The engine loads a page only in a view that has been
    // shown, so the window, which starts hidden, is shown once without reaching the
    // screen.
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    setAttribute(Qt::WA_DontShowOnScreen, true);
    show();
    hide();
    setAttribute(Qt::WA_DontShowOnScreen, false);

    openWindows().removeIf([](const QPointer<WebBrowserWindow>& w) { return w.isNull(); });
    openWindows().append(this);
    ShellWindowRegistry::instance().registerPage(m_page);
}

void WebBrowserWindow::setVisible(bool visible)
{
    if (!visible && isVisible() && !testAttribute(Qt::WA_DontShowOnScreen)) {
        m_placement = geometry().topLeft();
    } else if (visible && !isVisible() && m_placement && windowHandle()
        && !(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        // Asked for explicitly, the position is one the window manager keeps.
        windowHandle()->setPosition(*m_placement);
    }
    QMainWindow::setVisible(visible);
}

WebBrowserWindow::~WebBrowserWindow()
{
    ShellWindowRegistry::instance().unregisterPage(m_page);
}

void WebBrowserWindow::buildToolBar()
{
    QToolBar* bar = addToolBar(QStringLiteral("Navigation"));
    bar->setObjectName(QStringLiteral("navigation"));
    bar->setMovable(false);
    m_back = bar->addAction(icon("go-previous"), QStringLiteral("Back"));
    m_back->setShortcut(QKeySequence::Back);
    // Back from a javascript: entry's page is the page shown before it.
    connect(m_back, &QAction::triggered, this, [this] {
        if (m_detached)
            showBrowserPage();
        else
            m_view->back();
    });
    m_forward = bar->addAction(icon("go-next"), QStringLiteral("Forward"));
    m_forward->setShortcut(QKeySequence::Forward);
    connect(m_forward, &QAction::triggered, this, [this] {
        showBrowserPage();
        m_view->forward();
    });
    m_reloadStop = bar->addAction(icon("view-refresh"), QStringLiteral("Reload"));
    m_reloadStop->setShortcut(QKeySequence::Refresh);
    connect(m_reloadStop, &QAction::triggered, this, [this] {
        if (m_loading)
            stopLoading();
        else
            m_view->reload();
    });

    m_address = new QLineEdit(bar);
    m_address->setObjectName(QStringLiteral("address"));
    m_address->setClearButtonEnabled(true);
    m_address->setPlaceholderText(QStringLiteral("Address"));
    connect(m_address, &QLineEdit::returnPressed, this, [this] { navigate(m_address->text()); });
    bar->addWidget(m_address);

    m_indicator = new QProgressBar(bar);
    m_indicator->setObjectName(QStringLiteral("loadIndicator"));
    m_indicator->setRange(0, 100);
    m_indicator->setTextVisible(false);
    m_indicator->setMaximumWidth(80);
    m_indicator->setMaximumHeight(12);
    m_indicator->setVisible(false);
    bar->addWidget(m_indicator);

    m_openOutside = bar->addAction(icon("web-browser"), QStringLiteral("Open in your web browser"));
    connect(m_openOutside, &QAction::triggered, this, &WebBrowserWindow::openInSystemBrowser);
    auto* focusAddress = new QAction(this);
    focusAddress->setShortcuts({ QKeySequence(Qt::CTRL | Qt::Key_L), QKeySequence(Qt::Key_F6) });
    connect(focusAddress, &QAction::triggered, this, [this] {
        m_address->setFocus();
        m_address->selectAll();
    });
    addAction(focusAddress);
    updateLoadState();
}

void WebBrowserWindow::updateLoadState()
{
    m_back->setEnabled(m_detached || m_page->history()->canGoBack());
    m_forward->setEnabled(m_page->history()->canGoForward());
    m_reloadStop->setIcon(icon(m_loading ? "process-stop" : "view-refresh"));
    m_reloadStop->setText(m_loading ? QStringLiteral("Stop") : QStringLiteral("Reload"));
    m_indicator->setVisible(m_loading);
    const QString scheme = m_page->url().scheme();
    m_openOutside->setEnabled(scheme == QLatin1String("http") || scheme == QLatin1String("https")
        || scheme == QLatin1String("ftp"));
}

void WebBrowserWindow::navigate(const QString& text)
{
    const QUrl url = urlFromText(text);
    if (url.scheme() == QLatin1String("javascript")) {
        runDetached(url);
        return;
    }
    showBrowserPage();
    static_cast<BrowserPage*>(m_page)->setLeaving(true);
    m_address->setText(url.toDisplayString());
    const QUrl current = m_page->url();
    const bool sameDocument = !m_loading && !current.isEmpty()
        && current.adjusted(QUrl::RemoveFragment) == url.adjusted(QUrl::RemoveFragment)
        && current.fragment() != url.fragment() && url.hasFragment();
    m_page->load(url);
    if (sameDocument) {
        // A jump to another anchor of the page shown is no load for the engine; it is
        // reported as a load that started and completed, so nobody waits for it.
        static_cast<BrowserPage*>(m_page)->setLeaving(false);
        QTimer::singleShot(0, this, [this] {
            if (m_loading)
                return;
            emit m_handle->BeforeNavigate2();
            emit m_handle->DocumentComplete();
        });
        return;
    }
    // Busy from the request on, as the window's users expect, not only once the
    // engine reports the start.
    m_loading = true;
}

void WebBrowserWindow::fileInsteadOfPage(const QString& url)
{
    // The page shown stays; so does its address.
    m_address->setText(m_page->url().toDisplayString());
    emit m_handle->FileDownload(url);
}

// A javascript: entry would run in the page shown, with the site's cookies and storage.
// It runs instead in a new blank page of a profile of its own, whose document belongs to
// no site; the window shows that page until the next address. The load of the blank page
// is reported as the entry's load.
void WebBrowserWindow::runDetached(const QUrl& script)
{
    showBrowserPage();
    if (m_loading)
        m_page->triggerAction(QWebEnginePage::Stop);
    auto* page = new BrowserPage(detachedProfile(), m_view);
    m_detached = page;
    m_address->setText(script.toDisplayString());
    m_loading = true;
    updateLoadState();
    emit m_handle->BeforeNavigate2();
    connect(page, &QWebEnginePage::loadFinished, this, [this, page, script](bool) {
        if (m_detached != page || !m_loading)
            return;
        page->load(script);
        m_loading = false;
        updateLoadState();
        emit m_handle->ProgressChange(100, 100);
        emit m_handle->DocumentComplete();
    });
    m_view->setPage(page);
    page->load(QUrl(QStringLiteral("about:blank")));
}

void WebBrowserWindow::showBrowserPage()
{
    if (!m_detached)
        return;
    QWebEnginePage* detached = m_detached;
    m_detached = nullptr;
    m_view->setPage(m_page);
    detached->deleteLater();
    m_address->setText(m_page->url().toDisplayString());
    updateLoadState();
}

void WebBrowserWindow::stopLoading()
{
    m_page->triggerAction(QWebEnginePage::Stop);
}

// Only web addresses go to the user's browser: a local file shown here is not handed
// to whatever program the desktop associates with it.
void WebBrowserWindow::openInSystemBrowser()
{
    const QUrl url = m_page->url();
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")
        || scheme == QLatin1String("ftp"))
        QDesktopServices::openUrl(url);
}

void WebBrowserWindow::closeEvent(QCloseEvent* event)
{
    if (!m_quitReported) {
        m_quitReported = true;
        stopLoading();
        m_loading = false;
        emit m_handle->OnQuit();
    }
    QMainWindow::closeEvent(event);
}
