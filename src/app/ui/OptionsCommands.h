#pragma once

class CRegSettings;
class IUserPrompt;
class QAction;
class TopmostBand;
struct MainState;

// The Options menu: the preferences dialog, the "Apply filters" switch and the filter
// list's dialog, each stored at once; the switch's item shows the filter state.
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

private:
    MainState& m_state;
    IUserPrompt& m_prompt;
    CRegSettings& m_regset;
    TopmostBand& m_band;
    QAction& m_applyFilters;
};
