#pragma once

#include <QString>
#include <QStringList>

#include "core/Result.h"
#include "listops/LinkList.h"

class LinkList;
class QIODevice;
struct Preferences;

// The items of a link list file, read before the list is touched.
struct FileItems {
    // The valid items the exclusion preferences admit, in file order; at most one more
    // than any list can take, which tells that the list would be full.
    QStringList links;
    // A valid item was read: the list is replaced or appended to (and "Select Desired
    // Action" asked first when it has entries).
    bool found = false;
    // What ended the reading before the file's end: failed with the message to show under
    // stopTitle ("Error", or "Bad Format" for an item that is not a link). The links read
    // before it are kept.
    Result<> stop = Result<>::ok();
    QString stopTitle;
};

// What a build from a file added.
struct FileBuild {
    int added = 0; // entries added to the list
    bool limitReached = false; // stopped because the list was full
};

// "Build list from file" without the window work, in two steps: read takes a link list
// file item by item and stops at the first item that is not a link; apply replaces the
// list with the items or appends them. Asks nothing and shows nothing: the caller asks
// "Select Desired Action" between the steps (only when an item was found and the list
// is not empty) and shows the messages. A file that cannot be opened, is a folder, or
// looks binary in its first block gives no items.
class FileBuilder final
{
public:
    FileBuilder() = delete;

    // Reads at most one item past limit (the list's maxEntries()), so apply can tell the
    // list would be full.
    static FileItems read(
        const QString& path, const Preferences& prefs, qint64 limit = LinkList::MaxEntries);
    // The same from an open device (standard input), named in messages by name.
    static FileItems read(QIODevice& device, const QString& name, const Preferences& prefs,
        qint64 limit = LinkList::MaxEntries);
    // Does nothing unless items.found. Empties the list unless append, then adds the
    // links up to the list's limit: once the list is full, what stopped the reading
    // later is not reached (limitReached, and the stop is not to be shown).
    static FileBuild apply(const FileItems& items, bool append, LinkList& list);

    static QString badFormatMessage();
    // Validity of a list file item: "http", "mailto", "ftp" or "javascript:" at the
    // start, any letter case.
    static bool isValidItem(QStringView item);
};
