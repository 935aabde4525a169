#pragma once

#include <QString>

// Which links a site harvest follows to further pages.
enum class CrawlScopeKind {
    Path, // the start page's host, at or below its folder
    Host, // the start page's whole host
    Domain, // the start page's host and its subdomains
    Pattern, // addresses matching CrawlOptions::scopePattern
};

// How a site harvest goes from its start page to further pages. The defaults visit the
// start page only.
struct CrawlOptions {
    int depth = 0; // 0: the start page only; 1: it and the pages it links to; ...
    CrawlScopeKind scope = CrawlScopeKind::Path;
    QString scopePattern; // a wildcard or /regex/, for CrawlScopeKind::Pattern
    QString follow; // only links matching this (wildcard or /regex/) are followed; empty: all
    bool nextPages = false; // follow next-page links whatever the depth
    int maxPages = 1000; // pages visited at most
    int maxSeconds = 0; // 0: no time limit
    bool robots = true; // honour robots.txt and its Crawl-delay
    int perHost = 2; // pages loading at once per host

    friend bool operator==(const CrawlOptions&, const CrawlOptions&) = default;
};
