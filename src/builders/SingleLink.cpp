#include "builders/SingleLink.h"

#include "builders/LinkRules.h"
#include "listops/LinkList.h"

bool SingleLink::isAcceptable(const QString& url)
{
    return LinkRules::isLink(url, LinkRules::LinkTest::SingleLink);
}

QString SingleLink::badFormatMessage()
{
    return QStringLiteral(
        "Please enter a valid URL in the format of \"ftp:// or http://...\". Operation aborted.");
}

bool SingleLink::apply(const SingleLinkRequest& request, LinkList& list)
{
    if (!isAcceptable(request.url))
        return false;
    if (request.append) {
        if (list.isFull())
            return false;
    } else {
        list.clear();
    }
    return list.add(request.url);
}
