#include "cli/InterruptSignal.h"

#include <csignal>
#include <unistd.h>

namespace
{

int g_signalPipe[2] = { -1, -1 };

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

std::unique_ptr<QSocketNotifier> InterruptSignal::watch(std::function<void()> onInterrupt)
{
    if (g_signalPipe[0] < 0 && ::pipe(g_signalPipe) != 0)
        return nullptr;
    auto notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(
        notifier.get(), &QSocketNotifier::activated, [onInterrupt = std::move(onInterrupt)] {
            char byte;
            [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &byte, 1);
            onInterrupt();
        });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    return notifier;
}
