#pragma once

#include <QString>

#include "core/Result.h"

// Fetches the "Content-Type" header of the final response for a URL. Blocking from the
// caller's view, while the interface keeps repainting and handling keys. Ok with the
// header's text (empty when the response had none), failed with the reason, or
// cancelled.
class IContentTypeFetcher
{
public:
    virtual ~IContentTypeFetcher() = default;
    virtual Result<QString> fetchContentType(const QString& url) = 0;
    // Ends a fetch in progress; it returns cancelled. No effect when none runs.
    virtual void cancel() = 0;
};
