#include <gtest/gtest.h>
#include <memory>

#include "core/FilterState.h"
#include "filters/FilterListEditor.h"
#include "filters/FilterStore.h"
#include "settings/CRegSettings.h"
#include "support/TempSettingsStore.h"

namespace
{

TEST(FilterListEditorTest, DuplicateExtensionsAreRefused)
{
    struct Row {
        const char* description;
        const char* extension;
        const char* refused; // nullptr: added
    };
    const Row rows[] = {
        { "Photos", "jpg", "jpg" }, // same extension, other description
        { "Pictures", "JPG", nullptr }, // the comparison is case-sensitive
        { "Pictures", "jpg ", nullptr }, // typed text is not trimmed
        { "Anything", "zip", "zip" },
        { "A - B", "c", nullptr }, // stored as "A - B - c", extension "B - c"
        { "X - B", "c", "B - c" }, // the same first-separator rule finds it
        { "Dotted", ".jpg", nullptr }, // the dot is accepted as typed
    };
    FilterListEditor editor({ QStringLiteral("Pictures - jpg"), QStringLiteral("Archives - zip") });
    QStringList expected = editor.entries();
    for (const Row& row : rows) {
        const QString description = QString::fromLatin1(row.description);
        const QString extension = QString::fromLatin1(row.extension);
        const auto refused = editor.add(description, extension);
        if (row.refused) {
            EXPECT_EQ(refused, QString::fromLatin1(row.refused)) << row.description;
        } else {
            EXPECT_FALSE(refused.has_value()) << row.description;
            expected.append(description + QStringLiteral(" - ") + extension);
        }
        EXPECT_EQ(editor.entries(), expected) << row.description;
    }
}

TEST(FilterListEditorTest, MessagesAndAddAvailability)
{
    EXPECT_EQ(FilterListEditor::duplicateMessage(QStringLiteral("jpg")),
        QStringLiteral("You already have the type \"jpg\" in the list."));
    FilterListEditor editor({});
    EXPECT_TRUE(editor.canAdd(QStringLiteral("d"), QStringLiteral("e")));
    EXPECT_FALSE(editor.canAdd(QString(), QStringLiteral("e")));
    EXPECT_FALSE(editor.canAdd(QStringLiteral("d"), QString()));
    EXPECT_TRUE(editor.canAdd(QStringLiteral(" "), QStringLiteral(" ")));
}

class FilterListEditorSaveTest : public ::testing::Test
{
protected:
    TempSettingsStore m_temp;
    CRegSettings m_settings = m_temp.settings();
    const QStringList m_four { QStringLiteral("One - a"), QStringLiteral("Two - b"),
        QStringLiteral("Three - c"), QStringLiteral("Four - d") };
};

TEST_F(FilterListEditorSaveTest, DeletingTheSecondOfFourRenumbers)
{
    FilterStore::saveEntries(m_settings, m_four);
    FilterListEditor editor(FilterStore::loadEntries(m_settings));
    editor.remove(1);
    editor.remove(7);
    editor.remove(-1);
    FilterState state;
    editor.save(m_settings, state);

    const QList<QPair<QString, QString>> expected {
        { QStringLiteral("Type 0"), QStringLiteral("One - a") },
        { QStringLiteral("Type 1"), QStringLiteral("Three - c") },
        { QStringLiteral("Type 2"), QStringLiteral("Four - d") },
    };
    EXPECT_EQ(m_settings.GetAllSettings(QStringLiteral("File Types")), expected);
    EXPECT_EQ(m_settings.GetSetting(
                  QStringLiteral("File Types"), QStringLiteral("Type 3"), QStringLiteral("<none>")),
        QStringLiteral("<none>"));
    EXPECT_EQ(state.ftypes,
        (QStringList { QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("d") }));
}

TEST_F(FilterListEditorSaveTest, SavingAnEmptyListSwitchesFilteringOff)
{
    FilterStore::saveEntries(m_settings, m_four);
    FilterStore::storeApplyFilters(m_settings, true);
    FilterState state;
    FilterStore::loadIntoState(m_settings, state);
    ASSERT_TRUE(state.appfiltChecked);

    FilterListEditor editor(FilterStore::loadEntries(m_settings));
    for (int i = 0; i < m_four.size(); ++i)
        editor.remove(0);
    editor.save(m_settings, state);
    FilterStore::refreshAfterDialog(m_settings, state);

    EXPECT_TRUE(state.ftypes.isEmpty());
    EXPECT_FALSE(state.appfiltChecked);
    EXPECT_FALSE(state.appfiltEnabled);
    EXPECT_TRUE(m_settings.GetAllSettings(QStringLiteral("File Types")).isEmpty());
    EXPECT_EQ(m_settings.GetSetting(
                  QStringLiteral("Filters"), QStringLiteral("Apply Filters"), QString()),
        QStringLiteral("0"));
}

TEST_F(FilterListEditorSaveTest, AnEditorThatIsNotSavedChangesNothing)
{
    FilterStore::saveEntries(m_settings, m_four);
    FilterState state;
    FilterStore::loadIntoState(m_settings, state);
    {
        FilterListEditor editor(FilterStore::loadEntries(m_settings));
        editor.add(QStringLiteral("Five"), QStringLiteral("e"));
        editor.remove(0);
    }
    EXPECT_EQ(FilterStore::loadEntries(m_settings), m_four);
    EXPECT_EQ(state.ftypes, FilterStore::extensions(m_four));
}

} // namespace
