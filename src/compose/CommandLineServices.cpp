#include "compose/CommandLineServices.h"

#include <utility>

#include "platform/BrowserEngineLoader.h"
#include "platform/IBrowserEngine.h"
#include "platform/ITransferModule.h"
#include "platform/staticpage/StaticFirstHarvestBrowser.h"

// The transfer module's entry point (platform/curl/TransferModule.cpp), linked into the
// command-line tool. The tool links the transfers in rather than loading the module:
// every download and harvest needs them at once, so loading them later would save
// nothing, and the tool and the tests of its commands then run without the module file
// beside them. The window loads the same entry point from the module
// (TransferModuleLoader) and so never names it.
extern "C" ITransferModule* quillmarch_transfer_module();

Services commandLineServices(std::shared_ptr<IRegistryStore> store, const CertificateTrust& trust,
    const QList<QNetworkCookie>& sessionCookies, bool staticPages)
{
    quillmarch_transfer_module()->setCertificateTrust(trust);
    Services services = Services::fromModules(std::move(store),
        [] { return Result<ITransferModule*>::ok(quillmarch_transfer_module()); });
    // The tool may run beside a window, whose profile folder it leaves alone: its pages
    // load in memory, with the cookies it was given. The engine is loaded with the first
    // page that needs it: a page the parser reads never starts it.
    auto engineBrowser = [sessionCookies, trust]() -> std::unique_ptr<IHarvestBrowser> {
        const Result<IBrowserEngine*> engine = BrowserEngineLoader::engine();
        if (!engine) {
            // Said once: every later page would fail the same way.
            static bool told = false;
            if (!std::exchange(told, true))
                qCritical("Error: %s", qPrintable(engine.message()));
            return nullptr;
        }
        engine.value()->setCertificateTrust(trust);
        return engine.value()->createDetachedHarvestBrowser(sessionCookies);
    };
    // The parser's fetch sends no cookies, so a session loads every page in the engine.
    if (!staticPages || !sessionCookies.isEmpty()) {
        services.browserFactory = engineBrowser;
        return services;
    }
    services.browserFactory = [engineBrowser, trust]() -> std::unique_ptr<IHarvestBrowser> {
        return std::make_unique<StaticFirstHarvestBrowser>(engineBrowser,
            StaticFirstHarvestBrowser::engineUserAgent(), QString(), QList<QNetworkCookie>(),
            trust);
    };
    return services;
}
