#pragma once

#include <QString>
#include <QStringView>
#include <span>

#include "cli/CliCommandTable.h"
#include "cli/CliOptions.h"

// What the options of one command line set while it is read: the options themselves,
// and whether help or the version was asked.
struct CliOptionTarget {
    CliOptions& options;
    bool helpAsked = false;
    bool versionAsked = false;
};

// One option as one or more commands take it. An option whose help differs between
// commands (--timeout, --from, --jobs, --format, --help) has a row for each wording;
// its rows agree on the value and on how it is read.
struct CliOptionRow {
    const char* name; // "--jobs"
    const char* alias; // "-h", or nullptr
    const char* placeholder; // the value in --help ("N"); nullptr: the option takes none
    unsigned commands; // CliCommandBit: the commands whose help lists this row
    const char* help; // its help, lines without their indent
    // Stores the value; the problem when it is not one the option takes.
    QString (*apply)(CliOptionTarget& target, QStringView name, const QString& value);

    bool takesValue() const { return placeholder != nullptr; }
};

namespace CliOptionTable
{
// In the order each command's help lists them.
std::span<const CliOptionRow> rows();
// The first row of an option, by name or alias; nullptr when there is no such option.
const CliOptionRow* find(QStringView name);
// The commands (CliCommandBit) that take an option: those of all its rows.
unsigned commandsOf(QStringView name);
} // namespace CliOptionTable
