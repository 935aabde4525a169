#pragma once

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
    virtual std::unique_ptr<IHarvestBrowser> createHarvestBrowser() = 0;
    virtual IShellWindows& shellWindows() = 0;
    virtual IBrowserWindows& browserWindows() = 0;
    // The certificates the harvest pages made afterwards accept.
    virtual void setCertificateTrust(const CertificateTrust& trust) = 0;
};

// Name of the function the engine module exports: IBrowserEngine* (*)().
inline constexpr const char* kBrowserEngineEntryPoint = "quillmarch_browser_engine";
