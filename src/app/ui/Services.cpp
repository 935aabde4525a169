#include "app/ui/Services.h"

#include "builders/IContentTypeFetcher.h"
#include "builders/IShellWindows.h"
#include "platform/BrowserEngineLoader.h"
#include "platform/IBrowserEngine.h"
#include "platform/ITransferModule.h"
#include "platform/LazyContentTypeFetcher.h"
#include "platform/LazyTransferService.h"
#include "platform/LinkReceiver.h"
#include "platform/TransferModuleLoader.h"
#include "settings/CRegSettings.h"
#include "settings/IRegistryStore.h"
#include "winsupport/UrlHistory.h"

Services::Services() = default;
Services::~Services() = default;
Services::Services(Services&&) noexcept = default;
Services& Services::operator=(Services&&) noexcept = default;

Services Services::standard(std::shared_ptr<IRegistryStore> store)
{
    Services services;
    services.urlHistory = std::make_unique<UrlHistory>(CRegSettings::forQuillmarch(store));
    services.store = std::move(store);
    services.fetcher = std::make_unique<LazyContentTypeFetcher>(&TransferModuleLoader::module);
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
    services.linkReceiver = std::make_unique<LinkReceiver>();
    services.transfers = std::make_unique<LazyTransferService>(&TransferModuleLoader::module);
    services.aria2Rpc = [](const QString& url) -> std::unique_ptr<IAria2Rpc> {
        const Result<ITransferModule*> module = TransferModuleLoader::module();
        if (!module) {
            qWarning("%s", qPrintable(module.message()));
            return nullptr;
        }
        return module.value()->createAria2Rpc(url);
    };
    services.redirectResolver = []() -> std::unique_ptr<IRedirectResolver> {
        const Result<ITransferModule*> module = TransferModuleLoader::module();
        if (!module) {
            qWarning("%s", qPrintable(module.message()));
            return nullptr;
        }
        return module.value()->createRedirectResolver();
    };
    return services;
}
