#pragma once

// The commands of the main window's menus and the list's context menu. Each is described
// once in MainCommandTable (object name, caption, keys, handler, enabled rule); code names
// a command by this enum, so a misspelt command does not compile.
enum class MainCommand {
    OpenSelected, // "mnufileopen"
    SaveTargets, // "mnufsav"
    SaveList, // "mnufsavlst"
    AppendList, // "mnufapplist"
    ExportList, // "mnufexport"
    Exit, // "mnufEx"
    BuildFromUrl, // "mnufURL"
    BuildFromClipboard, // "mnufClip"
    BuildFromFile, // "mnufFile"
    BuildSequence, // "mnufSeq"
    AddSingleLink, // "mnulstSingle"
    SearchList, // "mnulstsrch"
    SelectAll, // "mnulstselall"
    ClearList, // "mnulstclr"
    Preferences, // "mnuopoptions"
    ApplyFilters, // "mnuopappfilt"
    ManageFilters, // "mnuopfilt"
    HelpContents, // "mnuHelpCont"
    Tour, // "mnuhelptour"
    About, // "mnuHelpAbt"
    PopupOpen, // "mnusavpopopen"
    PopupSaveTargets, // "mnusavepoptrgt"
    PopupBuild, // "mnusavpopbuild"
    PopupRemove, // "mnusavpopremove"
};
