#include <gtest/gtest.h>

#include "winsupport/UrlHistory.h"

TEST(UrlHistory, MostRecentFirstAndRepeatsMoveToTheFront)
{
    UrlHistory history;
    EXPECT_TRUE(history.remember(QStringLiteral("http://a.example/")));
    EXPECT_TRUE(history.remember(QStringLiteral("http://b.example/")));
    EXPECT_TRUE(history.remember(QStringLiteral("http://a.example/")));
    EXPECT_FALSE(history.remember(QStringLiteral("http://a.example/")));
    EXPECT_EQ(history.urls(), (QStringList{QStringLiteral("http://a.example/"), QStringLiteral("http://b.example/")}));
}

TEST(UrlHistory, IgnoresBlankTextAndStoresTrimmed)
{
    UrlHistory history;
    EXPECT_FALSE(history.remember(QString()));
    EXPECT_FALSE(history.remember(QStringLiteral("   ")));
    EXPECT_TRUE(history.remember(QStringLiteral("  http://a.example/x \t")));
    EXPECT_EQ(history.urls(), QStringList{QStringLiteral("http://a.example/x")});
}

TEST(UrlHistory, CaseDifferencesAreDifferentUrls)
{
    UrlHistory history;
    history.remember(QStringLiteral("http://a.example/Page"));
    history.remember(QStringLiteral("http://a.example/page"));
    EXPECT_EQ(history.urls().size(), 2);
}

TEST(UrlHistory, ForgetsTheOldestBeyondTheLimit)
{
    UrlHistory history;
    for (int i = 0; i < UrlHistory::kLimit + 5; ++i)
        history.remember(QStringLiteral("http://h.example/%1").arg(i));
    const QStringList urls = history.urls();
    ASSERT_EQ(urls.size(), UrlHistory::kLimit);
    EXPECT_EQ(urls.front(), QStringLiteral("http://h.example/%1").arg(UrlHistory::kLimit + 4));
    EXPECT_EQ(urls.back(), QStringLiteral("http://h.example/5"));
}

TEST(UrlHistory, SetUrlsDropsBlanksRepeatsAndExcess)
{
    QStringList loaded{QStringLiteral("http://x/"), QString(), QStringLiteral("http://y/"), QStringLiteral("http://x/")};
    for (int i = 0; i < UrlHistory::kLimit; ++i)
        loaded.append(QStringLiteral("http://z/%1").arg(i));
    UrlHistory history;
    history.setUrls(loaded);
    const QStringList urls = history.urls();
    ASSERT_EQ(urls.size(), UrlHistory::kLimit);
    EXPECT_EQ(urls.mid(0, 3), (QStringList{QStringLiteral("http://x/"), QStringLiteral("http://y/"), QStringLiteral("http://z/0")}));
}
