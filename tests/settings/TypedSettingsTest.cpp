#include <QSet>
#include <gtest/gtest.h>

#include "core/SettingsTable.h"
#include "settings/CRegSettings.h"
#include "settings/TypedSettings.h"
#include "support/TempSettingsStore.h"

namespace
{

// The store compares names without letter case, so two entries differing only in case
// would share one value.
TEST(TypedSettingsTest, TableEntriesAreDistinctAndDefaultsLieInTheirRange)
{
    QSet<QString> seen;
    for (const StoredSetting& setting : SettingsTable::kAll) {
        const QString name
            = (setting.section.toString() + u'\\' + setting.key.toString()).toLower();
        EXPECT_FALSE(seen.contains(name)) << qPrintable(name);
        seen.insert(name);
        if (setting.kind == SettingKind::Number) {
            EXPECT_LE(setting.minimum, setting.defaultInt()) << qPrintable(name);
            EXPECT_LE(setting.defaultInt(), setting.maximum) << qPrintable(name);
        }
        if (setting.kind == SettingKind::TrueFalse || setting.kind == SettingKind::OneZero) {
            EXPECT_TRUE(setting.defaultValue == 0 || setting.defaultValue == 1) << qPrintable(name);
        }
    }
}

TEST(TypedSettingsTest, NumbersOutOfRangeFallBackOrClampByEntry)
{
    TempSettingsStore temp;
    CRegSettings settings = temp.settings();
    struct Row {
        const StoredSetting& setting;
        const char* stored; // nullptr: nothing stored
        int expected;
    };
    const Row rows[] = {
        { SettingsTable::Retries, nullptr, 3 },
        { SettingsTable::Retries, "0", 0 },
        { SettingsTable::Retries, "10", 10 },
        { SettingsTable::Retries, "11", 3 },
        { SettingsTable::Retries, "-1", 3 },
        { SettingsTable::Retries, "many", 3 },
        { SettingsTable::SlideshowInterval, "0", 1 },
        { SettingsTable::SlideshowInterval, "500", 120 },
        { SettingsTable::SlideshowInterval, "", 4 },
    };
    for (const Row& row : rows) {
        settings.DeleteSetting(
            TypedSettings::section(row.setting), TypedSettings::key(row.setting));
        if (row.stored)
            TypedSettings::writeText(settings, row.setting, QString::fromLatin1(row.stored));
        EXPECT_EQ(TypedSettings::readInt(settings, row.setting), row.expected) << qPrintable(
            TypedSettings::key(row.setting)) << " " << (row.stored ? row.stored : "-");
    }
}

} // namespace
