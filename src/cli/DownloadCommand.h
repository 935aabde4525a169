#pragma once

#include <QElapsedTimer>

#include "cli/CliOptions.h"
#include "download/DownloadJobOptions.h"
#include "listops/EntryContext.h"

class CRegSettings;
class DownloadJob;
class IDownloadJob;
class IRedirectResolver;
struct Aria2Link;

// `quillmarch-cli download`: runs the window's download job on the given links and
// reports on the console: one line per saved file on standard output, errors on
// standard error, and a progress line when standard error is a terminal.
class DownloadCommand final
{
public:
    explicit DownloadCommand(const CliOptions& options);

    // 0 when every link was saved or skipped, 1 when any failed, 2 for wrong usage.
    int run();

private:
    // Runs the job to its end, printing each link's outcome as it ends; true when Ctrl-C
    // or SIGTERM cancelled it.
    bool runJob(IDownloadJob& job);
    // The links handed to the aria2 daemon of --aria2 instead.
    int runAria2(const ListEntries& links);
    // Each link as the daemon gets it: its referrer, and with cookies or credentials
    // given, its redirects resolved first.
    QList<Aria2Link> aria2Links(
        const ListEntries& links, const QString& referer, IRedirectResolver& resolver) const;
    // The job's options: the stored preferences with the command line's in their place.
    DownloadJobOptions jobOptions(const CRegSettings& settings, const QString& folder) const;
    void showProgress(const DownloadJob& job, bool force);
    void clearProgress();

    CliOptions m_options;
    bool m_terminal = false;
    bool m_progressShown = false;
    QElapsedTimer m_lastProgress;
    // Lines of the --from list that could not be read: each is one failed link.
    int m_listFailures = 0;
};
