#include "winsupport/UrlHistory.h"

bool UrlHistory::remember(const QString& url)
{
    const QString text = url.trimmed();
    if (text.isEmpty())
        return false;
    if (!m_urls.isEmpty() && m_urls.front() == text)
        return false;
    m_urls.removeAll(text);
    m_urls.prepend(text);
    while (m_urls.size() > kLimit)
        m_urls.removeLast();
    return true;
}

void UrlHistory::setUrls(const QStringList& mostRecentFirst)
{
    m_urls.clear();
    for (const QString& url : mostRecentFirst) {
        const QString text = url.trimmed();
        if (text.isEmpty() || m_urls.contains(text))
            continue;
        m_urls.append(text);
        if (m_urls.size() == kLimit)
            break;
    }
}
