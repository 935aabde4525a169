#pragma once

#include <QString>

class DownloadJob;
struct DownloadLinkState;

// What "Saving Files" and the main window's caption say about a download job, worded
// from the job's model: the link followed ("Saving ... (n of m)", its bytes and
// percent), the retry pause, the end ("Done", "Error") and the bars.
class DownloadJobTexts final
{
public:
    static constexpr int kBar1Max = 100;

    static QString label1(const DownloadJob& job); // "1.0 KiB of 2.0 KiB", "waiting…"
    static QString label2(const DownloadJob& job); // "50%"
    static QString label3(const DownloadJob& job); // "Saving ...", "Done", "Error"
    static int progressBar1(const DownloadJob& job);
    static int progressBar2(const DownloadJob& job);
    static int progressBar2Max(const DownloadJob& job);
    // The main window's caption while the job runs and when it has ended; empty before
    // the first link is named.
    static QString mainCaption(const DownloadJob& job);
    // "Retrying in N s (attempt k of n)" for a link waiting to be tried again.
    static QString retryText(const DownloadLinkState& link);

private:
    static const DownloadLinkState* followed(const DownloadJob& job);
};
