#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include "settings/CRegSettings.h"
#include "support/TempSettingsStore.h"

namespace
{

const QString kOptionsPath = QStringLiteral("Software\\Corvid Lantern\\Quillmarch\\Options");

class CRegSettingsTest : public ::testing::Test
{
protected:
    TempSettingsStore m_temp;
    std::shared_ptr<SqliteRegistryStore> m_store = m_temp.store();
    CRegSettings m_settings = m_temp.settings();
};

TEST_F(CRegSettingsTest, SavedTextIsStoredWithOneTerminatorAndReadBack)
{
    ASSERT_TRUE(m_store->isOpen());
    EXPECT_TRUE(m_settings.SaveSetting(
        QStringLiteral("Options"), QStringLiteral("On Top"), QStringLiteral("False")));
    EXPECT_EQ(m_settings.GetSetting(
                  QStringLiteral("Options"), QStringLiteral("On Top"), QStringLiteral("True")),
        QStringLiteral("False"));

    const auto raw = m_store->readValue(kOptionsPath, QStringLiteral("On Top"));
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->type, RegValueType::Text);
    EXPECT_EQ(raw->data, QByteArray("False\0", 6));
}

TEST_F(CRegSettingsTest, EmptyTextAndZeroLengthValueAreDifferent)
{
    // An empty text is one terminator and reads as ""; a zero-length value reads as the
    // default.
    m_settings.SaveSetting(QStringLiteral("Options"), QStringLiteral("Empty"), QString());
    EXPECT_EQ(m_store->readValue(kOptionsPath, QStringLiteral("Empty"))->data, QByteArray("\0", 1));
    EXPECT_EQ(m_settings.GetSetting(
                  QStringLiteral("Options"), QStringLiteral("Empty"), QStringLiteral("dflt")),
        QString());

    ASSERT_TRUE(m_store->writeValue(
        kOptionsPath, RegValue { QStringLiteral("Zero"), RegValueType::Text, QByteArray() }));
    EXPECT_EQ(m_settings.GetSetting(
                  QStringLiteral("Options"), QStringLiteral("Zero"), QStringLiteral("dflt")),
        QStringLiteral("dflt"));
    // Listed all the same, with an empty text.
    const auto all = m_settings.GetAllSettings(QStringLiteral("Options"));
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(all[1], qMakePair(QStringLiteral("Zero"), QString()));
}

TEST_F(CRegSettingsTest, MissingSectionGivesDefaultAndCreatesNothing)
{
    EXPECT_EQ(m_settings.GetSetting(
                  QStringLiteral("Nowhere"), QStringLiteral("Key"), QStringLiteral("fallback")),
        QStringLiteral("fallback"));
    EXPECT_FALSE(m_store->sectionExists(m_settings.keyPath(QStringLiteral("Nowhere"))));
    EXPECT_TRUE(m_settings.GetAllSettings(QStringLiteral("Nowhere")).isEmpty());
    EXPECT_FALSE(m_settings.DeleteSetting(QStringLiteral("Nowhere"), QStringLiteral("Key")));
    EXPECT_FALSE(m_settings.DeleteSetting(QStringLiteral("Nowhere"), QString()));
}

TEST_F(CRegSettingsTest, AsteriskAddressesTheUnnamedValue)
{
    m_settings.SaveSetting(QStringLiteral("Options"), QStringLiteral("*"), QStringLiteral("dv"));
    const auto raw = m_store->readValue(kOptionsPath, QString());
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->data, QByteArray("dv\0", 3));
    EXPECT_FALSE(m_store->readValue(kOptionsPath, QStringLiteral("*")).has_value());
    EXPECT_EQ(m_settings.GetSetting(QStringLiteral("Options"), QStringLiteral("*"), QString()),
        QStringLiteral("dv"));
    EXPECT_TRUE(m_settings.DeleteSetting(QStringLiteral("Options"), QStringLiteral("*")));
    EXPECT_EQ(m_settings.GetSetting(
                  QStringLiteral("Options"), QStringLiteral("*"), QStringLiteral("gone")),
        QStringLiteral("gone"));
}

