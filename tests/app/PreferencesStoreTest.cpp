#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include "app/PreferencesStore.h"
#include "download/DownloadJobOptions.h"
#include "settings/CRegSettings.h"
#include "support/TempSettingsStore.h"

namespace
{

class PreferencesStoreTest : public ::testing::Test
{
protected:
    TempSettingsStore m_temp;
    CRegSettings m_settings = m_temp.settings();

    QString stored(const char* key) const
    {
        return m_settings.GetSetting(
            QStringLiteral("Options"), QString::fromLatin1(key), QStringLiteral("<absent>"));
    }
    void store(const char* key, const char* text)
    {
        m_settings.SaveSetting(
            QStringLiteral("Options"), QString::fromLatin1(key), QString::fromLatin1(text));
    }
};

TEST_F(PreferencesStoreTest, FreshStoreGivesDefaults)
{
    const Preferences prefs = loadPreferences(m_settings);
    EXPECT_TRUE(prefs.ontop);
    EXPECT_FALSE(prefs.newwin);
    EXPECT_FALSE(prefs.exjs);
    EXPECT_FALSE(prefs.exmt);
    EXPECT_FALSE(prefs.defappend);
    EXPECT_EQ(prefs.owaction, OverwriteAction::Prompt);
}

TEST_F(PreferencesStoreTest, SaveWritesTheStoredFormsAndLoadsBack)
{
    struct Row {
        Preferences prefs;
        const char* onTop;
        const char* newWindow;
        const char* js;
        const char* mailto;
        const char* append;
        const char* overwrite;
    };
    const Row rows[] = {
        { { false, true, true, false, true, OverwriteAction::Skip, true, "*num*.*ext*", {}, {}, 3,
              2, 204800, true, false },
            "False", "1", "True", "False", "True", "2" },
        { { true, false, false, true, false, OverwriteAction::Overwrite }, "True", "0", "False",
            "True", "False", "1" },
        { { true, true, true, true, true, OverwriteAction::Unique }, "True", "1", "True", "True",
            "True", "3" },
        { { false, false, false, false, false, OverwriteAction::Prompt }, "False", "0", "False",
            "False", "False", "0" },
    };
    for (const Row& row : rows) {
        savePreferences(m_settings, row.prefs);
        EXPECT_EQ(stored("On Top"), QLatin1String(row.onTop));
        EXPECT_EQ(stored("New Window"), QLatin1String(row.newWindow));
        EXPECT_EQ(stored("Exclude JS Links"), QLatin1String(row.js));
        EXPECT_EQ(stored("Exclude Mailto Links"), QLatin1String(row.mailto));
        EXPECT_EQ(stored("Default Append"), QLatin1String(row.append));
        EXPECT_EQ(stored("Overwrite Action"), QLatin1String(row.overwrite));
        EXPECT_EQ(loadPreferences(m_settings), row.prefs);
    }
    // The dialog's Save order is the order the values were first created.
    QStringList names;
    for (const auto& pair : m_settings.GetAllSettings(QStringLiteral("Options")))
        names.append(pair.first);
    EXPECT_EQ(names,
        (QStringList { QStringLiteral("On Top"), QStringLiteral("New Window"),
            QStringLiteral("Exclude JS Links"), QStringLiteral("Exclude Mailto Links"),
            QStringLiteral("Default Append"), QStringLiteral("Overwrite Action"),
            QStringLiteral("Use Server Names"), QStringLiteral("File Name Mask"),
            QStringLiteral("Downloads At Once"), QStringLiteral("Per Host"),
            QStringLiteral("Rate Limit"), QStringLiteral("Portable Names"),
            QStringLiteral("Stop At Failed Download") }));
}

// A failed link's message stops the job only with one download at a time and the
// preference on; several at once send failures to the summary.
TEST_F(PreferencesStoreTest, FailuresStopOnlyOneAtATimeJobsThatAskForIt)
{
    const struct {
        int atOnce;
        bool stop;
        bool reportErrors;
    } rows[] = { { 1, true, true }, { 1, false, false }, { 3, true, false } };
    for (const auto& row : rows) {
        Preferences prefs;
        prefs.atOnce = row.atOnce;
        prefs.stopAtFailure = row.stop;
        EXPECT_EQ(DownloadJobOptions::fromPreferences(prefs, m_settings, "/tmp/").reportErrors,
            row.reportErrors)
            << row.atOnce << row.stop;
    }
}

TEST_F(PreferencesStoreTest, Aria2DaemonIsStoredOnlyOnceNamedAndCanBeCleared)
{
    Preferences prefs;
    savePreferences(m_settings, prefs);
    EXPECT_EQ(stored("Aria2 URL"), QLatin1String("<absent>"));
    prefs.aria2Url = QStringLiteral("http://127.0.0.1:6800/jsonrpc");
    prefs.aria2Secret = QStringLiteral("s3cret");
    savePreferences(m_settings, prefs);
    EXPECT_EQ(stored("Aria2 Secret"), QLatin1String("s3cret"));
    EXPECT_EQ(loadPreferences(m_settings), prefs);
    savePreferences(m_settings, Preferences {});
    EXPECT_EQ(loadPreferences(m_settings), Preferences {});
}

TEST_F(PreferencesStoreTest, EitherBooleanFormReadsAndUnreadableValuesGiveTheDefault)
{
    store("On Top", "0");
    store("New Window", "True");
    store("Exclude JS Links", "1");
    store("Exclude Mailto Links", "yes");
    store("Default Append", "tRuE");
    store("Overwrite Action", "3");
    Preferences prefs = loadPreferences(m_settings);
    EXPECT_FALSE(prefs.ontop);
    EXPECT_TRUE(prefs.newwin);
    EXPECT_TRUE(prefs.exjs);
    EXPECT_FALSE(prefs.exmt);
    EXPECT_TRUE(prefs.defappend);
    EXPECT_EQ(prefs.owaction, OverwriteAction::Unique);

    // "On Top" defaults to True, so an unreadable value there keeps the window on top.
    store("On Top", "yes");
    store("New Window", "");
    EXPECT_TRUE(loadPreferences(m_settings).ontop);
    EXPECT_FALSE(loadPreferences(m_settings).newwin);

    for (const char* overwrite : { "7", "-1", "two", "1.0", "" }) {
        store("Overwrite Action", overwrite);
        EXPECT_EQ(loadPreferences(m_settings).owaction, OverwriteAction::Prompt) << overwrite;
    }
}

TEST_F(PreferencesStoreTest, LastUsedSaveFolderDefaultsToAnExistingDownloadFolderAndRoundTrips)
{
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toUtf8());
    QDir(home.path()).mkpath(QStringLiteral(".config"));
    QFile dirs(home.filePath(QStringLiteral(".config/user-dirs.dirs")));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DOWNLOAD_DIR=\"$HOME/Fetched\"\n");
    dirs.close();

    const QString missing = lastUsedSaveFolder(m_settings);
    QDir(home.path()).mkdir(QStringLiteral("Fetched"));
    const QString existing = lastUsedSaveFolder(m_settings);
    qputenv("HOME", oldHome);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    EXPECT_EQ(missing, home.path());
    EXPECT_EQ(existing, home.filePath(QStringLiteral("Fetched")));

    setLastUsedSaveFolder(m_settings, QStringLiteral("/srv/files/list.txt"));
    EXPECT_EQ(stored("Last Used Save Folder"), QStringLiteral("/srv/files/list.txt"));
    EXPECT_EQ(lastUsedSaveFolder(m_settings), QStringLiteral("/srv/files/list.txt"));
}

} // namespace
