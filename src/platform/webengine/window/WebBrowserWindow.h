#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QUrl>

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
// link leads to is not saved here but reported (FileDownload) for the download job.
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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolBar();
    void placeBesideMainWindow(const QRect& area);
    void updateLoadState();
    void openInSystemBrowser();

    QWebEngineView* m_view = nullptr;
    QWebEnginePage* m_page = nullptr;
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
};
