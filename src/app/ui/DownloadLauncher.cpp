#include "app/ui/DownloadLauncher.h"

#include "app/PreferencesStore.h"
#include "app/ui/Form1.h"
#include "app/ui/QtUserPrompt.h"
#include "core/Preferences.h"
#include "download/DownloadStart.h"
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
}

void DownloadLauncher::saveLinks(const QStringList& links)
{
    if (m_form4) {
        // An earlier job's window is still loaded (perhaps hidden by "Background"): it
        // is shown again, and a new job waits until it has been closed.
        m_form4->bringToFront();
        return;
    }
    const std::optional<DownloadBatch> batch
        = prepareDownload(links, m_prompt, lastUsedSaveFolder(m_regset));
    if (!batch)
        return;
    setLastUsedSaveFolder(m_regset, batch->chosen);

    m_window.leaveTopmostBand();
    m_window.setWindowEnabled(false);
    DownloadJobOptions options;
    options.folder = batch->folder;
    options.owaction = m_prefs.owaction;
    options.retries = downloadRetries(m_regset);
    options.atOnce = m_prefs.atOnce;
    options.perHost = m_prefs.perHost;
    options.limits.sharedRateLimit = m_prefs.rateLimit;
    // The job's questions and messages belong to its window; tests answer them instead.
    m_form4 = new Form4(
        batch->links, options, m_transfers, m_jobPrompt,
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
