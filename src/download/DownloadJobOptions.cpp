#include "download/DownloadJobOptions.h"

#include "core/Preferences.h"
#include "download/DownloadStart.h"

DownloadJobOptions DownloadJobOptions::fromPreferences(
    const Preferences& prefs, const CRegSettings& settings, const QString& folder)
{
    DownloadJobOptions options;
    options.folder = folder;
    options.owaction = prefs.owaction;
    options.retries = downloadRetries(settings);
    options.useServerNames = prefs.serverNames;
    options.nameMask = prefs.nameMask;
    options.portableNames = prefs.portableNames;
    // Several links at once never stop for one failure: it goes to the summary.
    options.reportErrors = prefs.atOnce <= 1 && prefs.stopAtFailure;
    options.atOnce = prefs.atOnce;
    options.perHost = prefs.perHost;
    options.limits.sharedRateLimit = prefs.rateLimit;
    return options;
}
