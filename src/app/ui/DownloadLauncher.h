#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

#include "listops/EntryContext.h"
#include "viewer/IBrowserWindows.h"

class CRegSettings;
class Form1;
class Form4;
class IAria2Rpc;
class IRedirectResolver;
struct Aria2JobOptions;
struct Aria2Link;
class IUserPrompt;
class ITransferService;
class UrlHistory;
struct Preferences;

// Starts the download of link targets from the main window: the folder question, then
// the download job in its "Saving Files" window (Form4), which holds the main window
// disabled until it unloads. One job at a time: while a job's window is loaded, it is
// shown instead. When the preferences name an aria2 daemon, the links go to it instead,
// followed in a Form4 of their own.
class DownloadLauncher final : public QObject
{
    Q_OBJECT
public:
    // jobPrompt: the prompt the job's questions go to, null meaning its window's own.
    DownloadLauncher(Form1& window, IUserPrompt& prompt, IUserPrompt* jobPrompt,
        const Preferences& prefs, CRegSettings& regset, ITransferService& transfers,
        UrlHistory& urlHistory);
    ~DownloadLauncher() override;

    using Aria2RpcFactory = std::function<std::unique_ptr<IAria2Rpc>(const QString& url)>;
    void setAria2Rpc(Aria2RpcFactory factory) { m_makeAria2Rpc = std::move(factory); }
    using ResolverFactory = std::function<std::unique_ptr<IRedirectResolver>()>;
    // Follows links' redirects before they go to the daemon with cookies.
    void setRedirectResolver(ResolverFactory factory) { m_makeResolver = std::move(factory); }

    // The entries with their context, as the list keeps them (the page is sent as
    // Referer).
    void saveLinks(const ListEntries& entries);
    // Where the browser windows' cookies and User-Agent come from.
    void setSession(std::function<BrowserSession()> session) { m_session = std::move(session); }
    // The job's window, while it is loaded.
    Form4* window() const { return m_form4; }

private:
    void windowUnloaded();
    void sendToAria2(const ListEntries& entries, const QString& folder);
    void openAria2Window(const QList<Aria2Link>& entries, const Aria2JobOptions& options);

    Form1& m_window;
    IUserPrompt& m_prompt;
    IUserPrompt* m_jobPrompt;
    const Preferences& m_prefs;
    CRegSettings& m_regset;
    ITransferService& m_transfers;
    UrlHistory& m_urlHistory;
    QPointer<Form4> m_form4;
    Aria2RpcFactory m_makeAria2Rpc;
    // The client of the daemon in the preferences; it outlives the window so that the
    // removal of cancelled links reaches the daemon.
    std::unique_ptr<IAria2Rpc> m_aria2Rpc;
    QString m_aria2RpcUrl;
    QPointer<Form4> m_aria2Window;
    ResolverFactory m_makeResolver;
    std::unique_ptr<IRedirectResolver> m_resolver; // while the links are being resolved
    std::function<BrowserSession()> m_session;
};
