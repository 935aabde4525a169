#pragma once

#include <QString>
#include <QStringList>

class CRegSettings;
struct FilterState;

// The file-type filter list as stored (SettingsTable::FileTypes): one text value per entry,
// numbered from 0 in list order, made of a description, " - " and the extension; the
// switch that applies the filters is SettingsTable::ApplyFilters.
class FilterStore final
{
public:
    // The text after the first " - ". An entry without the separator (only a hand-edited
    // store holds one) is taken as a bare extension and gives the whole entry.
    static QString extensionOf(const QString& entry);
    // The stored entries in stored order; empty when the section is missing or empty.
    static QStringList loadEntries(const CRegSettings& settings);
    // ExtensionOf of each entry, in order.
    static QStringList extensions(const QStringList& entries);
    // Replaces the section: deletes it, then writes the entries numbered from 0 in list order.
    static void saveEntries(CRegSettings& settings, const QStringList& entries);

    // The stored switch: a number (non-zero meaning on) or True/False; off when unreadable.
    static bool applyFiltersStored(const CRegSettings& settings);
    static void storeApplyFilters(CRegSettings& settings, bool on);

    // Start-up: ftypes from the stored entries; with entries, the menu item is enabled and
    // checked from the stored switch; without, disabled and unchecked.
    static void loadIntoState(const CRegSettings& settings, FilterState& state);
    // After the "Manage Filters" dialog closed: with filters, the check mark follows the
    // stored switch; without, it is cleared and "0" stored. Enabled exactly when ftypes is
    // not empty.
    static void refreshAfterDialog(CRegSettings& settings, FilterState& state);
    // The "Apply &filters" click: flips the check mark and stores it.
    static void toggle(CRegSettings& settings, FilterState& state);
};
