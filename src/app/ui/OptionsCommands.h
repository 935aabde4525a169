#pragma once

#include "core/HarvestScope.h"

class CRegSettings;
class IUserPrompt;
class QAction;
class TopmostBand;
struct MainState;

// The Options menu: the preferences dialog, the "Apply filters" switch, the filter list's
// dialog and what a page harvest collects, each stored at once; the items show the state.
class OptionsCommands final
{
public:
    OptionsCommands(MainState& state, IUserPrompt& prompt, CRegSettings& regset, TopmostBand& band,
        QAction& applyFilters);

    void editPreferences();
    void toggleFilters();
    void manageFilters();
    // The "Apply filters" item checked and enabled as the filter state says.
    void showFilterState();

    // The items of what a harvest collects and of its switches.
    struct HarvestActions {
        QAction* links = nullptr;
        QAction* media = nullptr;
        QAction* both = nullptr;
        QAction* scroll = nullptr;
        QAction* linkedFullSize = nullptr;
        QAction* engine = nullptr;
    };
    void setHarvestActions(const HarvestActions& actions) { m_harvestActions = actions; }
    void setCollect(HarvestCollect collect);
    void toggleScroll();
    void toggleLinkedFullSize();
    void toggleEngine();
    // The items checked as the harvest scope says.
    void showHarvestScope();

private:
    MainState& m_state;
    IUserPrompt& m_prompt;
    CRegSettings& m_regset;
    TopmostBand& m_band;
    QAction& m_applyFilters;
    HarvestActions m_harvestActions;
};
