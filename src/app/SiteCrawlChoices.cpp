#include "app/SiteCrawlChoices.h"

#include <QUrl>
#include <array>
#include <utility>

#include "core/SettingsTable.h"
#include "listops/ListPattern.h"
#include "settings/CRegSettings.h"
#include "settings/TypedSettings.h"

namespace
{

constexpr std::array<std::pair<CrawlScopeKind, const char*>, 4> kScopeNames { {
    { CrawlScopeKind::Path, "Path" },
    { CrawlScopeKind::Host, "Host" },
    { CrawlScopeKind::Domain, "Domain" },
    { CrawlScopeKind::Pattern, "Pattern" },
} };

// Why a pattern cannot be used, after what it is for; empty when it can.
QString patternProblem(const QString& what, const QString& pattern)
{
    const Result<ListPattern> parsed = ListPattern::parse(pattern);
    return parsed ? QString() : what + QStringLiteral(": ") + parsed.message();
}

} // namespace

SiteCrawlChoices SiteCrawlChoices::load(const CRegSettings& settings)
{
    SiteCrawlChoices choices;
    choices.start = TypedSettings::readText(settings, SettingsTable::SiteStart);
    CrawlOptions& options = choices.options;
    options.depth = TypedSettings::readInt(settings, SettingsTable::SiteDepth);
    options.scope = scopeFromName(TypedSettings::readText(settings, SettingsTable::SiteScope))
                        .value_or(CrawlScopeKind::Path);
    options.scopePattern = TypedSettings::readText(settings, SettingsTable::SiteScopePattern);
    options.follow = TypedSettings::readText(settings, SettingsTable::SiteFollow);
    options.nextPages = TypedSettings::readBool(settings, SettingsTable::SiteNextPages);
    options.maxPages = TypedSettings::readInt(settings, SettingsTable::SiteMaxPages);
    options.robots = TypedSettings::readBool(settings, SettingsTable::SiteRobots);
    return choices;
}

void SiteCrawlChoices::store(CRegSettings& settings) const
{
    TypedSettings::writeText(settings, SettingsTable::SiteStart, startUrl());
    TypedSettings::writeInt(settings, SettingsTable::SiteDepth, options.depth);
    TypedSettings::writeText(settings, SettingsTable::SiteScope, scopeName(options.scope));
    TypedSettings::writeText(settings, SettingsTable::SiteScopePattern, options.scopePattern);
    TypedSettings::writeText(settings, SettingsTable::SiteFollow, options.follow);
    TypedSettings::writeBool(settings, SettingsTable::SiteNextPages, options.nextPages);
    TypedSettings::writeInt(settings, SettingsTable::SiteMaxPages, options.maxPages);
    TypedSettings::writeBool(settings, SettingsTable::SiteRobots, options.robots);
}

QString SiteCrawlChoices::problem() const
{
    const QString address = startUrl();
    if (address.isEmpty())
        return QStringLiteral("Type the address of the page the harvest starts from.");
    const QUrl url(address, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty())
        return QStringLiteral("\"%1\" is not a web address. Type the whole address of the start "
                              "page, beginning with http:// or https://.")
            .arg(address);
    const StoredSetting& depth = SettingsTable::SiteDepth;
    if (options.depth < depth.minimum || options.depth > depth.maximum)
        return QStringLiteral("The depth must lie between %1 and %2.")
            .arg(depth.minimum)
            .arg(depth.maximum);
    const StoredSetting& pages = SettingsTable::SiteMaxPages;
    if (options.maxPages < pages.minimum || options.maxPages > pages.maximum)
        return QStringLiteral("The page limit must lie between %1 and %2.")
            .arg(pages.minimum)
            .arg(pages.maximum);
    if (options.scope == CrawlScopeKind::Pattern) {
        if (const QString why
            = patternProblem(QStringLiteral("The scope pattern"), options.scopePattern.trimmed());
            !why.isEmpty())
            return why;
    }
    if (!options.follow.trimmed().isEmpty())
        return patternProblem(QStringLiteral("The follow pattern"), options.follow.trimmed());
    return QString();
}

QString SiteCrawlChoices::scopeName(CrawlScopeKind scope)
{
    for (const auto& [kind, name] : kScopeNames) {
        if (kind == scope)
            return QString::fromLatin1(name);
    }
    return QStringLiteral("Path");
}

std::optional<CrawlScopeKind> SiteCrawlChoices::scopeFromName(QStringView name)
{
    for (const auto& [kind, text] : kScopeNames) {
        if (name.compare(QLatin1StringView(text), Qt::CaseInsensitive) == 0)
            return kind;
    }
    return std::nullopt;
}
