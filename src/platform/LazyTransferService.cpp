#include "platform/LazyTransferService.h"

#include <QMetaObject>

#include "platform/ITransferModule.h"

LazyTransferService::LazyTransferService(ModuleSource source, QObject* parent)
    : ITransferService(parent)
    , m_source(std::move(source))
{
}

LazyTransferService::~LazyTransferService() = default;

bool LazyTransferService::load()
{
    if (m_service)
        return true;
    const Result<ITransferModule*> module = m_source();
    if (!module) {
        m_loadError = module.message();
        return false;
    }
    m_service = module.value()->createTransferService();
    connect(m_service.get(), &ITransferService::headersReceived, this,
        &ITransferService::headersReceived);
    connect(m_service.get(), &ITransferService::progressed, this, &ITransferService::progressed);
    connect(m_service.get(), &ITransferService::finished, this, &ITransferService::finished);
    return true;
}

quint64 LazyTransferService::start(const TransferRequest& request)
{
    if (load())
        return m_service->start(request);
    // Ids no real transfer uses, counting down from the top.
    const quint64 id = ~quint64 { 0 } - m_failedIds++;
    TransferEnd end;
    end.errorText = m_loadError;
    end.localError = true; // nothing was sent: the program itself is missing a part
    QMetaObject::invokeMethod(
        this, [this, id, end] { emit finished(id, end); }, Qt::QueuedConnection);
    return id;
}

void LazyTransferService::cancel(quint64 id)
{
    if (m_service)
        m_service->cancel(id);
}

qint64 LazyTransferService::bytesInFile(quint64 id) const
{
    return m_service ? m_service->bytesInFile(id) : 0;
}
