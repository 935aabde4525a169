#pragma once

#include <QString>

// Where the program keeps its browser profile: $XDG_DATA_HOME/quillmarch (cookies,
// sign-ins, storage) and $XDG_CACHE_HOME/quillmarch (the HTTP cache), under the
// program's own name. Earlier versions kept the profile in a folder named after the
// maker; adopt() moves it once so sign-ins survive the change.
class ProfileFolders final
{
public:
    static QString dataFolder();
    static QString cacheFolder();
    // The browser engine's cookie database in the windows' profile (may not exist yet).
    static QString cookieDatabase();

    // Moves the profile folder from legacy to current when legacy exists and current
    // does not, creating current's parent; removes legacy's parent when that leaves it
    // empty. False when the move failed (both stay as they were).
    static bool adopt(const QString& legacy, const QString& current);
    // adopt() for this user's browser profile, from where the maker-named layout kept it;
    // then makes the data folder readable by its owner only (it holds cookies).
    static void adoptBrowserProfile();
};
