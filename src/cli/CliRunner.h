#pragma once

#include <limits>
#include <memory>

#include "cli/CliOptions.h"
#include "cli/MediaMeasure.h"
#include "compose/Services.h"
#include "core/DialogRequests.h"
#include "core/MainState.h"
#include "listops/LinkList.h"
#include "listops/PatternFilter.h"

// Runs one command of quillmarch-cli with the program's builders and prints the list.
class CliRunner final
{
public:
    // The most entries the command line's lists take.
    static constexpr int kUnlimited = std::numeric_limits<int>::max();

    explicit CliRunner(const CliOptions& options);

    // The process exit status: 0 built, 1 not built or not saved. The harvest command
    // does not return: it ends the process with that status once its list is out.
    int run();

private:
    // False, with the reason told, when the settings cannot be read.
    bool loadSettings();
    int harvest();
    int harvestMany();
    // A site harvest (--depth, --next, --continue): the pages in scope, then the list.
    int harvestSite();
    int text();
    int file();
    int sequence();
    int printSequence(const SequenceRequest& request);
    int finish(bool built);
    // The measuring of harvested media the options ask for (made on first use).
    MediaMeasure& mediaMeasure();
    // The --match and --reject patterns; keepPatterns drops the entries they refuse.
    PatternFilter patterns() const;
    void keepPatterns(LinkList& list) const;
    static void printError(const QString& text);
    [[noreturn]] static void endProcess(int status);

    CliOptions m_options;
    MainState m_state;
    LinkList m_list;
    Services m_services; // built over the settings store once it is read
    QStringList m_sessionCookies; // --session's cookies, as cookies.txt lines
    std::unique_ptr<MediaMeasure> m_measure;
};
