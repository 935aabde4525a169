#include "compose/CommandLineServices.h"

#include "platform/BrowserEngineLoader.h"
#include "platform/IBrowserEngine.h"
#include "platform/ITransferModule.h"

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
    // load in memory, with the cookies it was given.
    services.browserFactory = [sessionCookies, staticPages]() -> std::unique_ptr<IHarvestBrowser> {
        const Result<IBrowserEngine*> engine = BrowserEngineLoader::engine();
        if (!engine) {
            qWarning("%s", qPrintable(engine.message()));
            return nullptr;
        }
        return engine.value()->createDetachedHarvestBrowser(sessionCookies, staticPages);
    };
    return services;
}
