#pragma once

#include <QString>

#include "core/DialogRequests.h"

class CRegSettings;

// The six preferences as the main window loads them at start and the "Program
// Preferences" dialog saves them (keys and defaults: SettingsTable). A stored value that
// cannot be read as its kind (for example "yes" for a Boolean, or an overwrite action
// outside 0 to 3) reads as that key's default.
Preferences loadPreferences(const CRegSettings& settings);

// Stores the preferences in the dialog's Save order, each in its entry's form, the
// overwrite action last, then the aria2 daemon's address and secret where they changed.
// Write failures are not reported.
void savePreferences(CRegSettings& settings, const Preferences& prefs);

// The last folder chosen for saving. When nothing is stored this is the user's download
// folder (or the home folder when that does not exist).
QString lastUsedSaveFolder(const CRegSettings& settings);
void setLastUsedSaveFolder(CRegSettings& settings, const QString& path);
// The folder "Export list..." starts in, kept apart from the one above.
QString lastExportFolder(const CRegSettings& settings);
void setLastExportFolder(CRegSettings& settings, const QString& folder);
