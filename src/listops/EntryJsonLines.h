#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

#include "core/Result.h"
#include "listops/EntryContext.h"
#include "listops/EntryMeasure.h"

class QIODevice;

// Entries as JSON lines: one object a line with the fields url, kind, text, page and
// title, all strings, then thumbnail when the entry has one and depth (a number) when a
// site harvest found it. Written by the list's exports and read back by whatever takes a
// list of entries (a download's list of links).
class EntryJsonLines final
{
public:
    // The longest line read, in bytes: an entry of the longest address the list admits
    // with a long context fits.
    static constexpr qsizetype MaxLineBytes = 16 * 1024 * 1024;

    // One entry as a line of compact JSON with its LF; with measure, also width, height,
    // size (numbers) and type (a string), each null when unknown.
    static QByteArray encode(const ListEntry& entry, const EntryMeasure* measure = nullptr);
    // One line (its line end optional) read back. An object needs a non-empty "url";
    // "kind" is one of the kinds' names; the other fields may be missing (empty). Any
    // other line is refused with the reason.
    static Result<ListEntry> parse(QByteArrayView line);

    // Reads the entries of a device one line at a time; blank lines are skipped.
    explicit EntryJsonLines(QIODevice& device);

    // The next entry, or the reason its line was refused (naming the line's number);
    // nullopt at the end of the device.
    std::optional<Result<ListEntry>> next();
    qint64 lineNumber() const { return m_lineNumber; }

private:
    QIODevice& m_device;
    qint64 m_lineNumber = 0;
};
