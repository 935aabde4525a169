#pragma once

#include <QByteArray>
#include <QString>
#include <QTimer>
#include <memory>

#include "download/DownloadLinkState.h"
#include "download/FilePlacement.h"
#include "download/ITransferService.h"

// One link of a download job from the moment it starts until it has ended and its
// message (if any) has been seen: its name, the place of its file and its transfer.
struct DownloadRun {
    int index = 0; // in the batch, from 0
    DownloadLinkState* state = nullptr; // the link in the job's model
    QString link;
    QString baseName; // the name from the link, before any renaming
    QString contentType; // of the final response
    QString serverName; // the name the server gave (Content-Disposition), as given
    QString host;
    QByteArray requestUrl; // the link as sent, percent-encoded
    bool replace = false; // the chosen name is to be overwritten
    bool userNamed = false; // the name was typed in answer to "File Exists"
    std::unique_ptr<FilePlacement> place;
    QString validator;
    bool recordPending = false; // the partial file's record is not written yet
    qint64 keptModified = -1; // the copy in the folder that only a newer file replaces
    qint64 lastModified = -1; // the server's Last-Modified, given to the saved file
    quint64 transferId = 0;
    qint64 savedSize = 0; // the size of the file waiting for its final name
    QTimer retryTimer;

    const QString& file() const { return state->file; }
    const QString& folder() const { return state->folder; }
    PartialFile& partial() { return place->partial(); }

    // The request of a transfer (or a further try) keeping resumeFrom bytes; the
    // response's details and the speed clock start over.
    TransferRequest beginTransfer(TransferRequest request, const QString& page, qint64 resumeFrom);
    // The final response's headers with the bytes in the file so far.
    void takeHeaders(const TransferHeaders& headers, qint64 bytesInFile);
    // The file of the chosen name is kept unless the server's is newer: true when there
    // is one to compare with (it is then replaced when a newer one arrives).
    bool keepNewerOnly();
    // Writes the partial file's record when it is due.
    void writeRecord();
    // A failure on this side ("Could not save NAME in FOLDER: reason.").
    QString localError(const QString& reason) const;
};
