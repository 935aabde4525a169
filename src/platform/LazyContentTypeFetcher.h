#pragma once

#include <functional>
#include <memory>

#include "builders/IContentTypeFetcher.h"

class ITransferModule;

// The content-type check of the transfer module, loading the module with the first
// check. When it cannot be loaded, each check fails with the reason.
class LazyContentTypeFetcher final : public IContentTypeFetcher
{
public:
    using ModuleSource = std::function<Result<ITransferModule*>()>;

    explicit LazyContentTypeFetcher(ModuleSource source);
    ~LazyContentTypeFetcher() override;

    void fetchContentType(const QString& url, QObject* context, Done done) override;
    void cancel() override;

private:
    ModuleSource m_source;
    std::unique_ptr<IContentTypeFetcher> m_fetcher;
    // Set when the failure of a check without the module must no longer be reported.
    std::shared_ptr<bool> m_failureWithdrawn;
};
