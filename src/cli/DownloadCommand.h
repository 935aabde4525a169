#pragma once

#include "cli/CliOptions.h"
#include "cli/ConsoleProgress.h"
#include "download/DownloadJobOptions.h"
#include "listops/EntryContext.h"

class CRegSettings;
class DownloadJob;
class IDownloadJob;
class IRedirectResolver;
struct Aria2Link;

// `quillmarch-cli download`: runs the window's download job on the given links and
// reports on the console: one line per saved file on standard output, errors on
// standard error, with its progress (ConsoleProgress).
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
    // Whether the stored preferences are read: some of them is not given on the line.
    bool readsPreferences() const;
    // The links a transfer cannot fetch (other schemes than http, https, ftp and ftps),
    // each named as a failed link and left out.
    void dropUnfetchable(ListEntries& links);
    void showProgress(const DownloadJob& job);
    // The file of --output -, saved into a temporary folder, copied to standard output;
    // false when it could not be written.
    static bool copyToOutput(const QString& path);

    CliOptions m_options;
    bool m_terminal = false;
    ConsoleProgress m_progress;
    // Where --output puts its file (empty: no --output): the folder and the name.
    QString m_outputFolder;
    QString m_outputName;
    // Lines of the --from list that could not be read: each is one failed link.
    int m_listFailures = 0;
};
