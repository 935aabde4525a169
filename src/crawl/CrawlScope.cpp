#include "crawl/CrawlScope.h"

namespace
{

bool isWeb(const QUrl& address)
{
    const QString scheme = address.scheme();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        && !address.host().isEmpty();
}

int portOf(const QUrl& address)
{
    return address.port(address.scheme() == QLatin1String("https") ? 443 : 80);
}

} // namespace

Result<CrawlScope> CrawlScope::make(const QUrl& start, const CrawlOptions& options)
{
    if (!start.isValid() || !isWeb(start))
        return Result<CrawlScope>::failed(
            QStringLiteral("%1 is not an http or https address").arg(start.toString()));
    CrawlScope scope;
    scope.m_kind = options.scope;
    scope.m_scheme = start.scheme();
    scope.m_host = start.host().toLower();
    scope.m_port = portOf(start);
    scope.m_folder = folderOf(start);
    scope.m_domain
        = scope.m_host.startsWith(QLatin1String("www.")) ? scope.m_host.mid(4) : scope.m_host;
    if (options.scope == CrawlScopeKind::Pattern) {
        Result<ListPattern> pattern = ListPattern::parse(options.scopePattern);
        if (!pattern)
            return Result<CrawlScope>::failed(
                QStringLiteral("the scope %1: %2").arg(options.scopePattern, pattern.message()));
        scope.m_pattern = std::move(pattern).value();
    }
    if (!options.follow.isEmpty()) {
        Result<ListPattern> follow = ListPattern::parse(options.follow);
        if (!follow)
            return Result<CrawlScope>::failed(
                QStringLiteral("the follow pattern %1: %2").arg(options.follow, follow.message()));
        scope.m_follow = std::move(follow).value();
    }
    return Result<CrawlScope>::ok(std::move(scope));
}

QString CrawlScope::folderOf(const QUrl& address)
{
    const QString path = address.path(QUrl::FullyEncoded);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QStringLiteral("/") : path.left(slash + 1);
}

bool CrawlScope::contains(const QUrl& address) const
{
    if (!isWeb(address))
        return false;
    const QString host = address.host().toLower();
    switch (m_kind) {
    case CrawlScopeKind::Path:
        // As the start page's own site: the same scheme, host and port.
        return address.scheme() == m_scheme && host == m_host && portOf(address) == m_port
            && address.path(QUrl::FullyEncoded).startsWith(m_folder);
    case CrawlScopeKind::Host:
        return host == m_host;
    case CrawlScopeKind::Domain:
        return host == m_domain || host.endsWith(QLatin1Char('.') + m_domain);
    case CrawlScopeKind::Pattern:
        return m_pattern && m_pattern->matches(address.toString(QUrl::FullyEncoded));
    }
    return false;
}

bool CrawlScope::follows(const QUrl& address) const
{
    return contains(address)
        && (!m_follow || m_follow->matches(address.toString(QUrl::FullyEncoded)));
}
