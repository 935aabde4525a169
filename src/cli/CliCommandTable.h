#pragma once

#include <QStringView>
#include <span>

#include "cli/CliOptions.h"

// The commands an option belongs to, as bits. Overview marks the options the overview
// lists (-h, -V): they go with any command.
enum CliCommandBit : unsigned {
    kCliHarvest = 1,
    kCliText = 2,
    kCliFile = 4,
    kCliSequence = 8,
    kCliDownload = 16,
    kCliOverview = 32,
};

// One command of quillmarch-cli and the texts of its help, around the options that the
// option table gives.
struct CliCommandRow {
    const char* name;
    CliOptions::Command command;
    unsigned bit;
    const char* synopsis; // its arguments in the overview's list
    const char* usage; // its arguments in its own usage line
    const char* summary; // its line in the overview
    const char* description; // its help above the options
    const char* closing; // its help below the options: notes and the exit status
};

namespace CliCommandTable
{
std::span<const CliCommandRow> rows();
const CliCommandRow* find(QStringView name);
} // namespace CliCommandTable
