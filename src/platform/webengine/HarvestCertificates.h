#pragma once

#include <QList>
#include <QSslCertificate>
#include <QString>

#include "core/CertificateTrust.h"

class QWebEngineCertificateError;

// The certificate errors of harvest pages, decided by the process's trust as the
// transfers decide theirs: accepted when insecure, or when the chain verifies against
// the authorities of the trust's CA file; rejected otherwise, so the load fails as any
// certificate error makes it.
class HarvestCertificates final
{
public:
    static void setTrust(const CertificateTrust& trust);
    // Makes the trust's CA file's authorities the ones Qt verifies against (its own
    // requests too), once; read when first needed, as parsing a bundle takes a while.
    static void loadAuthorities();
    static void decide(const QWebEngineCertificateError& error);
    // Whether a chain (leaf first) that the browser refused is accepted for host.
    static bool accepts(const QList<QSslCertificate>& chain, const QString& host);
};
