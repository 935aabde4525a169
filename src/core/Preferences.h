#pragma once

#include <QString>

#include "core/OverwriteAction.h"
#include "core/SettingsTable.h"

// The user preferences of the "Program Preferences" dialog, as the main window holds
// them, the dialog edits them and the settings store keeps them.
struct Preferences {
    bool ontop = SettingsTable::OnTop.defaultBool();
    bool newwin = SettingsTable::NewWindow.defaultBool();
    bool exjs = SettingsTable::ExcludeJsLinks.defaultBool(); // leave out "javascript:" links
    bool exmt = SettingsTable::ExcludeMailtoLinks.defaultBool(); // leave out "mailto" links
    bool defappend = SettingsTable::DefaultAppend.defaultBool();
    OverwriteAction owaction
        = storedOverwriteAction(SettingsTable::OverwriteActionSetting.defaultInt());
    bool serverNames = SettingsTable::UseServerNames.defaultBool(); // Content-Disposition names
    QString nameMask = QStringLiteral("*name*.*ext*"); // how downloaded files are named
    // "Send downloads to an aria2 daemon": its JSON-RPC address (empty: download here)
    // and its secret.
    QString aria2Url {};
    QString aria2Secret {};

    int atOnce = SettingsTable::DownloadsAtOnce.defaultInt(); // links downloaded at a time
    int perHost = SettingsTable::PerHost.defaultInt(); // of those, at most this many per host
    int rateLimit = SettingsTable::RateLimit.defaultInt(); // bytes a second in all, 0 none
    // Saved files' names and folders avoid what other systems refuse (PortableName).
    bool portableNames = SettingsTable::PortableNames.defaultBool();
    // With one download at a time, each failed link shows its "Error" message and the job
    // waits for it; with several at once failures go to the summary only.
    bool stopAtFailure = SettingsTable::StopAtFailure.defaultBool();

    bool operator==(const Preferences&) const = default;
};
