#include "cli/StandardOutput.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pthread.h>

#include "cli/ConsoleText.h"

namespace
{

int g_error = 0; // errno of the first failed write, 0 while none failed

} // namespace

bool StandardOutput::write(const QByteArray& text)
{
    if (g_error != 0)
        return false;
    errno = 0;
    const size_t written
        = std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
    if (written == static_cast<size_t>(text.size()) && std::fflush(stdout) == 0)
        return true;
    g_error = errno != 0 ? errno : EIO;
    return false;
}

bool StandardOutput::failed()
{
    return g_error != 0;
}

void StandardOutput::endForFailure()
{
    if (g_error == EPIPE) {
        // The engine and libcurl ignore SIGPIPE; the default action ends the process as
        // the reader expects (status 141 in a shell).
        std::signal(SIGPIPE, SIG_DFL);
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_UNBLOCK, &pipe, nullptr);
        std::raise(SIGPIPE);
        std::_Exit(128 + SIGPIPE);
    }
    ConsoleText::printError(QStringLiteral("Error: cannot write to standard output: %1")
                                .arg(QString::fromLocal8Bit(std::strerror(g_error))));
    std::fflush(stderr);
    std::_Exit(kWriteFailedStatus);
}
