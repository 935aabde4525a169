#pragma once

#include <QList>
#include <QString>

#include "download/DownloadLinkState.h"
#include "download/DownloadSummary.h"

// A transfer running now, as the details area shows it.
struct RunningTransfer {
    QString name;
    qint64 bytes = 0;
    qint64 size = -1; // -1 unknown
    qint64 bytesPerSecond = 0;
};

// The figures "Saving Files" shows beside the link it follows, read from a job's model
// of its links and its summary at one moment: the transfers running, the job's speed and
// the time left.
class DownloadFigures final
{
public:
    DownloadFigures(const QList<DownloadLinkState>& links, const DownloadSummary& summary);

    // The transfers running now, in the order started (a link waiting for an answer
    // about its name is left out).
    const QList<RunningTransfer>& running() const { return m_running; }
    // Bytes a second of all of them together.
    qint64 bytesPerSecond() const;
    // A size in binary units, as everywhere the program shows one: "512 bytes",
    // "1.5 KiB", "2.0 MiB", "1.2 GiB".
    static QString sizeText(qint64 bytes);
    // A transfer's bytes of its size ("1.5 KiB of 2.0 MiB"; "1.5 KiB of unknown size"),
    // or "waiting…" before anything arrived from a server that gave no size.
    static QString progressText(qint64 bytes, qint64 size);

    // Seconds until every link is done, -1 when unknown: links not started yet are taken
    // to be as big as the saved ones on average.
    qint64 secondsLeft() const;

private:
    QList<RunningTransfer> m_running;
    int m_notStarted = 0;
    const DownloadSummary& m_summary;
};
