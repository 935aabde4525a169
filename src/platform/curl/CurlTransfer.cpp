#include "platform/curl/CurlTransfer.h"

#include "platform/curl/HeaderText.h"
#include "platform/curl/TransferRules.h"

void CurlTransfer::readField(const std::string& name, const std::string& value)
{
    if (name == "content-length")
        contentLength = TransferRules::parseCount(value);
    else if (name == "accept-ranges")
        acceptRanges = HeaderText::lower(value) == "bytes";
    else if (name == "location")
        sawLocation = true;
    else if (name == "retry-after")
        retryAfter = value;
    else if (name == "etag")
        etag = value;
    else if (name == "last-modified")
        lastModified = value;
    else if (name == "content-range")
        contentRange = value;
    else if (name == "content-type")
        contentType = value;
    else if (name == "content-disposition")
        disposition = value;
    else if (name == "set-cookie" && setCookies.size() < kMaxSetCookies)
        setCookies.push_back(value);
}
