#include <gtest/gtest.h>

#include "app/SiteCrawlChoices.h"
#include "core/SettingsTable.h"
#include "settings/TypedSettings.h"
#include "support/TempSettingsStore.h"

namespace
{

SiteCrawlChoices valid()
{
    SiteCrawlChoices choices;
    choices.start = QStringLiteral("https://example.org/manual/");
    return choices;
}

TEST(SiteCrawlChoicesTest, StoredChoicesComeBackAsTheyWereMade)
{
    TempSettingsStore temp;
    CRegSettings settings = temp.settings();
    SiteCrawlChoices fresh;
    fresh.options.depth = 1;
    EXPECT_EQ(SiteCrawlChoices::load(settings), fresh);

    SiteCrawlChoices pattern = valid();
    pattern.options = { 99, CrawlScopeKind::Pattern, "/docs\\.example\\.org/", "*/chapter*", true,
        1000000, 0, false, 2 };
    SiteCrawlChoices domain = valid();
    domain.options = { 0, CrawlScopeKind::Domain, {}, {}, false, 1, 0, true, 2 };
    for (const SiteCrawlChoices& made : { pattern, domain }) {
        made.store(settings);
        EXPECT_EQ(SiteCrawlChoices::load(settings), made);
    }

    TypedSettings::writeText(settings, SettingsTable::SiteScope, QStringLiteral("site"));
    EXPECT_EQ(SiteCrawlChoices::load(settings).options.scope, CrawlScopeKind::Path);
}

TEST(SiteCrawlChoicesTest, ProblemNamesWhatStopsAHarvest)
{
    struct Row {
        QString start;
        CrawlScopeKind scope;
        QString scopePattern;
        QString follow;
        const char* problem; // a word the message holds; null: no problem
    };
    const QString ok = valid().start;
    const Row rows[] = {
        { ok, CrawlScopeKind::Path, {}, {}, nullptr },
        { "", CrawlScopeKind::Path, {}, {}, "address" },
        { "example.org/manual/", CrawlScopeKind::Path, {}, {}, "not a web address" },
        { "ftp://example.org/", CrawlScopeKind::Path, {}, {}, "not a web address" },
        { ok, CrawlScopeKind::Pattern, "/(/", {}, "scope pattern" },
        { ok, CrawlScopeKind::Pattern, "*example.org*", {}, nullptr },
        // A pattern left from another scope does not matter.
        { ok, CrawlScopeKind::Host, "/(/", {}, nullptr },
        { ok, CrawlScopeKind::Host, {}, "/[/", "follow pattern" },
        { ok, CrawlScopeKind::Host, {}, "/page=\\d+/", nullptr },
    };
    for (const Row& row : rows) {
        SiteCrawlChoices choices;
        choices.start = row.start;
        choices.options.scope = row.scope;
        choices.options.scopePattern = row.scopePattern;
        choices.options.follow = row.follow;
        const QString problem = choices.problem();
        if (row.problem)
            EXPECT_TRUE(problem.contains(QLatin1StringView(row.problem))) << qPrintable(problem);
        else
            EXPECT_EQ(problem, QString()) << qPrintable(row.start);
    }
}

} // namespace
