#pragma once

#include <QtGlobal>

struct TransferEnd;

// The pause before a transiently failed link is tried again: the server's Retry-After,
// cut to the longest allowed, else a pause doubling with each try. A server that says
// "Too Many Requests" or "Service Unavailable", or names a time to come back, asks for
// its whole host to pause; a failure on this side never does.
struct RetryPause {
    qint64 ms = 0;
    bool pausesHost = false;

    // retry: the try that failed, from 1; baseMs the pause after the first.
    static RetryPause after(
        const TransferEnd& end, int retry, int baseMs, int maxRetryAfterSeconds);
};
