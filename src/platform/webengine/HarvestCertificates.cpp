#include "platform/webengine/HarvestCertificates.h"

#include <QSslConfiguration>
#include <QUrl>
#include <QWebEngineCertificateError>

namespace
{

CertificateTrust g_trust; // set before the first page, read on the interface thread
bool g_authoritiesLoaded = false;

} // namespace

void HarvestCertificates::setTrust(const CertificateTrust& trust)
{
    g_trust = trust;
    g_authoritiesLoaded = false;
}

void HarvestCertificates::loadAuthorities()
{
    if (g_authoritiesLoaded || g_trust.caFile.isEmpty())
        return;
    g_authoritiesLoaded = true;
    // QSslCertificate::verify() checks against the default configuration's authorities.
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setCaCertificates(QSslCertificate::fromPath(g_trust.caFile, QSsl::Pem));
    QSslConfiguration::setDefaultConfiguration(config);
}

bool HarvestCertificates::accepts(const QList<QSslCertificate>& chain, const QString& host)
{
    if (g_trust.insecure)
        return true;
    if (g_trust.caFile.isEmpty() || chain.isEmpty())
        return false;
    loadAuthorities();
    return QSslCertificate::verify(chain, host).isEmpty();
}

void HarvestCertificates::decide(const QWebEngineCertificateError& error)
{
    QWebEngineCertificateError answer = error;
    if (answer.isOverridable() && accepts(answer.certificateChain(), answer.url().host()))
        answer.acceptCertificate();
    else
        answer.rejectCertificate();
}
