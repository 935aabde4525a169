#pragma once

#include <QString>

// Fetches the "Content-Type" header of the final response for a URL. Blocking from the
// caller's view, while the interface keeps repainting and handling keys; an empty text
// when the fetch failed or was cancelled.
class IContentTypeFetcher
{
public:
    virtual ~IContentTypeFetcher() = default;
    virtual QString fetchContentType(const QString& url) = 0;
    // Ends a fetch in progress; it returns an empty text. No effect when none runs.
    virtual void cancel() = 0;
};
