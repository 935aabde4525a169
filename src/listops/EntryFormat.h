#pragma once

#include <QStringView>
#include <optional>

// How entries are written out: one address a line, JSON lines, CSV or an aria2 input
// file. Plain is the list as the command line has always printed it.
enum class EntryFormat {
    Plain,
    JsonLines,
    Csv,
    Aria2,
};

// The command line's names: "plain", "jsonl" and "csv" (the aria2 input file is an
// export of the window only).
inline std::optional<EntryFormat> entryFormatFromName(QStringView name)
{
    if (name == QLatin1StringView("plain"))
        return EntryFormat::Plain;
    if (name == QLatin1StringView("jsonl"))
        return EntryFormat::JsonLines;
    if (name == QLatin1StringView("csv"))
        return EntryFormat::Csv;
    return std::nullopt;
}
