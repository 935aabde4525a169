#pragma once

#include <QStringView>

// Every stored setting in one table: its section, its key, how its value is written and
// read, and its default. The subsystems read and write settings only through these
// entries (TypedSettings), so a key's name and its default are written here and nowhere
// else. docs/settings.md lists the keys with the units that read them.

enum class SettingKind {
    TrueFalse, // a Boolean written "True"/"False"
    OneZero, // a Boolean written "1"/"0"
    Number, // a whole number written in decimal
    Text, // any text
    Folder, // a path; the default is the user's download folder (home when it does not exist)
    NumberedList, // one text value per entry, named key + a number ("Type 0", "Url 7")
};

// What a stored number outside [minimum, maximum] reads as.
enum class OutOfRange { Default, Clamp };

// One stored setting. Reads are lenient: a Boolean accepts "True"/"False" in any letter
// case or any number (0 is false), whichever form it is written in; text that cannot be
// read as the kind, or a number outside [minimum, maximum], reads as the default (or the
// nearer end of the range, for OutOfRange::Clamp).
struct StoredSetting {
    QStringView section;
    QStringView key; // for a NumberedList, the prefix of its value names
    SettingKind kind;
    int defaultValue = 0; // a Boolean's (0 or 1) or a number's default
    int minimum = 0;
    int maximum = 0;
    OutOfRange outOfRange = OutOfRange::Default;

    constexpr bool defaultBool() const { return defaultValue != 0; }
    constexpr int defaultInt() const { return defaultValue; }
};

