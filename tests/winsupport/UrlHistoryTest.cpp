#include <gtest/gtest.h>
#include <memory>

#include "support/TempSettingsStore.h"

#include "winsupport/UrlHistory.h"

TEST(UrlHistory, MostRecentFirstAndRepeatsMoveToTheFront)
{
    UrlHistory history;
    EXPECT_TRUE(history.remember(QStringLiteral("http://a.example/")));
    EXPECT_TRUE(history.remember(QStringLiteral("http://b.example/")));
    EXPECT_TRUE(history.remember(QStringLiteral("http://a.example/")));
    EXPECT_FALSE(history.remember(QStringLiteral("http://a.example/")));
    EXPECT_EQ(history.urls(),
        (QStringList { QStringLiteral("http://a.example/"), QStringLiteral("http://b.example/") }));
}

TEST(UrlHistory, IgnoresBlankTextAndStoresTrimmed)
{
    UrlHistory history;
    EXPECT_FALSE(history.remember(QString()));
    EXPECT_FALSE(history.remember(QStringLiteral("   ")));
    EXPECT_TRUE(history.remember(QStringLiteral("  http://a.example/x \t")));
    EXPECT_EQ(history.urls(), QStringList { QStringLiteral("http://a.example/x") });
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
    QStringList loaded { QStringLiteral("http://x/"), QString(), QStringLiteral("http://y/"),
        QStringLiteral("http://x/") };
    for (int i = 0; i < UrlHistory::kLimit; ++i)
        loaded.append(QStringLiteral("http://z/%1").arg(i));
    UrlHistory history;
    history.setUrls(loaded);
    const QStringList urls = history.urls();
    ASSERT_EQ(urls.size(), UrlHistory::kLimit);
    EXPECT_EQ(urls.mid(0, 3),
        (QStringList { QStringLiteral("http://x/"), QStringLiteral("http://y/"),
            QStringLiteral("http://z/0") }));
}

namespace
{

class StoredUrlHistory : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_temp.isValid()); }
    CRegSettings settings() const { return m_temp.settings(); }

    TempSettingsStore m_temp;
};

} // namespace

TEST_F(StoredUrlHistory, ReadsBackMostRecentFirstWithoutRepeats)
{
    {
        UrlHistory history(settings());
        history.remember(QStringLiteral("http://a.example/"));
        history.remember(QStringLiteral("http://b.example/"));
        history.remember(QStringLiteral("http://a.example/"));
    }
    EXPECT_EQ(UrlHistory(settings()).urls(),
        (QStringList { QStringLiteral("http://a.example/"), QStringLiteral("http://b.example/") }));
    EXPECT_EQ(settings().GetAllSettings(UrlHistory::kSection).size(), 2);
}

TEST_F(StoredUrlHistory, KeepsWhatAnotherWindowRememberedMeanwhile)
{
    UrlHistory first(settings());
    UrlHistory second(settings());
    first.remember(QStringLiteral("http://first.example/"));
    second.remember(QStringLiteral("http://second.example/"));
    EXPECT_EQ(UrlHistory(settings()).urls(),
        (QStringList {
            QStringLiteral("http://second.example/"), QStringLiteral("http://first.example/") }));
}

TEST_F(StoredUrlHistory, TheStoredSectionNeverGrowsPastTheLimit)
{
    CRegSettings regset = settings();
    for (int i = 0; i < UrlHistory::kLimit + 3; ++i)
        regset.SaveSetting(UrlHistory::kSection, QStringLiteral("Url %1").arg(i + 1),
            QStringLiteral("http://h.example/%1").arg(i));
    UrlHistory history(settings());
    ASSERT_EQ(history.urls().size(), UrlHistory::kLimit);
    EXPECT_EQ(
        history.urls().front(), QStringLiteral("http://h.example/%1").arg(UrlHistory::kLimit + 2));

    history.remember(QStringLiteral("http://new.example/"));
    const auto stored = regset.GetAllSettings(UrlHistory::kSection);
    ASSERT_EQ(stored.size(), UrlHistory::kLimit);
    EXPECT_EQ(stored.back().second, QStringLiteral("http://new.example/"));
    EXPECT_EQ(UrlHistory(settings()).urls(), history.urls());
}
