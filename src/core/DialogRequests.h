#pragma once

#include <QString>

#include <optional>

#include "core/HarvestScope.h"
#include "core/Preferences.h"

// Plain inputs and results of the program's modal dialogs. A dialog is a thin view
// over one of these; the logic never touches a widget.

// "Build List from URL".
struct UrlDialogInput {
    bool defappend = false;
    QString currentEntry; // shown in the combo box when hasCurrentEntry
    bool hasCurrentEntry = false;
    bool filtersApplied = false;
    HarvestCollect collect = HarvestCollect::Links; // what a harvest collects now
};
struct UrlRequest {
    QString url;
    bool append = false;
    // What the dialog asked to collect (the setting the Options menu changes too);
    // nullopt leaves the setting as it is.
    std::optional<HarvestCollect> collect;
};

// "Build Sequential List".
struct SequenceDialogInput {
    bool defappend = false;
    QString clipboardText;
};
struct SequenceRequest {
    QString url;
    int selectionStart = 0;
    int selectionLength = 0;
    QString startText;
    QString endText;
    bool append = false;
};

// "Add Single Link".
struct SingleLinkRequest {
    QString url;
    bool append = false;
};

// "Search List".
struct SearchRequest {
    QString text;
    bool matchCase = false;
    bool addToSelection = true;
    bool findNext = false;
};

// "File Exists": the answer of its "OK" and whether it holds for every later existing
// file of the job. A dialog closed without "OK" gives no answer at all.
enum class FileExistsAction {
    Overwrite,
    Skip,
    SaveWithNewName, // under the name typed in filnm
};
struct FileExistsAnswer {
    FileExistsAction action;
    QString filnm;
    bool allfiles = false;
};

// "Slide Show Options": the choices the dialog opens with and returns on "Start".
struct SlideshowOptions {
    // "Just selected" (incl 1) or "All in list" (incl 0)
    bool justSelected = SettingsTable::SlideshowIncludeFiles.defaultBool();
    // "From load comlpete" (whentochange 1) or "From load start"
    bool fromLoadComplete = SettingsTable::SlideshowWait.defaultBool();
    int interval = SettingsTable::SlideshowInterval.defaultInt(); // seconds, 1 to 120

    bool operator==(const SlideshowOptions&) const = default;
};

// A save picker's answer when the chosen filter matters: the path, and which of the
// filter's entries was chosen (0 for the first).
struct SaveTarget {
    QString path;
    int filterIndex = 0;
};
