#pragma once

#include <QString>

class IUserPrompt;
class LinkList;
struct HandOver;
struct Preferences;

enum class ClipboardOutcome {
    NoText, // the text was empty: nothing changed, no extent update
    NoLinks, // no line passed the link test: list unchanged
    Built, // at least one line passed the link test
};

// "Build list from Clipboard" (mnufClip_Click without the window work): cuts a text
// into lines at CR LF pairs and appends the lines that begin like a link and pass the
// exclusion preferences, in text order. Shows its own messages ("Oops!", list full)
// and the "Select Desired Action" question. The caller updates the list's extent
// for Built and NoLinks.
class ClipboardBuilder final
{
public:
    ClipboardBuilder() = delete;

    // Uses handover.goturl instead of clipboardText when handover.drgdrp is set, and
    // resets handover.drgdrp.
    static ClipboardOutcome run(HandOver& handover, const Preferences& prefs, LinkList& list,
        IUserPrompt& prompt, const QString& clipboardText);

    static QString noTextMessage();
    static QString noLinksMessage();
    // The link test of a clipboard line: "ftp", "http", "mailto:" or "javascript:" at
    // the start, any letter case, nothing trimmed.
    static bool isLink(QStringView line);
};
