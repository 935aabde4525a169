// Entry point of the transfer module (libcurl).
#include <QtGlobal>

#include "platform/ITransferModule.h"
#include "platform/curl/CurlAria2Rpc.h"
#include "platform/curl/CurlContentTypeFetcher.h"
#include "platform/curl/CurlRedirectResolver.h"
#include "platform/curl/CurlSetup.h"
#include "platform/curl/CurlTransferService.h"

namespace
{

class CurlTransferModule final : public ITransferModule
{
public:
    std::unique_ptr<IContentTypeFetcher> createContentTypeFetcher() override
    {
        return std::make_unique<CurlContentTypeFetcher>();
    }
    std::unique_ptr<ITransferService> createTransferService() override
    {
        return std::make_unique<CurlTransferService>();
    }
    std::unique_ptr<IAria2Rpc> createAria2Rpc(const QString& url) override
    {
        return std::make_unique<CurlAria2Rpc>(url);
    }
    std::unique_ptr<IRedirectResolver> createRedirectResolver() override
    {
        return std::make_unique<CurlRedirectResolver>();
    }
    void setCertificateTrust(const CertificateTrust& trust) override { CurlSetup::setTrust(trust); }
};

} // namespace

extern "C" Q_DECL_EXPORT ITransferModule* quillmarch_transfer_module()
{
    static CurlTransferModule module;
    return &module;
}
