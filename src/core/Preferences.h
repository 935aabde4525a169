#pragma once

#include "core/OverwriteAction.h"

// The six user preferences of the "Program Preferences" dialog, as the main window holds
// them, the dialog edits them and the settings store keeps them.
struct Preferences {
    bool ontop = true;
    bool newwin = false;
    bool exjs = false; // leave out "javascript:" links
    bool exmt = false; // leave out "mailto" links
    bool defappend = false;
    OverwriteAction owaction = OverwriteAction::Prompt;

    bool operator==(const Preferences&) const = default;
};
