#pragma once

#include <QObject>
#include <optional>

#include "builders/IContentTypeFetcher.h"
#include "support/WaitFor.h"

// Starts a content-type check and processes events until its answer arrives.
inline Result<QString> fetchContentTypeNow(IContentTypeFetcher& fetcher, const QString& url)
{
    QObject context;
    std::optional<Result<QString>> outcome;
    fetcher.fetchContentType(
        url, &context, [&outcome](const Result<QString>& answer) { outcome = answer; });
    if (!waitFor([&] { return outcome.has_value(); }))
        return Result<QString>::failed(QStringLiteral("no answer"));
    return *outcome;
}
