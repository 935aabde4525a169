#pragma once

#include <QString>

#include "core/DialogRequests.h"

class CRegSettings;

// The six preferences of section "Options" as the main window loads them at start and
// the "Program Preferences" dialog saves them. A stored value that cannot be read as its
// kind (for example "yes" for a Boolean, or an "Overwrite Action" outside 0 to 3) reads
// as that key's default.
Preferences loadPreferences(const CRegSettings& settings);

// Stores the preferences in the dialog's Save order: "On Top" "True"/"False", "New Window"
// "1"/"0", "Exclude JS Links", "Exclude Mailto Links", "Default Append" "True"/"False",
// then "Overwrite Action" in decimal. Write failures are not reported.
void savePreferences(CRegSettings& settings, const Preferences& prefs);

// "Options"/"Last Used Save Folder". When nothing is stored this is the user's download
// folder (or the home folder when there is none): the program's own folder is not
// writable for the user on Linux.
QString lastUsedSaveFolder(const CRegSettings& settings);
void setLastUsedSaveFolder(CRegSettings& settings, const QString& path);
