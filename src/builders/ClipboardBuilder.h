#pragma once

#include <QString>

#include "core/Result.h"

class IUserPrompt;
class LinkList;
struct Preferences;

// "Build list from Clipboard" (mnufClip_Click without the window work): cuts a text
// into lines at CR LF pairs and appends the lines that begin like a link and pass the
// exclusion preferences, in text order. Shows its own messages ("Oops!", list full)
// and the "Select Desired Action" question. Ok when at least one line passed the link
// test; failed with the message shown when the text was empty or held no link (the
// list is then unchanged).
class ClipboardBuilder final
{
public:
    ClipboardBuilder() = delete;

    // Builds from text (the clipboard's, a drop's or a command line's). append is the
    // append choice: read, and updated by the answer to the question.
    static Result<> run(const QString& text, bool& append, const Preferences& prefs, LinkList& list,
        IUserPrompt& prompt);

    static QString noTextMessage();
    static QString noLinksMessage();
    // The link test of a clipboard line: "ftp", "http", "mailto:" or "javascript:" at
    // the start, any letter case, nothing trimmed.
    static bool isLink(QStringView line);
};
