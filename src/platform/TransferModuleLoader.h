#pragma once

#include "core/Result.h"

class ITransferModule;

// Loads the transfer module on first use and keeps it for the process's life.
class TransferModuleLoader final
{
public:
    TransferModuleLoader() = delete;

    // The module, loading it when needed; failed with a clear message when it is
    // missing or unusable.
    static Result<ITransferModule*> module();
};
