#pragma once

#include <cstdint>
#include <curl/curl.h>
#include <string>
#include <type_traits>

#include "core/CertificateTrust.h"

static_assert(std::is_same_v<curl_off_t, std::int64_t>);

// The libcurl options every request of the program sets: the address, redirects, the
// schemes allowed, the connect timeout, the user agent, the certificates accepted
// (setTrust) and the three callbacks, all
// three given the same data pointer. A request adds what is its own afterwards.
struct CurlSetup {
    std::string url; // already encoded (RequestUrl)
    long maxRedirects = 0; // 0: none followed
    long connectTimeoutSeconds = 0;
    std::string userAgent = ownUserAgent();
    curl_write_callback onHeader = nullptr;
    curl_write_callback onBody = nullptr;
    curl_xferinfo_callback onProgress = nullptr;
    void* data = nullptr;

    // "Quillmarch/VERSION", the agent of the program's own requests.
    static std::string ownUserAgent();
    // The certificates every request set up afterwards accepts (from any thread).
    static void setTrust(const CertificateTrust& trust);

    void applyTo(CURL* curl) const;
};
