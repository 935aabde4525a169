#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The command line of quillmarch-cli, parsed. Parsing never exits: a mistake leaves
// error set, and the caller prints it with the usage text.
struct CliOptions {
    enum class Command { None, Help, Harvest, Text, File, Sequence, Download };

    Command command = Command::None;
    QString argument; // URL, FILE or "-" (standard input) depending on the command
    QStringList
        urls; // harvest, download: every URL given, in order (harvest: argument is the first)
    QString fromFile; // --from LISTFILE: more URLs, one a line ("-": standard input)
    bool dedupeAll = false; // --dedupe-all: one list across the pages of a harvest
    int jobs = 4; // --jobs N: pages harvested at a time

    QStringList filters; // --filter EXT, repeatable: replaces the stored filter set
    bool noFilters = false; // --no-filters
    bool excludeJs = false; // --exclude-js
    bool excludeMailto = false; // --exclude-mailto
    QString saveFile; // --save FILE
    // --timeout SECONDS (harvest: the whole page): at most a day, so its milliseconds
    // fit a timer.
    static constexpr int kMaxTimeoutSeconds = 86400;
    int timeoutSeconds = 120;
    // download: --timeout is the longest stretch with no byte received (default 60).
    bool timeoutGiven = false;

    // sequence
    QString startText;
    QString endText;
    int selectStart = -1;
    int selectLength = -1;

    // download (with urls and fromFile above)
    QString dir; // --dir DIR, the current folder when empty
    int exists = -1; // --exists: 0 prompt, 1 overwrite, 2 skip, 3 unique; -1 stored
    int retries = -1; // --retries N; -1 stored

    QString error;

    // Several pages in one harvest: more than one URL, or a list file.
    bool manyPages() const { return urls.size() > 1 || !fromFile.isEmpty(); }

    static CliOptions parse(const QStringList& arguments);
    static QString usage();
};
