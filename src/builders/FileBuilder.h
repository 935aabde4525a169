#pragma once

#include <QString>

class IMainView;
class IUserPrompt;
class LinkList;
struct HandOver;
struct Preferences;

struct FileBuildResult {
    int added = 0; // entries added to the list
    bool badFormat = false; // stopped at an item that is not a link ("Bad Format")
    bool limitReached = false; // stopped because the list was full
    QString error; // text of the error shown, empty when none
};

// "Build list from file", the reading part of mnufFile_Click: reads a link list file
// item by item, stops with "Bad Format" at the first item that is not a link, asks
// "Select Desired Action" before the first valid item when the list has entries, and
// adds the items the exclusion preferences admit. Shows its own messages. A file that
// cannot be opened, is a folder, or looks binary in its first block changes nothing;
// an error found later stops the run and keeps the items added before it. The caller
// does the file picker, the stored folder, the pointer, the status texts and the
// extent update.
class FileBuilder final
{
public:
    FileBuilder() = delete;

    // view, when given, gets the default pointer back before the question is shown.
    static FileBuildResult run(const QString& path, HandOver& handover, const Preferences& prefs,
        LinkList& list, IUserPrompt& prompt, IMainView* view = nullptr);

    static QString badFormatMessage();
    // Validity of a list file item: "http", "mailto", "ftp" or "javascript:" at the
    // start, any letter case.
    static bool isValidItem(QStringView item);
};
