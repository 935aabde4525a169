#pragma once

#include <memory>

class IRegistryStore;
class IUserPrompt;
class QObject;

// The settings notices shown once the main window is up: a notice not seen yet (a
// reset of a damaged file, by this or another process), and from then on the first
// settings write that cannot be saved, told after that write has returned, never
// inside it.
class StartupNotices final
{
public:
    StartupNotices() = delete;

    // context: the window the notices belong to; none is shown once it is gone.
    static void show(
        const std::shared_ptr<IRegistryStore>& store, IUserPrompt& prompt, QObject* context);
};
