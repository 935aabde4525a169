#include "download/DownloadRun.h"

TransferRequest DownloadRun::beginTransfer(
    TransferRequest request, const QString& page, qint64 resumeFrom)
{
    request.url = QString::fromLatin1(requestUrl);
    request.tempPath = partial().path();
    request.resumeFrom = resumeFrom;
    request.validator = resumeFrom > 0 ? validator : QString();
    request.expectedTotal = resumeFrom > 0 ? state->size : -1;
    request.ifModifiedSince = keptModified;
    // A referer given for the job wins; else the page the entry was found on, as a
    // browser following the link would send it.
    if (request.referer.isEmpty())
        request.referer = page;
    contentType.clear();
    serverName.clear();
    state->startClock(resumeFrom);
    return request;
}

void DownloadRun::takeHeaders(const TransferHeaders& headers, qint64 bytesInFile)
{
    state->size = headers.size > 0 ? headers.size : -1;
    contentType = headers.contentType;
    serverName = headers.serverName;
    lastModified = headers.lastModified;
    // A range answer may leave the validator out; the kept one still holds then.
    if (headers.status != 206 || !headers.validator.isEmpty())
        validator = headers.validator;
    // Written with the next progress: a file done before then needs no record.
    recordPending = true;
    state->bytes = bytesInFile;
}

bool DownloadRun::keepNewerOnly()
{
    keptModified = place->modifiedTime(file());
    replace = keptModified >= 0;
    return replace;
}

void DownloadRun::writeRecord()
{
    if (recordPending)
        partial().record(validator, state->size);
    recordPending = false;
}

QString DownloadRun::localError(const QString& reason) const
{
    return QStringLiteral("Could not save %1 in %2: %3.").arg(file(), folder(), reason);
}
