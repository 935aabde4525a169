#pragma once

#include <QString>

#include "core/Result.h"

class IMainView;
class IUserPrompt;
class LinkList;
struct Preferences;

// What a build from a file did when it read the file to its end or to the list's limit.
struct FileBuild {
    int added = 0; // entries added to the list
    bool limitReached = false; // stopped because the list was full
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

    // append is the append choice: read, and updated by the answer to the question.
    // view, when given, gets the default pointer back before the question is shown.
    // Failed (with the message shown) when the file could not be read or held an item
    // that is not a link ("Bad Format"); the items added before that stay.
    static Result<FileBuild> run(const QString& path, bool& append, const Preferences& prefs,
        LinkList& list, IUserPrompt& prompt, IMainView* view = nullptr);

    static QString badFormatMessage();
    // Validity of a list file item: "http", "mailto", "ftp" or "javascript:" at the
    // start, any letter case.
    static bool isValidItem(QStringView item);
};
