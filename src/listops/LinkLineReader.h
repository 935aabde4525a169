#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

#include "listops/ChunkedInput.h"

class QIODevice;

// Reads a text of one link a line from a device, streaming: the command line's link
// lists and texts. A line ends at CR LF, LF or CR and is decoded on its own (UTF-8, else
// Windows-1252) and trimmed. A line that is wholly one double-quoted entry, as list files
// write an entry with a comma, is taken without its quotes, so a saved list reads as a
// list of links. Blank lines, lines with a NUL byte and lines longer than any entry the
// list admits are skipped (a skip handler, when set, is told each one with its line
// number and why); memory stays bounded by that length. Comment lines (first non-blank
// character "#") are skipped silently when asked, as link lists may carry notes.
class LinkLineReader final
{
public:
    using SkipHandler = std::function<void(qint64 lineNumber, const QString& reason)>;

    explicit LinkLineReader(QIODevice& device);

    // Called for each line that holds text but is skipped (blank lines are not told).
    void setSkipHandler(SkipHandler handler) { m_onSkip = std::move(handler); }
    // Whether a line whose first non-blank character is "#" is skipped as a comment.
    void setSkipComments(bool skip) { m_skipComments = skip; }
    // The number of the line next() returned last, from 1.
    qint64 lineNumber() const { return m_lineNumber; }

    // The next line; nullopt at the end of the text or after a read error.
    std::optional<QString> next();
    // Whether reading stopped at a read error (errorString() of the device tells it).
    bool failed() const { return m_failed; }

private:
    bool fill();
    // The line in m_line, or nullopt when it is skipped.
    std::optional<QString> takeLine();

    QIODevice& m_device;
    ChunkedInput m_in;
    QByteArray m_line;
    bool m_overLong = false;
    bool m_lastWasCr = false;
    bool m_failed = false;
    bool m_skipComments = false;
    qint64 m_lineNumber = 0;
    SkipHandler m_onSkip;
};
