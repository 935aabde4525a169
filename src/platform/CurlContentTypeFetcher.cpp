#include "platform/CurlContentTypeFetcher.h"

CurlContentTypeFetcher::CurlContentTypeFetcher() : CurlContentTypeFetcher(Options{}) {}
CurlContentTypeFetcher::CurlContentTypeFetcher(const Options& options)
    : m_options(options), m_cancel(std::make_shared<std::atomic<bool>>(false))
{
}
CurlContentTypeFetcher::~CurlContentTypeFetcher() = default;
QString CurlContentTypeFetcher::fetchContentType(const QString&) { return {}; }
void CurlContentTypeFetcher::cancel() { m_cancel->store(true); }
