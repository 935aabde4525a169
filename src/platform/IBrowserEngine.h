#pragma once

#include <QList>
#include <QNetworkCookie>
#include <memory>

#include "builders/IHarvestBrowser.h"
#include "builders/IShellWindows.h"
#include "core/CertificateTrust.h"
#include "viewer/IBrowserWindows.h"

// The browser engine as the rest of the program sees it: hidden harvest browsers, the
// program's browser windows and the registry of those that are open. It lives in a module that is
// loaded the first time a page is needed (BrowserEngineLoader), so the program starts
// without the engine's libraries.
class IBrowserEngine
{
public:
    virtual ~IBrowserEngine() = default;
    // A harvest browser over the browser windows' profile (their cookies and storage),
    // for the process that owns the windows.
    virtual std::unique_ptr<IHarvestBrowser> createHarvestBrowser() = 0;
    // A harvest browser over a memory-only profile, for a process running beside a
    // window (the command line). The first call's cookies are put into that profile and
    // sent by every page of it from then on.
    virtual std::unique_ptr<IHarvestBrowser> createDetachedHarvestBrowser(
        const QList<QNetworkCookie>& cookies)
        = 0;
    virtual IShellWindows& shellWindows() = 0;
    virtual IBrowserWindows& browserWindows() = 0;
    // The certificates the harvest pages made afterwards accept.
    virtual void setCertificateTrust(const CertificateTrust& trust) = 0;
};

// Name of the function the engine module exports: IBrowserEngine* (*)().
inline constexpr const char* kBrowserEngineEntryPoint = "quillmarch_browser_engine";
