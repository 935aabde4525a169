#pragma once

#include <QString>
#include <QUrl>
#include <optional>

#include "core/Result.h"
#include "crawl/CrawlOptions.h"
#include "listops/ListPattern.h"

// Which addresses a site harvest may visit: those of the web (http and https) inside the
// scope its options name, measured from the start page, and matching the follow pattern
// when there is one. Addresses outside are still collected; they are never visited.
class CrawlScope final
{
public:
    // Failed with the reason when a pattern does not compile or the start page is not
    // an address of the web.
    static Result<CrawlScope> make(const QUrl& start, const CrawlOptions& options);

    // Inside the scope, ignoring the follow pattern.
    bool contains(const QUrl& address) const;
    // Inside the scope and matching the follow pattern.
    bool follows(const QUrl& address) const;

    // The folder the Path scope keeps to: the start page's path up to its last "/".
    static QString folderOf(const QUrl& address);

private:
    CrawlScope() = default;

    CrawlScopeKind m_kind = CrawlScopeKind::Path;
    QString m_scheme;
    QString m_host;
    int m_port = -1;
    QString m_folder;
    QString m_domain; // the host without a leading "www."
    std::optional<ListPattern> m_pattern;
    std::optional<ListPattern> m_follow;
};
