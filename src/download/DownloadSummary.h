#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "core/FailureKind.h"
#include "download/DownloadItem.h"

// What became of a job's links so far.
struct DownloadSummary {
    struct Failure {
        DownloadItem item; // with its context and number, for "Retry failed"
        QString error;
        FailureKind kind = FailureKind::Other;
        const QString& link() const { return item.entry.url; }
    };
    int saved = 0;
    int skipped = 0;
    int failed = 0;
    qint64 savedBytes = 0; // the sizes of the saved files together
    QList<Failure> failures; // in the order they failed

    // The links that failed, in the order they failed.
    QStringList failedLinks() const;
    // The failed links with their context and number, for a job that tries them again.
    DownloadItems failedItems() const;
};
