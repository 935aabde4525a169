#include <gtest/gtest.h>

#include "download/CookieDomain.h"
#include "download/NetscapeCookies.h"

TEST(CookieDomainTest, ACookieGoesOnlyToTheHostsItsDomainAdmits)
{
    struct Row {
        const char* domain;
        bool subdomains;
        const char* host;
        bool admitted;
    };
    const Row rows[] = {
        { "127.0.0.2", false, "127.0.0.2", true },
        { ".0.0.2", true, "127.0.0.2", false }, // an address matches only itself
        { ".127.0.0.2", true, "127.0.0.2", true }, { "[::1]", false, "::1", true },
        { "::1", true, "[::2]", false },
        { ".com", true, "shop.com", false }, // a public suffix admits no site
        { ".co.uk", true, "shop.co.uk", false }, { ".github.io", true, "someone.github.io", false },
        { "co.uk", false, "co.uk", true }, // host-only on the suffix itself
        { ".example.com", true, "a.b.example.com", true },
        { "Example.COM", true, "www.example.com", true },
        { "example.com", false, "www.example.com", false }, // host-only
        { ".example.com", true, "badexample.com", false }, // dot boundary
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.domain) + " -> " + row.host);
        EXPECT_EQ(CookieDomain::admits(row.domain, row.subdomains, row.host), row.admitted);
    }
}

TEST(CookieDomainTest, CookiesThatWouldBreakTheHeaderLineAreRefusedOrLeftOut)
{
    QString problem;
    EXPECT_FALSE(NetscapeCookies::parse("a.test\tFALSE\t/\tFALSE\t0\tsid\t4\r2\n", &problem));
    EXPECT_TRUE(problem.contains("line break")) << problem.toStdString();
    EXPECT_FALSE(NetscapeCookies::parse("a.test\tFALSE\t/\tFALSE\t0\ts d\t42\n", &problem));
    EXPECT_TRUE(problem.contains("not a token")) << problem.toStdString();

    const QStringList lines = { NetscapeCookies::line("a.test", "/", false, false, 0, "ok", "1"),
        NetscapeCookies::line("a.test", "/", false, false, 0, "bad", "1\r\nX-Injected: 1") };
    EXPECT_EQ(NetscapeCookies::headerFor(lines, "http://a.test/f"), "ok=1");
    EXPECT_TRUE(NetscapeCookies::sendProblem(lines).contains("bad"));
}
