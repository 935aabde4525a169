#include "app/ui/DownloadLauncher.h"

#include "app/PreferencesStore.h"
#include "app/ui/Form1.h"
#include "app/ui/QtUserPrompt.h"
#include "core/Preferences.h"
#include "download/DownloadStart.h"
#include "download/IRedirectResolver.h"
#include "download/NetscapeCookies.h"
#include "download/ui/Form4.h"

DownloadLauncher::DownloadLauncher(Form1& window, IUserPrompt& prompt, IUserPrompt* jobPrompt,
    const Preferences& prefs, CRegSettings& regset, ITransferService& transfers,
    UrlHistory& urlHistory)
    : m_window(window)
    , m_prompt(prompt)
    , m_jobPrompt(jobPrompt)
    , m_prefs(prefs)
    , m_regset(regset)
    , m_transfers(transfers)
    , m_urlHistory(urlHistory)
{
}

DownloadLauncher::~DownloadLauncher()
{
    // The job uses the transfer service, which goes with the main window's members.
    delete m_form4;
    m_resolver.reset(); // no outcome arrives any more
    delete m_aria2Window;
}

void DownloadLauncher::saveLinks(const ListEntries& entries)
{
    if (m_form4) {
        // An earlier job's window is still loaded (perhaps hidden by "Background"): it
        // is shown again, and a new job waits until it has been closed.
        m_form4->bringToFront();
        return;
    }
    if (m_resolver)
        return; // the links of the last request are still being resolved
    if (m_aria2Window) {
        m_aria2Window->raise();
        m_aria2Window->activateWindow();
        return;
    }
    const std::optional<DownloadBatch> batch
        = prepareDownload(entries, m_prompt, lastUsedSaveFolder(m_regset));
    if (!batch)
        return;
    setLastUsedSaveFolder(m_regset, batch->chosen);

    m_window.leaveTopmostBand();
    m_window.setWindowEnabled(false);
    if (!m_prefs.aria2Url.isEmpty() && m_makeAria2Rpc) {
        sendToAria2(batch->entries, batch->folder);
        return;
    }
    DownloadJobOptions options
        = DownloadJobOptions::fromPreferences(m_prefs, m_regset, batch->folder);
    // What a browser window would send: its cookies and its User-Agent.
    if (m_session) {
        const BrowserSession session = m_session();
        options.limits.cookies = session.cookies;
        options.limits.userAgent = session.userAgent;
    }
    // The job's questions and messages belong to its window; tests answer them instead.
    m_form4 = new Form4(
        numberedItems(batch->entries), options, m_transfers, m_jobPrompt,
        [this](QWidget* window) {
            return std::make_unique<QtUserPrompt>(window, m_urlHistory, nullptr, nullptr);
        },
        &m_window);
    Form1* main = &m_window;
    connect(m_form4, &Form4::mainCaptionChanged, main, &QWidget::setWindowTitle);
    connect(m_form4, &Form4::backgroundRequested, main, [main] {
        main->setWindowEnabled(true);
        main->showMinimized();
    });
    connect(m_form4, &Form4::fileExistsOpening, main, [main] {
        main->setWindowEnabled(true);
        if (main->isMinimized())
            main->showNormal();
    });
    connect(m_form4, &Form4::fileExistsClosed, main, [main] { main->setWindowEnabled(false); });
    connect(m_form4, &Form4::unloading, this, &DownloadLauncher::windowUnloaded);
    connect(main, &Form1::restoredFromMinimized, m_form4, &Form4::bringToFront);
    m_form4->show();
}

void DownloadLauncher::windowUnloaded()
{
    m_window.setWindowTitle(QStringLiteral("Quillmarch"));
    m_window.restoreTopmostBand();
    m_window.setWindowEnabled(true);
    if (m_window.isMinimized())
        m_window.showNormal();
    m_window.activateWindow();
}

void DownloadLauncher::sendToAria2(const ListEntries& links, const QString& folder)
{
    if (!m_aria2Rpc || m_aria2RpcUrl != m_prefs.aria2Url) {
        m_aria2Rpc = m_makeAria2Rpc(m_prefs.aria2Url);
        m_aria2RpcUrl = m_prefs.aria2Url;
    }
    if (!m_aria2Rpc) {
        windowUnloaded();
        return;
    }
    // As the browser windows would ask: the entry's page as referrer, their cookies for
    // each link's address and their User-Agent.
    const BrowserSession session = m_session ? m_session() : BrowserSession {};
    QList<Aria2Link> entries;
    for (qsizetype i = 0; i < links.size(); ++i) {
        Aria2Link entry { links.at(i).url, Aria2Job::referrerFor({}, links.at(i).context.page),
            NetscapeCookies::headerFor(session.cookies, links.at(i).url) };
        entry.context = links.at(i).context;
        entries.append(entry);
    }
    Aria2JobOptions options { m_prefs.aria2Url, m_prefs.aria2Secret, folder };
    options.nameMask = m_prefs.nameMask;
    options.portableNames = m_prefs.portableNames;
    if (!session.userAgent.isEmpty())
        options.headers.append(QStringLiteral("User-Agent: ") + session.userAgent);
    // The daemon follows redirects itself and would carry a link's cookies to every host
    // on the way: with cookies at stake, the redirects are followed here first and the
    // daemon gets the last address with that host's cookies.
    if (!session.cookies.isEmpty() && !entries.isEmpty() && m_makeResolver)
        m_resolver = m_makeResolver();
    if (!m_resolver) {
        openAria2Window(entries, options);
        return;
    }
    auto pending = std::make_shared<qsizetype>(entries.size());
    auto resolved = std::make_shared<QList<Aria2Link>>(entries);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const Aria2Link& entry = entries.at(i);
        const RedirectQuery query { entry.url, session.cookies, {}, session.userAgent,
            entry.referer };
        m_resolver->resolve(query, this,
            [this, i, pending, resolved, options, cookies = session.cookies](
                const RedirectOutcome& where) {
                Aria2Link& link = (*resolved)[i];
                if (where.url.isEmpty()) {
                    qWarning("%s: its redirects could not be followed (%s); handed to the "
                             "daemon without cookies.",
                        qPrintable(link.url), qPrintable(where.error));
                    link.cookie.clear();
                } else {
                    link.address = where.url;
                    link.cookie = NetscapeCookies::headerFor(cookies, where.url);
                }
                if (--*pending == 0) {
                    m_resolver.reset();
                    openAria2Window(*resolved, options);
                }
            });
    }
}

void DownloadLauncher::openAria2Window(
    const QList<Aria2Link>& entries, const Aria2JobOptions& options)
{
    m_aria2Window = new Form4(entries, options, *m_aria2Rpc, &m_window);
    connect(m_aria2Window, &Form4::mainCaptionChanged, &m_window, &QWidget::setWindowTitle);
    connect(m_aria2Window, &Form4::unloading, this, &DownloadLauncher::windowUnloaded);
    m_aria2Window->show();
}
