#include "platform/curl/CurlRequestOptions.h"

#include <string>

#include "platform/curl/HeaderText.h"
#include "platform/curl/TransferRules.h"

namespace
{

// Each line of the heads sent and received, and libcurl's notes (connections,
// redirects), masked, to the request's trace.
int onDebug(CURL*, curl_infotype type, char* data, size_t size, void* userdata)
{
    const auto* trace = static_cast<const std::function<void(const QByteArray&)>*>(userdata);
    const char* lead = type == CURLINFO_HEADER_OUT ? "> "
        : type == CURLINFO_HEADER_IN               ? "< "
        : type == CURLINFO_TEXT                    ? "* "
                                                   : nullptr;
    if (!lead)
        return 0;
    const std::string text(data, size);
    size_t start = 0;
    while (start < text.size()) {
        size_t stop = text.find('\n', start);
        if (stop == std::string::npos)
            stop = text.size();
        const std::string line = HeaderText::trimmed(text.substr(start, stop - start));
        if (!line.empty())
            (*trace)(QByteArray(lead)
                + QByteArray::fromStdString(TransferRules::maskedHeaderLine(line)));
        start = stop + 1;
    }
    return 0;
}

} // namespace

void CurlRequestOptions::apply(CURL* curl, const TransferRequest& r, bool ownOrigin)
{
    if (r.trace) {
        curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, &onDebug);
        curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &r.trace);
        curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    }
    if (r.ifModifiedSince >= 0) {
        curl_easy_setopt(curl, CURLOPT_TIMECONDITION, static_cast<long>(CURL_TIMECOND_IFMODSINCE));
        curl_easy_setopt(curl, CURLOPT_TIMEVALUE_LARGE, static_cast<curl_off_t>(r.ifModifiedSince));
    }
    // The user's name and password go to the link's own origin only; ~/.netrc names
    // each host's own. Basic is sent at once: a challenge first would end the transfer
    // as the 401 it is.
    if (ownOrigin && !r.user.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, r.user.toUtf8().constData());
        if (!r.password.isNull())
            curl_easy_setopt(curl, CURLOPT_PASSWORD, r.password.toUtf8().constData());
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    }
    if (r.netrc)
        curl_easy_setopt(curl, CURLOPT_NETRC, static_cast<long>(CURL_NETRC_OPTIONAL));
}

bool CurlRequestOptions::conditionUnmet(CURL* curl)
{
    long unmet = 0;
    return curl_easy_getinfo(curl, CURLINFO_CONDITION_UNMET, &unmet) == CURLE_OK && unmet != 0;
}
