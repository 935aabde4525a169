#include "app/PreferencesStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "settings/CRegSettings.h"
#include "settings/TextConversions.h"

namespace
{

const QString kOptions = QStringLiteral("Options");

bool readBool(const CRegSettings& settings, const QString& key, bool fallback)
{
    const QString stored = settings.GetSetting(
        kOptions, key, fallback ? QStringLiteral("True") : QStringLiteral("0"));
    return textToBoolOr(stored, fallback);
}

QString boolText(bool on)
{
    return on ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace

Preferences loadPreferences(const CRegSettings& settings)
{
    Preferences prefs;
    // Only the four actions exist; anything else would leave the downloader without a rule.
    const int stored = textToIntOr(
        settings.GetSetting(kOptions, QStringLiteral("Overwrite Action"), QStringLiteral("0")), 0);
    prefs.owaction = overwriteActionAt(stored).value_or(OverwriteAction::Prompt);
    prefs.ontop = readBool(settings, QStringLiteral("On Top"), true);
    prefs.newwin = readBool(settings, QStringLiteral("New Window"), false);
    prefs.exjs = readBool(settings, QStringLiteral("Exclude JS Links"), false);
    prefs.exmt = readBool(settings, QStringLiteral("Exclude Mailto Links"), false);
    prefs.defappend = readBool(settings, QStringLiteral("Default Append"), false);
    return prefs;
}

void savePreferences(CRegSettings& settings, const Preferences& prefs)
{
    const auto batch = settings.batch();
    settings.SaveSetting(kOptions, QStringLiteral("On Top"), boolText(prefs.ontop));
    settings.SaveSetting(kOptions, QStringLiteral("New Window"),
        prefs.newwin ? QStringLiteral("1") : QStringLiteral("0"));
    settings.SaveSetting(kOptions, QStringLiteral("Exclude JS Links"), boolText(prefs.exjs));
    settings.SaveSetting(kOptions, QStringLiteral("Exclude Mailto Links"), boolText(prefs.exmt));
    settings.SaveSetting(kOptions, QStringLiteral("Default Append"), boolText(prefs.defappend));
    settings.SaveSetting(kOptions, QStringLiteral("Overwrite Action"),
        QString::number(overwriteActionIndex(prefs.owaction)));
}

QString lastUsedSaveFolder(const CRegSettings& settings)
{
    // The user's download folder (XDG_DOWNLOAD_DIR of ~/.config/user-dirs.dirs, else
    // ~/Downloads) when it exists; a picker opened on a missing folder would show the
    // current one instead.
    QString fallback = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (fallback.isEmpty() || !QFileInfo(fallback).isDir())
        fallback = QDir::homePath();
    return settings.GetSetting(kOptions, QStringLiteral("Last Used Save Folder"), fallback);
}

void setLastUsedSaveFolder(CRegSettings& settings, const QString& path)
{
    settings.SaveSetting(kOptions, QStringLiteral("Last Used Save Folder"), path);
}
