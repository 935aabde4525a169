#pragma once

#include "builders/IContentTypeFetcher.h"

// A content-type check whose answer was fetched beforehand (asynchronously, so several
// pages can be checked at once without nested waits): the URL builder asks and gets
// that answer at once.
class PrefetchedContentType final : public IContentTypeFetcher
{
public:
    explicit PrefetchedContentType(Result<QString> contentType)
        : m_contentType(std::move(contentType))
    {
    }

    Result<QString> fetchContentType(const QString&) override { return m_contentType; }
    void cancel() override { }

private:
    Result<QString> m_contentType;
};
