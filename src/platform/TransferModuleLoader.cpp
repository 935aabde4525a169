#include "platform/TransferModuleLoader.h"

#include "platform/ITransferModule.h"
#include "platform/RuntimeModule.h"

Result<ITransferModule*> TransferModuleLoader::module()
{
    static ITransferModule* loaded = nullptr;
    if (loaded)
        return Result<ITransferModule*>::ok(loaded);
    const Result<ITransferModule*> module
        = RuntimeModule::object<ITransferModule>(QStringLiteral("quillmarch-transfers.so"),
            kTransferModuleEntryPoint, QStringLiteral("The transfer module"));
    if (module)
        loaded = module.value();
    return module;
}
