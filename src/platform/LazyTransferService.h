#pragma once

#include <functional>
#include <memory>

#include "core/Result.h"
#include "download/ITransferService.h"

class ITransferModule;

// The transfer service of the transfer module, loading the module with the first
// transfer. When it cannot be loaded, each transfer finishes as failed with the reason
// (after start() returns, as a real failure would).
class LazyTransferService final : public ITransferService
{
    Q_OBJECT
public:
    using ModuleSource = std::function<Result<ITransferModule*>()>;

    explicit LazyTransferService(ModuleSource source, QObject* parent = nullptr);
    ~LazyTransferService() override;

    quint64 start(const TransferRequest& request) override;
    void cancel(quint64 id) override;
    qint64 bytesInFile(quint64 id) const override;

private:
    bool load();

    ModuleSource m_source;
    std::unique_ptr<ITransferService> m_service;
    QString m_loadError;
    quint64 m_failedIds = 0;
};
