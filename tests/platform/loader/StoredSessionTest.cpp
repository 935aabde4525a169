#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "platform/BrowserEngineLoader.h"
#include "platform/ProfileFolders.h"
#include "support/QtPrinters.h"

// Downloads started before any browser window opened in this run send the cookies the
// profile stored in earlier runs, read from the engine's cookie database as the engine
// leaves it: values in plain text; an encrypted value, an expired cookie and a cookie
// partitioned under another site are not sent.
TEST(StoredSessionTest, TheSessionBeforeTheEngineLoadsHasTheStoredCookies)
{
    const QString file = ProfileFolders::cookieDatabase();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
    // Times count microseconds since 1601; 2100-01-01 and 2001-01-01.
    const char* sql
        = "CREATE TABLE cookies(creation_utc INTEGER, host_key TEXT, top_frame_site_key TEXT,"
          " name TEXT, value TEXT, encrypted_value BLOB, path TEXT, expires_utc INTEGER,"
          " is_secure INTEGER, is_httponly INTEGER, has_expires INTEGER);"
          "INSERT INTO cookies VALUES"
          " (1, '.example.test', '', 'wide', 'w', x'', '/', 15746918400000000, 1, 0, 1),"
          " (2, 'host.test', '', 'sess', 's', x'', '/app', 0, 0, 1, 0),"
          " (3, 'host.test', '', 'old', 'o', x'', '/', 12622780800000000, 0, 0, 1),"
          " (4, 'host.test', '', 'enc', '', x'763130aabbcc', '/', 0, 0, 0, 0),"
          " (5, 'host.test', 'https://top.test', 'part', 'p', x'', '/', 0, 0, 0, 0);";
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    ASSERT_EQ(BrowserEngineLoader::loadedEngine(), nullptr);
    EXPECT_EQ(LazyBrowserWindows(nullptr).session().cookies,
        (QStringList { ".example.test\tTRUE\t/\tTRUE\t4102444800\twide\tw",
            "#HttpOnly_host.test\tFALSE\t/app\tFALSE\t0\tsess\ts" }));
}
