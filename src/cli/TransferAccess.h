#pragma once

#include "cli/CliOptions.h"
#include "download/ITransferService.h"

// What the command line gives every request of a download beside its headers: the
// certificates trusted (--ca-certificate, else $SSL_CERT_FILE) or none checked
// (--insecure), the sign-in (--user with --password-file, a password asked on the
// terminal, or ~/.netrc) and the trace of --verbose on standard error.
namespace TransferAccess
{
// Fills request; false when a password was asked on the terminal and none came.
bool apply(const CliOptions& options, TransferRequest& request);
} // namespace TransferAccess
