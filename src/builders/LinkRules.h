#pragma once

#include <QString>

// Prefix tests shared by every list builder. "Begins with" compares the prefix at
// position 0 without regard to letter case; nothing is trimmed.
namespace LinkRules
{

inline bool beginsWith(const QString& text, QLatin1StringView prefix)
{
    return text.startsWith(prefix, Qt::CaseInsensitive);
}

// The exclusion test: web and file-transfer addresses always pass, "mailto" ones
// unless exmt is set, "javascript:" ones unless exjs is set, nothing else.
inline bool passesExclusion(const QString& link, bool exjs, bool exmt)
{
    return beginsWith(link, QLatin1StringView("http")) || beginsWith(link, QLatin1StringView("ftp"))
        || (!exmt && beginsWith(link, QLatin1StringView("mailto")))
        || (!exjs && beginsWith(link, QLatin1StringView("javascript:")));
}

} // namespace LinkRules
