#include "filters/FilterStore.h"

#include "core/FilterState.h"
#include "core/SettingsTable.h"
#include "settings/CRegSettings.h"
#include "settings/TypedSettings.h"

namespace
{

const QString kFileTypes = TypedSettings::section(SettingsTable::FileTypes);
const QString kSeparator = QStringLiteral(" - ");

} // namespace

QString FilterStore::extensionOf(const QString& entry)
{
    const qsizetype at = entry.indexOf(kSeparator);
    return at < 0 ? entry : entry.mid(at + kSeparator.size());
}

QStringList FilterStore::loadEntries(const CRegSettings& settings)
{
    QStringList entries;
    for (const auto& row : settings.GetAllSettings(kFileTypes))
        entries.append(row.second);
    return entries;
}

QStringList FilterStore::extensions(const QStringList& entries)
{
    QStringList extensions;
    extensions.reserve(entries.size());
    for (const QString& entry : entries)
        extensions.append(extensionOf(entry));
    return extensions;
}

void FilterStore::saveEntries(CRegSettings& settings, const QStringList& entries)
{
    // Rewriting from scratch makes the creation order the list order and leaves no
    // numbered key behind from a longer list. One transaction: another reader sees the
    // old list or the new one, never half of it.
    const auto batch = settings.batch();
    settings.DeleteSetting(kFileTypes, QString());
    for (qsizetype i = 0; i < entries.size(); ++i)
        settings.SaveSetting(
            kFileTypes, TypedSettings::numberedKey(SettingsTable::FileTypes, i), entries[i]);
}

bool FilterStore::applyFiltersStored(const CRegSettings& settings)
{
    // Written only as "1"/"0"; a number (non-zero = on) or True/False is accepted, and
    // anything else counts as the default, off.
    return TypedSettings::readBool(settings, SettingsTable::ApplyFilters);
}

void FilterStore::storeApplyFilters(CRegSettings& settings, bool on)
{
    TypedSettings::writeBool(settings, SettingsTable::ApplyFilters, on);
}

void FilterStore::loadIntoState(const CRegSettings& settings, FilterState& state)
{
    const QStringList entries = loadEntries(settings);
    state.ftypes = extensions(entries);
    state.appfiltEnabled = !entries.isEmpty();
    state.appfiltChecked = !entries.isEmpty() && applyFiltersStored(settings);
}

void FilterStore::refreshAfterDialog(CRegSettings& settings, FilterState& state)
{
    if (!state.ftypes.isEmpty()) {
        state.appfiltChecked = applyFiltersStored(settings);
    } else {
        state.appfiltChecked = false;
        storeApplyFilters(settings, false);
    }
    state.appfiltEnabled = !state.ftypes.isEmpty();
}

void FilterStore::toggle(CRegSettings& settings, FilterState& state)
{
    state.appfiltChecked = !state.appfiltChecked;
    storeApplyFilters(settings, state.appfiltChecked);
}
