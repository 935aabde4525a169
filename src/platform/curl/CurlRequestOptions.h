#pragma once

#include <curl/curl.h>

#include "download/ITransferService.h"

// The options a transfer's request adds from its TransferRequest beyond those every
// request sets: the sign-in (on the link's own origin only, ~/.netrc for each host),
// If-Modified-Since, and the trace of every head sent and received.
namespace CurlRequestOptions
{
// request must outlive the handle's use: the trace is called through it.
void apply(CURL* curl, const TransferRequest& request, bool ownOrigin);
// The request ended without a body because the server's file is not newer than
// ifModifiedSince (a 304, or a Last-Modified no later).
bool conditionUnmet(CURL* curl);
} // namespace CurlRequestOptions
