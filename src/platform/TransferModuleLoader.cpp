#include "platform/TransferModuleLoader.h"

#include "platform/ITransferModule.h"
#include "platform/RuntimeModule.h"

Result<ITransferModule*> TransferModuleLoader::module()
{
    static ITransferModule* loaded = nullptr;
    if (loaded)
        return Result<ITransferModule*>::ok(loaded);
    const Result<QFunctionPointer> entry
        = RuntimeModule::entryPoint(QStringLiteral("quillmarch-transfers.so"),
            kTransferModuleEntryPoint, QStringLiteral("The transfer module"));
    if (!entry)
        return Result<ITransferModule*>::failed(entry.message());
    using EntryPoint = ITransferModule* (*)();
    loaded = reinterpret_cast<EntryPoint>(entry.value())();
    return Result<ITransferModule*>::ok(loaded);
}
