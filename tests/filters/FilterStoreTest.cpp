#include <gtest/gtest.h>
#include <memory>

#include "core/FilterState.h"
#include "filters/FilterStore.h"
#include "settings/CRegSettings.h"
#include "support/TempSettingsStore.h"

namespace
{

class FilterStoreTest : public ::testing::Test
{
protected:
    TempSettingsStore m_temp;
    CRegSettings m_settings = m_temp.settings();

    QList<QPair<QString, QString>> storedTypes() const
    {
        return m_settings.GetAllSettings(QStringLiteral("File Types"));
    }
    QString storedApply() const
    {
        return m_settings.GetSetting(
            QStringLiteral("Filters"), QStringLiteral("Apply Filters"), QStringLiteral("<absent>"));
    }
};

TEST(FilterStoreExtension, SplitsAtTheFirstSeparator)
{
    struct Row {
        const char* entry;
        const char* extension;
    };
    const Row rows[] = {
        { "Images - jpg", "jpg" },
        { "Archive - tar - gz", "tar - gz" },
        { "A - B - c", "B - c" },
        { "Dotted - .jpg", ".jpg" },
        { "Hyphen-only - x-y", "x-y" },
        { "Empty - ", "" },
        { " - raw", "raw" },
        // Without the separator the whole entry is the extension.
        { "jpg", "jpg" },
        { "Images -jpg", "Images -jpg" },
    };
    for (const Row& row : rows)
        EXPECT_EQ(FilterStore::extensionOf(QString::fromLatin1(row.entry)),
            QString::fromLatin1(row.extension))
            << row.entry;
}

TEST_F(FilterStoreTest, EntriesRoundTripInListOrder)
{
    const QStringList entries { QStringLiteral("Pictures - jpg"), QStringLiteral("Archives - zip"),
        QStringLiteral("A - B - c") };
    FilterStore::saveEntries(m_settings, entries);
    const QList<QPair<QString, QString>> expected {
        { QStringLiteral("Type 0"), entries[0] },
        { QStringLiteral("Type 1"), entries[1] },
        { QStringLiteral("Type 2"), entries[2] },
    };
    EXPECT_EQ(storedTypes(), expected);
    EXPECT_EQ(FilterStore::loadEntries(m_settings), entries);
    EXPECT_EQ(FilterStore::extensions(entries),
        (QStringList { QStringLiteral("jpg"), QStringLiteral("zip"), QStringLiteral("B - c") }));

    // A shorter list leaves no numbered key behind.
    FilterStore::saveEntries(m_settings, { entries[2] });
    EXPECT_EQ(storedTypes(),
        (QList<QPair<QString, QString>> { { QStringLiteral("Type 0"), entries[2] } }));
}

TEST_F(FilterStoreTest, StartUpState)
{
    struct Row {
        const char* name;
        QStringList entries;
        const char* apply; // nullptr: not stored
        bool checked;
        bool enabled;
    };
    const QStringList two { QStringLiteral("Pictures - jpg"), QStringLiteral("Archives - zip") };
    const Row rows[] = {
        { "fresh store", {}, nullptr, false, false },
        { "no types but switch on", {}, "1", false, false },
        { "types, switch on", two, "1", true, true },
        { "types, switch off", two, "0", false, true },
        { "types, switch missing", two, nullptr, false, true },
        { "types, any non-zero number", two, "-2", true, true },
        { "types, unreadable switch", two, "yes", false, true },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m_settings.DeleteSetting(QStringLiteral("Filters"), QString());
        FilterStore::saveEntries(m_settings, row.entries);
        if (row.apply)
            m_settings.SaveSetting(QStringLiteral("Filters"), QStringLiteral("Apply Filters"),
                QString::fromLatin1(row.apply));
        FilterState state;
        state.ftypes = QStringList { QStringLiteral("stale") };
        state.appfiltChecked = true;
        FilterStore::loadIntoState(m_settings, state);
        EXPECT_EQ(state.ftypes, FilterStore::extensions(row.entries));
        EXPECT_EQ(state.appfiltChecked, row.checked);
        EXPECT_EQ(state.appfiltEnabled, row.enabled);
    }
}

TEST_F(FilterStoreTest, ToggleStoresAndSurvivesARestart)
{
    FilterStore::saveEntries(m_settings, { QStringLiteral("Pictures - jpg") });
    FilterState state;
    FilterStore::loadIntoState(m_settings, state);
    ASSERT_FALSE(state.appfiltChecked);

    FilterStore::toggle(m_settings, state);
    EXPECT_TRUE(state.appfiltChecked);
    EXPECT_EQ(storedApply(), QStringLiteral("1"));
    FilterState restarted;
    FilterStore::loadIntoState(m_settings, restarted);
    EXPECT_TRUE(restarted.appfiltChecked);
    EXPECT_TRUE(restarted.filterActive());

    FilterStore::toggle(m_settings, state);
    EXPECT_FALSE(state.appfiltChecked);
    EXPECT_EQ(storedApply(), QStringLiteral("0"));
}

TEST_F(FilterStoreTest, RefreshAfterDialog)
{
    // With filters the check mark follows the store; without, it is cleared and "0" stored.
    FilterState state;
    state.ftypes = QStringList { QStringLiteral("jpg") };
    FilterStore::storeApplyFilters(m_settings, true);
    FilterStore::refreshAfterDialog(m_settings, state);
    EXPECT_TRUE(state.appfiltChecked);
    EXPECT_TRUE(state.appfiltEnabled);

    state.ftypes.clear();
    FilterStore::refreshAfterDialog(m_settings, state);
    EXPECT_FALSE(state.appfiltChecked);
    EXPECT_FALSE(state.appfiltEnabled);
    EXPECT_EQ(storedApply(), QStringLiteral("0"));
}

} // namespace
