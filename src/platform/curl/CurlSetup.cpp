#include "platform/curl/CurlSetup.h"

#include <QFile>
#include <mutex>

#include "core/Version.h"

namespace
{

std::mutex g_trustMutex;
std::string g_caFile; // empty: the system's authorities
bool g_insecure = false;

} // namespace

void CurlSetup::setTrust(const CertificateTrust& trust)
{
    const std::lock_guard lock(g_trustMutex);
    g_caFile = QFile::encodeName(trust.caFile).toStdString();
    g_insecure = trust.insecure;
}

std::string CurlSetup::ownUserAgent()
{
    return std::string("Quillmarch/") + kQuillmarchVersion;
}

void CurlSetup::applyTo(CURL* curl) const
{
    // libcurl copies every string option, so the setup need not outlive the request.
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, maxRedirects != 0 ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, maxRedirects);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https,ftp,ftps");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp,ftps");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, connectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent.c_str());
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, data);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, data);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, data);
    const std::lock_guard lock(g_trustMutex);
    if (!g_caFile.empty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, g_caFile.c_str());
    if (g_insecure) {
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    }
}