namespace SettingsTable
{

inline constexpr QStringView kOptions = u"Options";
inline constexpr QStringView kSlideshow = u"slideshow";
inline constexpr QStringView kSite = u"Site Harvest";

// clang-format off
//                                            section      key                      kind                       default  range
inline constexpr StoredSetting OnTop              { kOptions,  u"On Top",                SettingKind::TrueFalse,    1 };
inline constexpr StoredSetting NewWindow          { kOptions,  u"New Window",            SettingKind::OneZero,      0 };
inline constexpr StoredSetting ExcludeJsLinks     { kOptions,  u"Exclude JS Links",      SettingKind::TrueFalse,    0 };
inline constexpr StoredSetting ExcludeMailtoLinks { kOptions,  u"Exclude Mailto Links",  SettingKind::TrueFalse,    0 };
inline constexpr StoredSetting DefaultAppend      { kOptions,  u"Default Append",        SettingKind::TrueFalse,    0 };
// The OverwriteAction in its order: 0 ask, 1 overwrite, 2 skip, 3 unique name.
inline constexpr StoredSetting OverwriteActionSetting { kOptions,  u"Overwrite Action",      SettingKind::Number,       0,       0, 3 };
// Further tries of a link after a transient failure.
inline constexpr StoredSetting Retries            { kOptions,  u"Retries",               SettingKind::Number,       3,       0, 10 };
// What a page harvest collects: "Links", "Media" or "Both"; anything else reads as "Links".
inline constexpr StoredSetting Collect            { kOptions,  u"Collect",               SettingKind::Text };
// Scroll a harvested page down step by step before collecting.
inline constexpr StoredSetting ScrollPages        { kOptions,  u"Scroll Pages",          SettingKind::TrueFalse,    0 };
// A thumbnail inside a link to a picture is listed as the linked picture.
inline constexpr StoredSetting LinkedFullSize     { kOptions,  u"Linked Full Size",      SettingKind::TrueFalse,    1 };
// Load every harvested page in the browser engine, never with the HTML parser.
inline constexpr StoredSetting EngineOnly         { kOptions,  u"Engine Only",           SettingKind::TrueFalse,    0 };
// An aria2 daemon's JSON-RPC address; when set, the window's downloads go to it.
inline constexpr StoredSetting Aria2Url           { kOptions,  u"Aria2 URL",             SettingKind::Text };
// That daemon's --rpc-secret.
inline constexpr StoredSetting Aria2Secret        { kOptions,  u"Aria2 Secret",          SettingKind::Text };
// 1: a file takes the name the server gives (Content-Disposition) when it gives one.
inline constexpr StoredSetting UseServerNames     { kOptions,  u"Use Server Names",      SettingKind::TrueFalse,    0 };
// The renaming mask of downloaded files; empty reads as "*name*.*ext*".
inline constexpr StoredSetting FileNameMask       { kOptions,  u"File Name Mask",        SettingKind::Text };
// Links a download job fetches at a time, and of those at most how many from one host.
inline constexpr StoredSetting DownloadsAtOnce    { kOptions,  u"Downloads At Once",     SettingKind::Number,       1,       1, 16 };
inline constexpr StoredSetting PerHost            { kOptions,  u"Per Host",              SettingKind::Number,       4,       1, 16 };
// Bytes a second a download job receives at most, shared by its transfers; 0 none.
inline constexpr StoredSetting RateLimit          { kOptions,  u"Rate Limit",            SettingKind::Number,       0,       0, 2147483647 };
// 1: the parts of a saved file's path avoid the characters other systems refuse.
inline constexpr StoredSetting PortableNames      { kOptions,  u"Portable Names",        SettingKind::TrueFalse,    0 };
// 1: with one download at a time, a failed link's "Error" message waits to be seen.
inline constexpr StoredSetting StopAtFailure      { kOptions,  u"Stop At Failed Download", SettingKind::TrueFalse,  1 };
inline constexpr StoredSetting LastUsedSaveFolder { kOptions,  u"Last Used Save Folder", SettingKind::Folder };
// The folder "Export list..." wrote to last: exports do not move the other dialogs' folder.
inline constexpr StoredSetting LastExportFolder   { kOptions,  u"Last Used Export Folder", SettingKind::Folder };
inline constexpr StoredSetting ApplyFilters       { u"Filters", u"Apply Filters",        SettingKind::OneZero,      0 };
// "<description> - <extension>" per entry, in list order from 0.
inline constexpr StoredSetting FileTypes          { u"File Types", u"Type ",             SettingKind::NumberedList };
// One typed URL per value, the highest number the most recent.
inline constexpr StoredSetting UrlHistory         { u"URL History", u"Url ",             SettingKind::NumberedList };
// A notice the main window has not shown yet.
inline constexpr StoredSetting SettingsReset      { u"Notices", u"Settings Reset",       SettingKind::Text };
// Whole seconds between slides.
inline constexpr StoredSetting SlideshowInterval  { kSlideshow, u"Interval",             SettingKind::Number,       4,       1, 120, OutOfRange::Clamp };
// 1: only the selected links; 0: all links.
inline constexpr StoredSetting SlideshowIncludeFiles { kSlideshow, u"Include Files",     SettingKind::OneZero,      1 };
// 1: the interval counts from load complete; 0: from load start.
inline constexpr StoredSetting SlideshowWait      { kSlideshow, u"Wait",                 SettingKind::OneZero,      1 };
// The list shown as a grid of its pictures ("Show pictures").
inline constexpr StoredSetting ShowPictures       { kOptions,  u"Show Pictures",         SettingKind::TrueFalse,    0 };
// The picture view's filters and order, as PictureCriteriaStore writes them.
inline constexpr StoredSetting PictureChoices     { kOptions,  u"Picture Choices",       SettingKind::Text };
// "Build List from Site": the start address and how far the harvest goes from it.
inline constexpr StoredSetting SiteStart          { kSite,     u"Start",                 SettingKind::Text };
inline constexpr StoredSetting SiteDepth          { kSite,     u"Depth",                 SettingKind::Number,       1,       0, 99, OutOfRange::Clamp };
// "Path", "Host", "Domain" or "Pattern"; anything else reads as "Path".
inline constexpr StoredSetting SiteScope          { kSite,     u"Scope",                 SettingKind::Text };
inline constexpr StoredSetting SiteScopePattern   { kSite,     u"Scope Pattern",         SettingKind::Text };
inline constexpr StoredSetting SiteFollow         { kSite,     u"Follow",                SettingKind::Text };
inline constexpr StoredSetting SiteNextPages      { kSite,     u"Next Pages",            SettingKind::TrueFalse,    0 };
inline constexpr StoredSetting SiteMaxPages       { kSite,     u"Max Pages",             SettingKind::Number,       1000,    1, 1000000, OutOfRange::Clamp };
inline constexpr StoredSetting SiteRobots         { kSite,     u"Robots",                SettingKind::TrueFalse,    1 };
// The list's optional columns shown, as "kind,pixels,size,type" names joined by ",".
inline constexpr StoredSetting ListColumns        { kOptions,  u"List Columns",          SettingKind::Text };
// clang-format on

inline constexpr StoredSetting kAll[] = { OnTop, NewWindow, ExcludeJsLinks, ExcludeMailtoLinks,
    DefaultAppend, OverwriteActionSetting, Retries, Collect, ScrollPages, EngineOnly, Aria2Url,
    Aria2Secret, UseServerNames, FileNameMask, DownloadsAtOnce, PerHost, RateLimit, PortableNames,
    StopAtFailure, LastUsedSaveFolder, LastExportFolder, ApplyFilters, FileTypes, UrlHistory,
    SettingsReset, SlideshowInterval, SlideshowIncludeFiles, SlideshowWait, ShowPictures,
    LinkedFullSize, PictureChoices, SiteStart, SiteDepth, SiteScope, SiteScopePattern, SiteFollow,
    SiteNextPages, SiteMaxPages, SiteRobots, ListColumns };

} // namespace SettingsTable
