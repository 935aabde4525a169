#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QList>

#include "download/ITransferService.h"

// A transfer service the test drives: it records each request and ends a transfer only
// when told, writing the body into the request's file as the real service would.
class ScriptedTransfers final : public ITransferService
{
public:
    quint64 start(const TransferRequest& request) override
    {
        requests.append(request);
        return static_cast<quint64>(requests.size());
    }
    void cancel(quint64 id) override { cancelled.append(id); }
    qint64 bytesInFile(quint64) const override { return 0; }

    // The file names (last part of the URL) of the transfers started, in order.
    QStringList startedNames() const
    {
        QStringList names;
        for (const TransferRequest& request : requests)
            names.append(request.url.section('/', -1));
        return names;
    }
    quint64 idOf(const QString& name) const
    {
        return static_cast<quint64>(startedNames().lastIndexOf(name) + 1);
    }
    // Headers giving size, then bytes of the body received.
    void receive(quint64 id, qint64 size, qint64 bytes)
    {
        TransferHeaders headers;
        headers.status = 200;
        headers.size = size;
        emit headersReceived(id, headers);
        emit progressed(id, bytes);
    }
    void complete(quint64 id, const QByteArray& body)
    {
        QFile file(requests.at(static_cast<qsizetype>(id - 1)).tempPath);
        if (file.open(QIODevice::WriteOnly))
            file.write(body);
        file.close();
        TransferEnd end;
        end.kind = TransferEnd::Kind::Complete;
        end.bytesInFile = body.size();
        emit finished(id, end);
    }
    // A transient failure; retryAfter >= 0 is the server's "Retry-After".
    void failTransiently(quint64 id, long code, int retryAfter)
    {
        TransferEnd end;
        end.errorCode = code;
        end.transient = true;
        end.retryAfterSeconds = retryAfter;
        emit finished(id, end);
    }

    QList<TransferRequest> requests;
    QList<quint64> cancelled;
};

// Runs the events queued now (the job's next steps), without waiting for any timer.
inline void runQueuedEvents()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}
