#include "download/RetryPause.h"

#include <algorithm>

#include "download/ITransferService.h"

RetryPause RetryPause::after(
    const TransferEnd& end, int retry, int baseMs, int maxRetryAfterSeconds)
{
    RetryPause pause;
    pause.ms = end.retryAfterSeconds >= 0
        ? qint64(std::min(end.retryAfterSeconds, maxRetryAfterSeconds)) * 1000
        : qint64(baseMs) << std::clamp(retry - 1, 0, 30);
    pause.pausesHost = !end.localError
        && (end.retryAfterSeconds >= 0 || end.errorCode == 429 || end.errorCode == 503);
    return pause;
}
