#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/ITransferModule.h"
#include "platform/LazyContentTypeFetcher.h"
#include "platform/LazyTransferService.h"
#include "platform/TransferModuleLoader.h"
#include "support/FetchContentType.h"
#include "support/LocalHttpServer.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

namespace
{

Result<ITransferModule*> missingModule()
{
    return Result<ITransferModule*>::failed(QStringLiteral("The transfer module was not found."));
}

struct Ends {
    QList<quint64> ids;
    QList<TransferEnd> ends;
    void connectTo(ITransferService& service)
    {
        QObject::connect(
            &service, &ITransferService::finished, [this](quint64 id, const TransferEnd& end) {
                ids.append(id);
                ends.append(end);
            });
    }
};

} // namespace

TEST(LazyTransfers, WithoutTheModuleEachTransferFailsAfterStartReturnsWithTheReason)
{
    LazyContentTypeFetcher fetcher(&missingModule);
    const Result<QString> type
        = fetchContentTypeNow(fetcher, QStringLiteral("http://127.0.0.1:1/"));
    EXPECT_FALSE(type.isOk());
    EXPECT_EQ(type.message(), QStringLiteral("The transfer module was not found."));
    fetcher.cancel();

    LazyTransferService service(&missingModule);
    Ends ends;
    ends.connectTo(service);
    const quint64 first = service.start({ QStringLiteral("http://127.0.0.1:1/a"), "/nowhere/a" });
    const quint64 second = service.start({ QStringLiteral("http://127.0.0.1:1/b"), "/nowhere/b" });
    EXPECT_NE(first, second);
    EXPECT_TRUE(ends.ids.isEmpty());
    ASSERT_TRUE(waitFor([&] { return ends.ids.size() == 2; }));
    EXPECT_EQ(ends.ids, (QList<quint64> { first, second }));
    EXPECT_EQ(ends.ends[0].kind, TransferEnd::Kind::Failed);
    EXPECT_TRUE(ends.ends[0].localError);
    EXPECT_EQ(ends.ends[0].errorText, QStringLiteral("The transfer module was not found."));
}

// The built module, loaded as the program loads it: its objects' signals reach the
// program's connections across the module boundary.
TEST(LazyTransfers, TheBuiltModuleChecksTypesAndFetchesFiles)
{
    LocalHttpServer site;
    site.page("/file.bin", "0123456789", "application/octet-stream");
    ASSERT_TRUE(site.start());
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    const Result<ITransferModule*> module = TransferModuleLoader::module();
    ASSERT_TRUE(module.isOk()) << module.message().toStdString();
    EXPECT_EQ(TransferModuleLoader::module().value(), module.value());

    LazyContentTypeFetcher fetcher(&TransferModuleLoader::module);
    EXPECT_EQ(fetchContentTypeNow(fetcher, site.url("/file.bin")).value(),
        QStringLiteral("application/octet-stream"));

    LazyTransferService service(&TransferModuleLoader::module);
    Ends ends;
    ends.connectTo(service);
    int headers = 0;
    QObject::connect(&service, &ITransferService::headersReceived,
        [&headers](quint64, const TransferHeaders& h) { headers += h.status == 200; });
    const QString path = dir.filePath(QStringLiteral("file.bin"));
    const quint64 id = service.start({ site.url("/file.bin"), path });
    ASSERT_TRUE(waitFor([&] { return !ends.ids.isEmpty(); }));
    EXPECT_EQ(ends.ids.first(), id);
    EXPECT_EQ(ends.ends.first().kind, TransferEnd::Kind::Complete);
    EXPECT_EQ(headers, 1);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("0123456789"));
}
