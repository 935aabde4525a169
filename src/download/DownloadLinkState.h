#pragma once

#include <QElapsedTimer>
#include <QString>
#include <algorithm>

// One link of a download job as its views show it: where it stands, where its file goes,
// how far it has come and, when it failed, why. The views word it themselves.
struct DownloadLinkState {
    enum class Status {
        Waiting, // not started yet
        HostPaused, // not started: its host asked for a pause
        Running, // started: its name is being decided or its target fetched
        Retrying, // a transient failure; the next try starts after a pause
        Saved,
        Skipped,
        Failed,
    };
    Status status = Status::Waiting;
    int order = 0; // its place among the links started, from 1 (0 until it starts)
    bool named = false; // its name is decided and the transfer under way
    bool asking = false; // a question about it is open or waiting to be asked
    QString folder; // the folder its file goes to, ending with "/"
    QString file; // the name chosen (the final one once saved)
    qint64 bytes = 0;
    qint64 size = -1; // -1 unknown
    QElapsedTimer clock; // since its transfer (or its latest try) started
    qint64 clockBytes = 0; // the bytes it had then
    int attempt = 1; // the try running or coming, from 1
    int attempts = 1; // tries allowed in all
    qint64 retryInMs = 0; // while Retrying: the pause before the next try
    QString reason; // why it failed

    // The speed of the transfer running now, over the whole of it so far.
    qint64 bytesPerSecond() const
    {
        const qint64 ms = clock.isValid() ? clock.elapsed() : 0;
        return ms > 0 ? std::max<qint64>(0, (bytes - clockBytes) * 1000 / ms) : 0;
    }
    void startClock(qint64 from)
    {
        bytes = from;
        clockBytes = from;
        clock.start();
    }

    bool ended() const
    {
        return status == Status::Saved || status == Status::Skipped || status == Status::Failed;
    }
};
