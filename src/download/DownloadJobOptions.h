#pragma once

#include <QString>

#include "core/OverwriteAction.h"
#include "core/SettingsTable.h"
#include "download/ITransferService.h"

class CRegSettings;
struct Preferences;

// How a download job runs: where its files go, how names are chosen and decided, how
// often a link is tried, how many run at once, and what every request carries.
struct DownloadJobOptions {
    QString folder; // the destination, ending with "/"
    OverwriteAction owaction
        = storedOverwriteAction(SettingsTable::OverwriteActionSetting.defaultInt());
    int retries = SettingsTable::Retries.defaultInt(); // further tries after a transient failure
    int retryBaseMs = 1000; // pauses between tries: base, twice that, four times...
    int maxRetryAfterSeconds = 300; // a longer "Retry-After" is cut to this
    int progressIntervalMs = 33; // how often the byte count is read while a file runs
    // One "Error" message per failed link through the prompt; the link holds its place
    // until the message is seen, so with one link at a time the job waits for it.
    bool reportErrors = true;
    // Timeouts, redirects, the rate limit, headers, cookies, referer and user agent for
    // every request.
    TransferRequest limits;
    QString nameMask; // a NameMask; empty for the link's own name
    // The count of the job the items' numbers were given in, which sets their width
    // (0: this job's).
    int numbersCount = 0;
    // The name the server gives (Content-Disposition) replaces the chosen one.
    bool useServerNames = false;
    // Every part of a file's path is made portable (PortableName): no characters other
    // systems refuse, no trailing dots or spaces.
    bool portableNames = false;
    // A file of the chosen name is fetched again only when the server's is newer
    // (If-Modified-Since); an unchanged one counts as skipped.
    bool timestamping = false;
    int atOnce = SettingsTable::DownloadsAtOnce.defaultInt(); // links fetched at a time
    int perHost = SettingsTable::PerHost.defaultInt(); // of those, at most this many per host

    // A job into folder as the preferences and the stored number of retries set it up.
    static DownloadJobOptions fromPreferences(
        const Preferences& prefs, const CRegSettings& settings, const QString& folder);
};