TEST_F(CRegSettingsTest, GetAllSettingsKeepsTextValuesInCreationOrder)
{
    const QString path = m_settings.keyPath(QStringLiteral("Mixed"));
    m_settings.SaveSetting(QStringLiteral("Mixed"), QStringLiteral("First"), QStringLiteral("1st"));
    ASSERT_TRUE(m_store->writeValue(path, RegValue::number(QStringLiteral("Count"), 7)));
    m_settings.SaveSetting(
        QStringLiteral("Mixed"), QStringLiteral("Second"), QStringLiteral("2nd"));
    // Rewriting a value keeps its place.
    m_settings.SaveSetting(QStringLiteral("Mixed"), QStringLiteral("First"), QStringLiteral("one"));

    const QList<QPair<QString, QString>> expected { { QStringLiteral("First"),
                                                        QStringLiteral("one") },
        { QStringLiteral("Second"), QStringLiteral("2nd") } };
    EXPECT_EQ(m_settings.GetAllSettings(QStringLiteral("Mixed")), expected);

    // A section with only non-text values, or none, gives the empty result.
    ASSERT_TRUE(m_store->writeValue(
        m_settings.keyPath(QStringLiteral("Numbers")), RegValue::number(QStringLiteral("N"), 1)));
    EXPECT_TRUE(m_settings.GetAllSettings(QStringLiteral("Numbers")).isEmpty());
    ASSERT_TRUE(m_store->createSection(m_settings.keyPath(QStringLiteral("Empty"))));
    EXPECT_TRUE(m_settings.GetAllSettings(QStringLiteral("Empty")).isEmpty());
}

TEST_F(CRegSettingsTest, DeleteRemovesOneValueOrTheWholeSection)
{
    m_settings.SaveSetting(
        QStringLiteral("File Types"), QStringLiteral("Type 0"), QStringLiteral("a - b"));
    m_settings.SaveSetting(
        QStringLiteral("File Types"), QStringLiteral("Type 1"), QStringLiteral("c - d"));
    m_settings.SaveSetting(
        QStringLiteral("Options"), QStringLiteral("On Top"), QStringLiteral("True"));

    EXPECT_TRUE(m_settings.DeleteSetting(QStringLiteral("File Types"), QStringLiteral("Type 0")));
    EXPECT_FALSE(m_settings.DeleteSetting(QStringLiteral("File Types"), QStringLiteral("Type 0")));
    EXPECT_EQ(m_settings.GetAllSettings(QStringLiteral("File Types")).size(), 1);

    EXPECT_TRUE(m_settings.DeleteSetting(QStringLiteral("File Types"), QString()));
    EXPECT_TRUE(m_settings.GetAllSettings(QStringLiteral("File Types")).isEmpty());
    EXPECT_FALSE(m_store->sectionExists(m_settings.keyPath(QStringLiteral("File Types"))));
    // Neighbours are untouched, and the application key itself is never deleted.
    EXPECT_EQ(m_settings.GetSetting(QStringLiteral("Options"), QStringLiteral("On Top"), QString()),
        QStringLiteral("True"));
    EXPECT_FALSE(m_settings.DeleteSetting(QString(), QString()));
    EXPECT_TRUE(m_store->sectionExists(m_settings.keyPath(QString())));
}

TEST_F(CRegSettingsTest, EmptySectionAddressesTheApplicationKey)
{
    EXPECT_EQ(
        m_settings.keyPath(QString()), QStringLiteral("Software\\Corvid Lantern\\Quillmarch"));
    EXPECT_EQ(m_settings.keyPath(QStringLiteral("Options")), kOptionsPath);
    m_settings.SaveSetting(QString(), QStringLiteral("Top"), QStringLiteral("level"));
    EXPECT_EQ(m_store
                  ->readValue(
                      QStringLiteral("Software\\Corvid Lantern\\Quillmarch"), QStringLiteral("Top"))
                  ->data,
        QByteArray("level\0", 6));
}

