#include "compose/WindowServices.h"

#include "platform/LinkReceiver.h"
#include "platform/TransferModuleLoader.h"
#include "settings/CRegSettings.h"
#include "winsupport/UrlHistory.h"

Services windowServices(std::shared_ptr<IRegistryStore> store)
{
    auto history = std::make_unique<UrlHistory>(CRegSettings::forQuillmarch(store));
    Services services = Services::fromModules(std::move(store), &TransferModuleLoader::module);
    services.urlHistory = std::move(history);
    services.linkReceiver = std::make_unique<LinkReceiver>();
    return services;
}
