#include <gtest/gtest.h>

#include "listops/ListPattern.h"
#include "support/QtPrinters.h"

TEST(ListPattern, MatchesWildcardsOverTheWholeAddressAndRegexesAnywhere)
{
    const struct {
        const char* pattern;
        const char* address;
        bool matches;
    } rows[] = {
        { "*.jpg", "http://x/a.JPG", true },
        { "*.jpg", "http://x/a.jpg?w=2", false },
        { "http://x/?.png", "http://x/a.png", true },
        { "http://x/?.png", "http://x/ab.png", false },
        { "*[1].png", "http://x/a[1].png", true },
        { "*[1].png", "http://x/a1.png", false },
        { "*a+b(c)*", "http://x/a+b(c)", true },
        { "*.example.org/*", "https://cdn.EXAMPLE.org/p", true },
        { "/\\.jpe?g$/", "http://x/a.JPEG", true },
        { "/\\.jpe?g$/", "http://x/a.jpg.html", false },
        { "/example/", "http://www.EXAMPLE.org/", true },
        { "/", "http://x/", false },
        // Nested repetition that a backtracking engine gives up on still decides.
        { "/(x+x+)+y|ok!/", "http://x/xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxz/ok!", true },
        { "/(x+x+)+y/", "http://x/xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxz/", false },
    };
    for (const auto& row : rows) {
        const Result<ListPattern> pattern = ListPattern::parse(row.pattern);
        ASSERT_TRUE(pattern) << row.pattern;
        EXPECT_EQ(pattern.value().matches(QString::fromUtf8(row.address)), row.matches)
            << row.pattern << " " << row.address;
    }
}

TEST(ListPattern, RefusesWhatItCannotMatchWithAReason)
{
    for (const char* text : { "", "/(a/", "/(a)\\1/", "/(?=a)/" }) {
        const Result<ListPattern> pattern = ListPattern::parse(QString::fromUtf8(text));
        EXPECT_FALSE(pattern) << text;
        EXPECT_FALSE(pattern.message().isEmpty()) << text;
    }
}