TEST_F(CRegSettingsTest, CompanyAndAppNameAreTrimmedAndDefaulted)
{
    struct Row {
        const char* input;
        const char* company;
        const char* appName;
    };
    const Row rows[] = {
        { "  Acme Ltd \t", "Acme Ltd", "Acme Ltd" },
        { "", "Corvid Lantern", "Quillmarch" },
        { "   ", "Corvid Lantern", "Quillmarch" },
        { "Plain", "Plain", "Plain" },
    };
    for (const Row& row : rows) {
        CRegSettings settings(m_store);
        settings.setCompany(QStringLiteral("Other"));
        settings.setAppName(QStringLiteral("Other"));
        settings.setCompany(QString::fromUtf8(row.input));
        settings.setAppName(QString::fromUtf8(row.input));
        EXPECT_EQ(settings.Company(), QString::fromUtf8(row.company)) << row.input;
        EXPECT_EQ(settings.AppName(), QString::fromUtf8(row.appName)) << row.input;
    }
    CRegSettings other(m_store);
    other.setCompany(QStringLiteral(" Acme "));
    other.SaveSetting(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v"));
    EXPECT_TRUE(m_store->sectionExists(QStringLiteral("Software\\Acme\\Quillmarch\\S")));
    EXPECT_EQ(m_settings.GetSetting(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("no")),
        QStringLiteral("no"));
}

TEST_F(CRegSettingsTest, SeveralObjectsSeeTheLatestWrite)
{
    CRegSettings dialog = CRegSettings::forQuillmarch(
        std::make_shared<SqliteRegistryStore>(m_store->databasePath()));
    m_settings.SaveSetting(
        QStringLiteral("slideshow"), QStringLiteral("Interval"), QStringLiteral("4"));
    EXPECT_EQ(dialog.GetSetting(QStringLiteral("slideshow"), QStringLiteral("Interval"), QString()),
        QStringLiteral("4"));
    dialog.SaveSetting(
        QStringLiteral("slideshow"), QStringLiteral("Interval"), QStringLiteral("9"));
    EXPECT_EQ(
        m_settings.GetSetting(QStringLiteral("slideshow"), QStringLiteral("Interval"), QString()),
        QStringLiteral("9"));
}

TEST_F(CRegSettingsTest, NonAsciiTextRoundTrips)
{
    const QString folder = QStringLiteral("/home/zoë/Bücher – 下载");
    m_settings.SaveSetting(
        QStringLiteral("Options"), QStringLiteral("Last Used Save Folder"), folder);
    EXPECT_EQ(m_settings.GetSetting(
                  QStringLiteral("Options"), QStringLiteral("Last Used Save Folder"), QString()),
        folder);
}

TEST(CRegSettingsUnavailableStore, FailsQuietly)
{
    // The store's folder is a plain file, so the database can never be created.
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("notadir")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto store = std::make_shared<SqliteRegistryStore>(
        dir.filePath(QStringLiteral("notadir/registry.sqlite3")));
    CRegSettings settings = CRegSettings::forQuillmarch(store);

    EXPECT_FALSE(settings.SaveSetting(
        QStringLiteral("Options"), QStringLiteral("On Top"), QStringLiteral("False")));
    EXPECT_EQ(settings.GetSetting(
                  QStringLiteral("Options"), QStringLiteral("On Top"), QStringLiteral("True")),
        QStringLiteral("True"));
    EXPECT_TRUE(settings.GetAllSettings(QStringLiteral("Options")).isEmpty());
    EXPECT_FALSE(settings.DeleteSetting(QStringLiteral("Options"), QString()));
    EXPECT_TRUE(store->recoveryNotice().isEmpty());

    CRegSettings noStore(nullptr);
    EXPECT_FALSE(
        noStore.SaveSetting(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")));
    EXPECT_EQ(noStore.GetSetting(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("d")),
        QStringLiteral("d"));
}

} // namespace
