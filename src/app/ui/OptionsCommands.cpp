#include "app/ui/OptionsCommands.h"

#include <QAction>

#include "app/PreferencesStore.h"
#include "app/ui/TopmostBand.h"
#include "core/IUserPrompt.h"
#include "core/MainState.h"
#include "filters/FilterListEditor.h"
#include "filters/FilterStore.h"
#include "filters/HarvestScopeStore.h"

OptionsCommands::OptionsCommands(MainState& state, IUserPrompt& prompt, CRegSettings& regset,
    TopmostBand& band, QAction& applyFilters)
    : m_state(state)
    , m_prompt(prompt)
    , m_regset(regset)
    , m_band(band)
    , m_applyFilters(applyFilters)
{
}

void OptionsCommands::editPreferences()
{
    // The dialog's end would return the window to the band of the old value; the band is
    // applied once, below, with the value the user chose.
    m_band.setHeld(true);
    const std::optional<Preferences> edited = m_prompt.editPreferences(m_state.prefs);
    m_band.setHeld(false);
    if (edited) {
        savePreferences(m_regset, *edited);
        m_state.prefs = *edited;
    }
    m_band.restore(m_state.prefs.ontop);
}

void OptionsCommands::toggleFilters()
{
    FilterStore::toggle(m_regset, m_state.filters);
    showFilterState();
}

void OptionsCommands::manageFilters()
{
    const std::optional<QStringList> entries
        = m_prompt.manageFilters(FilterStore::loadEntries(m_regset));
    if (entries) {
        FilterListEditor editor(*entries);
        editor.save(m_regset, m_state.filters);
    }
    FilterStore::refreshAfterDialog(m_regset, m_state.filters);
    showFilterState();
}

void OptionsCommands::showFilterState()
{
    m_applyFilters.setChecked(m_state.filters.appfiltChecked);
    m_applyFilters.setEnabled(m_state.filters.appfiltEnabled);
}

void OptionsCommands::setCollect(HarvestCollect collect)
{
    m_state.filters.harvest.collect = collect;
    HarvestScopeStore::storeCollect(m_regset, collect);
    showHarvestScope();
}

void OptionsCommands::toggleScroll()
{
    m_state.filters.harvest.scroll = !m_state.filters.harvest.scroll;
    HarvestScopeStore::storeScroll(m_regset, m_state.filters.harvest.scroll);
    showHarvestScope();
}

void OptionsCommands::toggleLinkedFullSize()
{
    bool& on = m_state.filters.harvest.linkedFullSize;
    on = !on;
    HarvestScopeStore::storeLinkedFullSize(m_regset, on);
    showHarvestScope();
}

void OptionsCommands::toggleEngine()
{
    m_state.filters.harvest.engine = !m_state.filters.harvest.engine;
    HarvestScopeStore::storeEngine(m_regset, m_state.filters.harvest.engine);
    showHarvestScope();
}

void OptionsCommands::showHarvestScope()
{
    const HarvestScope& scope = m_state.filters.harvest;
    const auto check = [](QAction* item, bool on) {
        if (item)
            item->setChecked(on);
    };
    check(m_harvestActions.links, scope.collect == HarvestCollect::Links);
    check(m_harvestActions.media, scope.collect == HarvestCollect::Media);
    check(m_harvestActions.both, scope.collect == HarvestCollect::Both);
    check(m_harvestActions.scroll, scope.scroll);
    check(m_harvestActions.linkedFullSize, scope.linkedFullSize);
    check(m_harvestActions.engine, scope.engine);
}
