#include "cli/TransferAccess.h"

#include <QFileInfo>
#include <cstdio>
#include <unistd.h>

#include "cli/ConsoleText.h"
#include "cli/PasswordPrompt.h"

namespace
{

// One trace line of a transfer, written from the transfer thread in one piece.
void writeTrace(const QByteArray& line)
{
    const QByteArray out = ConsoleText::kPrefix + line + '\n';
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stderr);
    std::fflush(stderr);
}

} // namespace

CertificateTrust TransferAccess::trust(const CliOptions& options)
{
    CertificateTrust trust { options.caFile, options.insecure };
    const QString systemFile = qEnvironmentVariable("SSL_CERT_FILE");
    if (trust.caFile.isEmpty() && QFileInfo(systemFile).isFile())
        trust.caFile = systemFile;
    return trust;
}

void TransferAccess::warnIfInsecure(const CliOptions& options)
{
    if (options.insecure)
        ConsoleText::printError(QStringLiteral("Warning: --insecure: server certificates are "
                                               "not checked; anyone between here and the "
                                               "server can read and change what is sent."));
}

bool TransferAccess::apply(const CliOptions& options, TransferRequest& request)
{
    if (options.verbose)
        request.trace = writeTrace;
    // ~/.netrc gives the sign-in of the hosts it names, as it does for wget.
    request.netrc = true;
    request.user = options.user;
    if (options.password) {
        request.password = *options.password;
    } else if (!options.user.isEmpty() && ::isatty(STDIN_FILENO) == 1) {
        const std::optional<QString> typed
            = askPassword(QStringLiteral("Password for %1: ").arg(options.user));
        if (!typed)
            return false;
        request.password = *typed;
    }
    return true;
}
