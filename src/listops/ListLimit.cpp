#include "listops/ListLimit.h"

#include "listops/LinkList.h"

QString ListLimit::title()
{
    return QStringLiteral("List Full");
}

QString ListLimit::message(qint64 notAdded)
{
    const QString head = QStringLiteral("The list is full: it holds at most %1 links. "
                                        "The links added so far were kept; ")
                             .arg(LinkList::MaxEntries);
    if (notAdded == 1)
        return head + QStringLiteral("1 more link was not added.");
    if (notAdded > 1)
        return head + QStringLiteral("%1 more links were not added.").arg(notAdded);
    return head + QStringLiteral("the remaining links were not added.");
}
