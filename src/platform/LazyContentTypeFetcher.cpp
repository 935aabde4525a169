#include "platform/LazyContentTypeFetcher.h"

#include "platform/ITransferModule.h"

LazyContentTypeFetcher::LazyContentTypeFetcher(ModuleSource source)
    : m_source(std::move(source))
{
}

LazyContentTypeFetcher::~LazyContentTypeFetcher() = default;

Result<QString> LazyContentTypeFetcher::fetchContentType(const QString& url)
{
    if (!m_fetcher) {
        const Result<ITransferModule*> module = m_source();
        if (!module)
            return Result<QString>::failed(module.message());
        m_fetcher = module.value()->createContentTypeFetcher();
    }
    return m_fetcher->fetchContentType(url);
}

void LazyContentTypeFetcher::cancel()
{
    if (m_fetcher)
        m_fetcher->cancel();
}
