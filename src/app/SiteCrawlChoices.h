#pragma once

#include <QString>
#include <QStringView>
#include <optional>

#include "crawl/CrawlOptions.h"

class CRegSettings;

// What "Build List from Site" asks: the start address and how far the harvest goes from
// it. Stored in the "Site Harvest" section (SettingsTable::SiteStart and the entries after
// it), so the dialog opens with the choices made last time.
struct SiteCrawlChoices final {
    QString start;
    CrawlOptions options;

    // A store without these entries gives depth 1 and CrawlOptions' other defaults.
    static SiteCrawlChoices load(const CRegSettings& settings);
    void store(CRegSettings& settings) const;

    // What stops these choices from starting a harvest, in words for the user; empty when
    // nothing does. The start address must be an http or https address with a host; the
    // patterns must be wildcards or regular expressions that compile.
    QString problem() const;
    // The start address as the harvest takes it: trimmed.
    QString startUrl() const { return start.trimmed(); }

    // The stored names of the scopes: "Path", "Host", "Domain", "Pattern".
    static QString scopeName(CrawlScopeKind scope);
    // The scope a name stands for, in any letter case; nullopt for any other text.
    static std::optional<CrawlScopeKind> scopeFromName(QStringView name);

    friend bool operator==(const SiteCrawlChoices&, const SiteCrawlChoices&) = default;
};
