#include "platform/LazyContentTypeFetcher.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "platform/ITransferModule.h"

LazyContentTypeFetcher::LazyContentTypeFetcher(ModuleSource source)
    : m_source(std::move(source))
{
}

LazyContentTypeFetcher::~LazyContentTypeFetcher()
{
    cancel();
}

void LazyContentTypeFetcher::fetchContentType(const QString& url, QObject* context, Done done)
{
    cancel();
    if (!m_fetcher) {
        const Result<ITransferModule*> module = m_source();
        if (!module) {
            // Reported from the event loop, as a fetch's outcome always is.
            auto withdrawn = std::make_shared<bool>(false);
            m_failureWithdrawn = withdrawn;
            const Result<QString> failure = Result<QString>::failed(module.message());
            QTimer::singleShot(0, context, [withdrawn, failure, done = std::move(done)] {
                if (!*withdrawn)
                    done(failure);
            });
            return;
        }
        m_fetcher = module.value()->createContentTypeFetcher();
    }
    m_fetcher->fetchContentType(url, context, std::move(done));
}

void LazyContentTypeFetcher::cancel()
{
    if (m_failureWithdrawn)
        *std::exchange(m_failureWithdrawn, nullptr) = true;
    if (m_fetcher)
        m_fetcher->cancel();
}
