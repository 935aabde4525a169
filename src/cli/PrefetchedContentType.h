#pragma once

#include "builders/IContentTypeFetcher.h"

// A content-type check whose answer was fetched beforehand (so several pages can be
// checked at once): the URL builder asks and gets that answer at once.
class PrefetchedContentType final : public IContentTypeFetcher
{
public:
    explicit PrefetchedContentType(Result<QString> contentType)
        : m_contentType(std::move(contentType))
    {
    }

    void fetchContentType(const QString&, QObject*, Done done) override { done(m_contentType); }
    void cancel() override { }

private:
    Result<QString> m_contentType;
};
