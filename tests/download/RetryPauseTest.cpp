#include <gtest/gtest.h>

#include "download/ITransferService.h"
#include "download/RetryPause.h"

namespace
{

struct PauseRow {
    const char* what;
    long code;
    int retryAfter;
    bool localError;
    int retry;
    qint64 ms;
    bool pausesHost;
};

} // namespace

// Retry-After wins and is cut to the longest allowed; without it the pause doubles with
// each try; only the server's busy answers and a Retry-After hold the whole host back.
TEST(RetryPauseTest, PauseAndHostHoldFollowTheServersAnswer)
{
    const PauseRow rows[] = {
        { "first try, no Retry-After", 500, -1, false, 1, 1000, false },
        { "third try doubles twice", 500, -1, false, 3, 4000, false },
        { "Too Many Requests", 429, -1, false, 2, 2000, true },
        { "Service Unavailable", 503, -1, false, 1, 1000, true },
        { "Retry-After given", 500, 7, false, 4, 7000, true },
        { "Retry-After zero", 502, 0, false, 2, 0, true },
        { "Retry-After over the cap", 429, 9999, false, 1, 300000, true },
        { "a local failure", 503, -1, true, 1, 1000, false },
    };
    for (const PauseRow& row : rows) {
        TransferEnd end;
        end.errorCode = row.code;
        end.retryAfterSeconds = row.retryAfter;
        end.localError = row.localError;
        end.transient = true;
        const RetryPause pause = RetryPause::after(end, row.retry, 1000, 300);
        EXPECT_EQ(pause.ms, row.ms) << row.what;
        EXPECT_EQ(pause.pausesHost, row.pausesHost) << row.what;
    }
}
