#pragma once

#include <QList>

#include "listops/EntryContext.h"

// One link of a download job with its context, as the list keeps it: the page is the
// Referer of its request, and its text and title fill a mask's *text* and *title*.
// number is its *num*: its place in the job it first came from, from 1, which a retry
// of some links keeps.
struct DownloadItem {
    ListEntry entry;
    int number = 0;

    const QString& url() const { return entry.url; }
};

using DownloadItems = QList<DownloadItem>;

// The entries as a new job's items, numbered in their order from 1.
inline DownloadItems numberedItems(const ListEntries& entries)
{
    DownloadItems items;
    items.reserve(entries.size());
    for (const ListEntry& entry : entries)
        items.append({ entry, static_cast<int>(items.size()) + 1 });
    return items;
}
