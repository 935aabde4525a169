#pragma once

#include <QByteArray>
#include <QString>

#include "core/Result.h"
#include "listops/EntryContext.h"
#include "listops/EntryFormat.h"
#include "listops/EntryMeasure.h"

class LinkList;

// Writes entries with their context in one of the formats of EntryFormat, all UTF-8:
// - Plain: the address and LF, as the command line prints a list.
// - JsonLines: EntryJsonLines.
// - Csv: a header row "url,kind,text,page,title", then one row an entry; fields with a
//   comma, a double quote or a line end in double quotes, a double quote doubled; CR LF
//   after every row.
//   A measured list (measured set) adds the fields width, height, size and type to each
//   JSON object (null where unknown) and to each CSV row (empty where unknown).
// - Aria2: the address on a line of its own, then "  referer=PAGE" when the entry has a
//   page. A tab or line end would split the line and a leading space, tab or "#" would
//   make it an option or a comment, so these are percent-encoded.
class EntryWriter final
{
public:
    EntryWriter() = delete;

    // What comes before the first entry: CSV's header row, else nothing.
    static QByteArray header(EntryFormat format, bool measured = false);
    // One entry with its line end (its lines, for an aria2 input file); with measure, the
    // entry of a measured list.
    static QByteArray encode(
        EntryFormat format, const ListEntry& entry, const EntryMeasure* measure = nullptr);

    // Writes the whole list (header included) to path through a temporary file that
    // replaces path only when every write succeeded, as list files are saved.
    static Result<> save(const QString& path, EntryFormat format, const LinkList& list);

    // The export picker's filter (description|pattern|...), one entry a format, and the
    // format of each entry.
    static QString exportFilter();
    static EntryFormat exportFormatAt(int filterIndex);

private:
    static QByteArray csvField(const QString& field);
    static QByteArray aria2Value(const QString& value);
};
