#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include "core/Result.h"
#include "download/DownloadLinkState.h"
#include "download/DownloadSummary.h"
#include "download/SavedFile.h"

// What "Saving Files" and the command line follow of a download job, whoever makes its
// transfers (the program itself, DownloadJob, or an aria2 daemon, Aria2Job): its phase,
// a model of every link, what became of them, and the signals of its progress.
class IDownloadJob : public QObject
{
    Q_OBJECT
public:
    enum class Phase { Idle, Running, Done, Error, Cancelled };

    using QObject::QObject;

    virtual void start() = 0;
    virtual void cancel() = 0;

    virtual Phase phase() const = 0;
    bool isRunning() const { return phase() == Phase::Running; }
    virtual int count() const = 0;
    // Where the files go.
    virtual const QString& folder() const = 0;
    // Every link, in the job's order.
    virtual const QList<DownloadLinkState>& links() const = 0;
    // What became of the links so far; a failure keeps the link's context and number.
    virtual const DownloadSummary& summary() const = 0;

signals:
    // Something shown changed.
    void changed();
    // One per link as it ends (index from 1, in the job's order).
    void linkFinished(int index, const QString& link, const Result<SavedFile>& result);
    void ended();
};
