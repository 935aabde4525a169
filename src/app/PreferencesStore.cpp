#include "app/PreferencesStore.h"

#include <utility>

#include "core/SettingsTable.h"
#include "settings/CRegSettings.h"
#include "settings/TypedSettings.h"

using namespace SettingsTable;

Preferences loadPreferences(const CRegSettings& settings)
{
    Preferences prefs;
    // Only the four actions exist; anything else would leave the downloader without a rule,
    // so an action out of range reads as the default.
    prefs.owaction
        = storedOverwriteAction(TypedSettings::readInt(settings, OverwriteActionSetting));
    prefs.ontop = TypedSettings::readBool(settings, OnTop);
    prefs.newwin = TypedSettings::readBool(settings, NewWindow);
    prefs.exjs = TypedSettings::readBool(settings, ExcludeJsLinks);
    prefs.exmt = TypedSettings::readBool(settings, ExcludeMailtoLinks);
    prefs.defappend = TypedSettings::readBool(settings, DefaultAppend);
    prefs.aria2Url = TypedSettings::readText(settings, Aria2Url);
    prefs.aria2Secret = TypedSettings::readText(settings, Aria2Secret);
    prefs.serverNames = TypedSettings::readBool(settings, UseServerNames);
    if (const QString mask = TypedSettings::readText(settings, FileNameMask); !mask.isEmpty())
        prefs.nameMask = mask;
    prefs.portableNames = TypedSettings::readBool(settings, PortableNames);
    prefs.stopAtFailure = TypedSettings::readBool(settings, StopAtFailure);
    prefs.atOnce = TypedSettings::readInt(settings, DownloadsAtOnce);
    prefs.perHost = TypedSettings::readInt(settings, PerHost);
    prefs.rateLimit = TypedSettings::readInt(settings, RateLimit);
    return prefs;
}

void savePreferences(CRegSettings& settings, const Preferences& prefs)
{
    const auto batch = settings.batch();
    TypedSettings::writeBool(settings, OnTop, prefs.ontop);
    TypedSettings::writeBool(settings, NewWindow, prefs.newwin);
    TypedSettings::writeBool(settings, ExcludeJsLinks, prefs.exjs);
    TypedSettings::writeBool(settings, ExcludeMailtoLinks, prefs.exmt);
    TypedSettings::writeBool(settings, DefaultAppend, prefs.defappend);
    TypedSettings::writeInt(settings, OverwriteActionSetting, overwriteActionIndex(prefs.owaction));
    // The daemon's address and secret are written only when they change, so a store
    // that never named a daemon keeps no empty values for it.
    for (const auto& [setting, text] : { std::pair { Aria2Url, &prefs.aria2Url },
             std::pair { Aria2Secret, &prefs.aria2Secret } }) {
        if (TypedSettings::readText(settings, setting) != *text)
            TypedSettings::writeText(settings, setting, *text);
    }
    TypedSettings::writeBool(settings, UseServerNames, prefs.serverNames);
    TypedSettings::writeText(settings, FileNameMask, prefs.nameMask);
    TypedSettings::writeInt(settings, DownloadsAtOnce, prefs.atOnce);
    TypedSettings::writeInt(settings, PerHost, prefs.perHost);
    TypedSettings::writeInt(settings, RateLimit, prefs.rateLimit);
    TypedSettings::writeBool(settings, PortableNames, prefs.portableNames);
    TypedSettings::writeBool(settings, StopAtFailure, prefs.stopAtFailure);
}

QString lastUsedSaveFolder(const CRegSettings& settings)
{
    return TypedSettings::readText(settings, LastUsedSaveFolder);
}

void setLastUsedSaveFolder(CRegSettings& settings, const QString& path)
{
    TypedSettings::writeText(settings, LastUsedSaveFolder, path);
}

QString lastExportFolder(const CRegSettings& settings)
{
    return TypedSettings::readText(settings, LastExportFolder);
}

void setLastExportFolder(CRegSettings& settings, const QString& folder)
{
    TypedSettings::writeText(settings, LastExportFolder, folder);
}
