#pragma once

#include "core/FilterState.h"
#include "core/NavigationState.h"
#include "core/Preferences.h"
#include "core/SearchState.h"
#include "core/WindowState.h"

// The main window's shared members in small groups, so that each builder, dialog and
// command takes only the groups it reads or writes.
struct MainState {
    Preferences prefs;
    FilterState filters;
    SearchState search;
    // The last answer to "Select Desired Action": append to the list (true) or replace it.
    bool append = false;
    NavigationState nav;
    WindowState window;
};
