#include "builders/SingleLink.h"

#include "builders/LinkRules.h"
#include "listops/LinkList.h"
#include "listops/ListLimit.h"

bool SingleLink::isAcceptable(const QString& url)
{
    return LinkRules::isLink(url, LinkRules::LinkTest::SingleLink);
}

QString SingleLink::badFormatMessage()
{
    return QStringLiteral(
        "Please enter a valid URL in the format of \"ftp:// or http://...\". Operation aborted.");
}

Result<> SingleLink::apply(const SingleLinkRequest& request, LinkList& list)
{
    if (!isAcceptable(request.url))
        return Result<>::failed(badFormatMessage());
    if (request.append) {
        if (list.isFull())
            return Result<>::failed(ListLimit::message(1));
    } else {
        list.clear();
    }
    return list.add(request.url) ? Result<>::ok() : Result<>::failed(ListLimit::message(1));
}
