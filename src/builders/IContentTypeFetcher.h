#pragma once

#include <QString>
#include <functional>

#include "core/Result.h"

class QObject;

// Fetches the "Content-Type" header of the final response for a URL without waiting:
// done receives ok with the header's text (empty when the response had none) or failed
// with the reason, on the interface thread. It may be called before fetchContentType
// returns. It is never called once context is gone or after cancel(); a new fetch
// cancels the one still running.
class IContentTypeFetcher
{
public:
    using Done = std::function<void(const Result<QString>&)>;

    virtual ~IContentTypeFetcher() = default;
    virtual void fetchContentType(const QString& url, QObject* context, Done done) = 0;
    // Ends a fetch in progress; its done is not called. No effect when none runs.
    virtual void cancel() = 0;
};
