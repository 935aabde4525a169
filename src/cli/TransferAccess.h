#pragma once

#include "cli/CliOptions.h"
#include "core/CertificateTrust.h"
#include "download/ITransferService.h"

// What the command line gives every request beside its headers: the certificates
// trusted (--ca-certificate, else $SSL_CERT_FILE) or none checked (--insecure), for
// harvest pages and transfers alike; and for a download the sign-in (--user with
// --password-file, a password asked on the terminal, or ~/.netrc) and the trace of
// --verbose on standard error.
namespace TransferAccess
{
CertificateTrust trust(const CliOptions& options);
// The warning of --insecure, on every run that gives it.
void warnIfInsecure(const CliOptions& options);
// Fills request; false when a password was asked on the terminal and none came.
bool apply(const CliOptions& options, TransferRequest& request);
} // namespace TransferAccess
