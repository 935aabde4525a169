#include "compose/Services.h"

#include "builders/IContentTypeFetcher.h"
#include "builders/IShellWindows.h"
#include "crawl/SiteCrawl.h"
#include "platform/BrowserEngineLoader.h"
#include "platform/IBrowserEngine.h"
#include "platform/ITransferModule.h"
#include "platform/LazyContentTypeFetcher.h"
#include "platform/LazyTransferService.h"
#include "platform/LinkReceiver.h"
#include "settings/IRegistryStore.h"
#include "winsupport/UrlHistory.h"

Services::Services() = default;
Services::~Services() = default;
Services::Services(Services&&) noexcept = default;
Services& Services::operator=(Services&&) noexcept = default;

namespace
{

// The module from source, or null with the reason logged.
ITransferModule* moduleOrWarn(const Services::TransferModuleSource& source)
{
    const Result<ITransferModule*> module = source();
    if (!module) {
        qWarning("%s", qPrintable(module.message()));
        return nullptr;
    }
    return module.value();
}

} // namespace

Services Services::fromModules(
    std::shared_ptr<IRegistryStore> store, TransferModuleSource transfers)
{
    Services services;
    services.store = std::move(store);
    services.fetcher = std::make_unique<LazyContentTypeFetcher>(transfers);
    services.newFetcher = [transfers]() -> std::unique_ptr<IContentTypeFetcher> {
        return std::make_unique<LazyContentTypeFetcher>(transfers);
    };
    services.shellWindows = std::make_unique<LazyShellWindows>();
    services.browserFactory = []() -> std::unique_ptr<IHarvestBrowser> {
        // The engine's libraries load with the first page the program needs.
        const Result<IBrowserEngine*> engine = BrowserEngineLoader::engine();
        if (!engine) {
            qWarning("%s", qPrintable(engine.message()));
            return nullptr;
        }
        return engine.value()->createHarvestBrowser();
    };
    services.transfers = std::make_unique<LazyTransferService>(transfers);
    services.aria2Rpc = [transfers](const QString& url) -> std::unique_ptr<IAria2Rpc> {
        ITransferModule* module = moduleOrWarn(transfers);
        return module ? module->createAria2Rpc(url) : nullptr;
    };
    services.redirectResolver = [transfers]() -> std::unique_ptr<IRedirectResolver> {
        ITransferModule* module = moduleOrWarn(transfers);
        return module ? module->createRedirectResolver() : nullptr;
    };
    // The transfer service outlives every crawl: it belongs to the same Services.
    services.siteCrawl
        = [browsers = services.browserFactory, robotsFetch = services.transfers.get()](
              const Preferences& prefs, const FilterState& filters) {
              return std::make_unique<SiteCrawl>(prefs, filters, browsers, robotsFetch);
          };
    return services;
}
