#pragma once

#include <memory>

#include "builders/IContentTypeFetcher.h"
#include "core/CertificateTrust.h"
#include "download/IAria2Rpc.h"
#include "download/IRedirectResolver.h"
#include "download/ITransferService.h"

// The network transfers as the rest of the program sees them: the content-type check,
// the download service, the aria2 client and the redirect resolution, over libcurl, all
// on one thread of the module's. They live in a module loaded with the first
// transfer (TransferModuleLoader), so the program starts without libcurl and the TLS,
// Kerberos and LDAP libraries it brings.
class ITransferModule
{
public:
    virtual ~ITransferModule() = default;
    virtual std::unique_ptr<IContentTypeFetcher> createContentTypeFetcher() = 0;
    virtual std::unique_ptr<ITransferService> createTransferService() = 0;
    // A JSON-RPC client for the aria2 daemon at url.
    virtual std::unique_ptr<IAria2Rpc> createAria2Rpc(const QString& url) = 0;
    // Where links end up after their redirects, found before an aria2 hand-off.
    virtual std::unique_ptr<IRedirectResolver> createRedirectResolver() = 0;
    // The certificates every later request of the process accepts.
    virtual void setCertificateTrust(const CertificateTrust& trust) = 0;
};

// Name of the function the transfer module exports: ITransferModule* (*)().
inline constexpr const char* kTransferModuleEntryPoint = "quillmarch_transfer_module";
