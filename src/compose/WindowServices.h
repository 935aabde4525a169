#pragma once

#include <memory>

#include "compose/Services.h"

// The main window's services over the settings store: the transfer module loaded with
// the first transfer and the engine module with the first page, so the window opens
// without either; the typed URLs kept in the store and a link receiver on the user's
// socket (not listening yet).
Services windowServices(std::shared_ptr<IRegistryStore> store);
