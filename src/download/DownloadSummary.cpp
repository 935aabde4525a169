#include "download/DownloadSummary.h"

QStringList DownloadSummary::failedLinks() const
{
    QStringList links;
    for (const Failure& failure : failures)
        links.append(failure.link());
    return links;
}

DownloadItems DownloadSummary::failedItems() const
{
    DownloadItems items;
    for (const Failure& failure : failures)
        items.append(failure.item);
    return items;
}
