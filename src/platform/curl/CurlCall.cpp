#include "platform/curl/CurlCall.h"

#include <utility>

#include "platform/curl/CurlEngine.h"

// The engine is made first: it initialises libcurl before any handle exists.
CurlCall::CurlCall()
    : m_handle((CurlEngine::instance(), curl_easy_init()))
{
}

CurlCall::~CurlCall()
{
    curl_easy_cleanup(m_handle);
    curl_slist_free_all(m_headers);
}

void CurlCall::setHeaders(curl_slist* headers)
{
    curl_slist_free_all(m_headers);
    m_headers = headers;
    curl_easy_setopt(m_handle, CURLOPT_HTTPHEADER, m_headers);
}

void CurlCall::end(CURLcode code)
{
    if (m_done)
        return;
    m_done = true;
    if (m_ended)
        std::exchange(m_ended, nullptr)(*this, code);
}
