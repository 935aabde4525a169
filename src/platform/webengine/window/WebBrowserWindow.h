#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QUrl>
#include <optional>

class BrowserWindowHandle;
class QAction;
class QLineEdit;
class QProgressBar;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

// The program's browser window: a page with an address field, back, forward,
// reload/stop, a load indicator and "Open in your web browser". Every window uses the
// program's one persistent profile, so cookies and logins survive restarts. Pages never
// show script dialogs; a page that asks for a new window loads in this one. A file a
// link leads to is not saved here but reported (FileDownload) for the download job. A
// javascript: address runs in a blank page of its own that belongs to no site.
//
// The window starts hidden, registers its page in the process's ShellWindowRegistry
// and deletes itself once closed. handle() is how the rest of the program drives it.
class WebBrowserWindow final : public QMainWindow
{
    Q_OBJECT
public:
    explicit WebBrowserWindow(QWidget* parent = nullptr);
    ~WebBrowserWindow() override;

    BrowserWindowHandle* handle() const { return m_handle; }
    QWebEnginePage* page() const { return m_page; }
    QLineEdit* addressField() const { return m_address; }
    bool loading() const { return m_loading; }

    void navigate(const QString& text);
    void stopLoading();
    // A link opened here turned out to be a file: handed on through FileDownload.
    void fileInsteadOfPage(const QString& url);
    // The address typed, as a URL: what the address field and list entries hold.
    static QUrl urlFromText(const QString& text);

    // The profile every browser window shares, stored under the user's data folder.
    static QWebEngineProfile* browserProfile();
    // The window whose page this is, or null.
    static WebBrowserWindow* forPage(QWebEnginePage* page);

    // Hiding remembers where the window is; showing it again puts it back there, as a
    // window manager places a window shown anew as it likes.
    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolBar();
    void placeBesideMainWindow(const QRect& area);
    void updateLoadState();
    void openInSystemBrowser();
    void runDetached(const QUrl& script);
    // Shows the browser page again after a javascript: entry's page.
    void showBrowserPage();

    QWebEngineView* m_view = nullptr;
    QWebEnginePage* m_page = nullptr;
    QWebEnginePage* m_detached = nullptr; // the page of the last javascript: entry, shown
    BrowserWindowHandle* m_handle = nullptr;
    QLineEdit* m_address = nullptr;
    QProgressBar* m_indicator = nullptr;
    QAction* m_back = nullptr;
    QAction* m_forward = nullptr;
    QAction* m_reloadStop = nullptr;
    QAction* m_openOutside = nullptr;
    bool m_loading = false;
    bool m_reportingProgress = false; // between the engine's load start and its end
    bool m_quitReported = false;
    std::optional<QPoint> m_placement; // where the page area was at the last hide
};
