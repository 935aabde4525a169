#pragma once

#include <QString>
#include <QStringList>

#include "core/Result.h"
#include "listops/LinkList.h"

class LinkList;
struct Preferences;

// The links found in a text, before the list is touched.
struct TextLinks {
    // The link lines the exclusion preferences admit, in text order; at most limit (the
    // window's list takes LinkList::MaxEntries).
    QStringList links;
    qint64 limit = LinkList::MaxEntries;
    qint64 overflow = 0; // admitted link lines past the limit
    bool found = false; // a line passed the link test, even when the exclusions left it out
};

// What adding found links to the list did.
struct ListAddition {
    int added = 0;
    qint64 notAdded = 0; // links that did not fit into the list
};

// "Build list from Clipboard" without the window work, in two steps: scan cuts a text
// into lines and keeps those that begin like a link and pass the exclusion preferences;
// apply replaces the list with them or appends them. Asks nothing and shows nothing: the
// caller asks "Select Desired Action" between the steps (only when the scan found a
// link and the list is not empty) and shows the messages.
class ClipboardBuilder final
{
public:
    ClipboardBuilder() = delete;

    // Scans a text (the clipboard's, a drop's or a command line's). Lines end at CR LF,
    // a lone LF or a lone CR. Failed with noTextMessage when the text is empty and
    // noLinksMessage when no line passed the link test. A line the list would not hold
    // (a NUL character, over-long) counts as text.
    static Result<TextLinks> scan(const QString& text, const Preferences& prefs);
    // Takes one line of a text read piece by piece (the command line's streams).
    static void takeLine(TextLinks& found, QStringView line, const Preferences& prefs);
    // Empties the list unless append, then adds the links up to the list's limit.
    static ListAddition apply(const TextLinks& found, bool append, LinkList& list);

    static QString noTextMessage();
    static QString noLinksMessage();
    // The link test of a clipboard line: "ftp", "http", "mailto:" or "javascript:" at
    // the start, any letter case, nothing trimmed.
    static bool isLink(QStringView line);
};
