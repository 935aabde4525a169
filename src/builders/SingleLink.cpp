#include "builders/SingleLink.h"

#include "listops/LinkList.h"

bool SingleLink::IsAcceptable(const QString& url)
{
    return url.startsWith(QLatin1StringView("http"), Qt::CaseInsensitive)
        || url.startsWith(QLatin1StringView("ftp"), Qt::CaseInsensitive);
}

QString SingleLink::BadFormatMessage()
{
    return QStringLiteral(
        "Please enter a valid URL in the format of \"ftp:// or http://...\". Operation aborted.");
}

bool SingleLink::Apply(const SingleLinkRequest& request, LinkList& list)
{
    if (!IsAcceptable(request.url))
        return false;
    if (request.append) {
        if (list.isFull())
            return false;
    } else {
        list.clear();
    }
    return list.add(request.url);
}
