#include <gtest/gtest.h>

#include "cli/NoLinksMessage.h"
#include "support/QtPrinters.h"

// An empty list names each filter in effect and where it comes from.
TEST(NoLinksMessage, NamesTheFiltersInEffectAndTheirSource)
{
    FilterState stored;
    stored.ftypes = QStringList { "zip", "pdf" };
    stored.appfiltChecked = true;
    Preferences excluding;
    excluding.exjs = true;
    excluding.exmt = false;
    Preferences none;
    none.exjs = false;
    none.exmt = false;
    CliOptions given;
    given.filters = QStringList { "zip", "pdf" };
    given.matchPatterns = QStringList { "*.zip" };

    EXPECT_EQ(noLinksMessage(FilterState {}, none, CliOptions {}), "Error: no links were found.");
    EXPECT_EQ(noLinksMessage(stored, excluding, CliOptions {}),
        "Error: no links were found, or none passed these: the file types zip, pdf (stored "
        "filters; --no-filters turns them off); leaving out javascript: links (stored "
        "preference).");
    EXPECT_EQ(noLinksMessage(stored, none, given),
        "Error: no links were found, or none passed these: the file types zip, pdf (--filter); "
        "--match *.zip.");
}
