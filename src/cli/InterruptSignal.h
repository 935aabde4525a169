#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

// Ctrl-C and SIGTERM, delivered through the event loop: the handler runs there, so the
// work can stop in order (a job leaves its partial file and record) before the process
// ends.
class InterruptSignal final
{
public:
    InterruptSignal() = delete;

    // Calls onInterrupt when Ctrl-C or SIGTERM arrives; the notifier keeps watching
    // while it lives. Null when the signal pipe could not be made.
    static std::unique_ptr<QSocketNotifier> watch(std::function<void()> onInterrupt);
};
