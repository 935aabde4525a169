#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// The form of a link sent in a request. A list keeps links as the user reads them (a
// harvest turns "%20" into a space); a request needs them percent-encoded: what must be
// encoded is, what is already encoded stays. Text that is no URL at all goes out as it
// is, so the transfer library reports its own error for it.
inline QByteArray RequestUrl(const QString& link)
{
    const QUrl url(link, QUrl::TolerantMode);
    return url.isValid() && !url.scheme().isEmpty() ? url.toEncoded() : link.toUtf8();
}
