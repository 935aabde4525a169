#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

#include "listops/EntryContext.h"
#include "viewer/IBrowserWindows.h"

class CRegSettings;
class Form1;
class Form4;
class IUserPrompt;
class ITransferService;
class UrlHistory;
struct Preferences;

// Starts the download of link targets from the main window: the folder question, then
// the download job in its "Saving Files" window (Form4), which holds the main window
// disabled until it unloads. One job at a time: while a job's window is loaded, it is
// shown instead.
class DownloadLauncher final : public QObject
{
    Q_OBJECT
public:
    // jobPrompt: the prompt the job's questions go to, null meaning its window's own.
    DownloadLauncher(Form1& window, IUserPrompt& prompt, IUserPrompt* jobPrompt,
        const Preferences& prefs, CRegSettings& regset, ITransferService& transfers,
        UrlHistory& urlHistory);
    ~DownloadLauncher() override;

    // contexts: per link, as the list keeps them (the page is sent as Referer).
    void saveLinks(const QStringList& links, const QList<EntryContext>& contexts = {});
    // Where the browser windows' cookies and User-Agent come from.
    void setSession(std::function<BrowserSession()> session) { m_session = std::move(session); }
    // The job's window, while it is loaded.
    Form4* window() const { return m_form4; }

private:
    void windowUnloaded();

    Form1& m_window;
    IUserPrompt& m_prompt;
    IUserPrompt* m_jobPrompt;
    const Preferences& m_prefs;
    CRegSettings& m_regset;
    ITransferService& m_transfers;
    UrlHistory& m_urlHistory;
    QPointer<Form4> m_form4;
    std::function<BrowserSession()> m_session;
};
