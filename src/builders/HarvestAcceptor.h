#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include "listops/EntryContext.h"

class LinkList;
struct FilterState;
struct Preferences;

// Applies the page harvest's acceptance rules to entries in document order, whatever
// their kind:
// "%20" becomes a space, an address already listed (exact, case-sensitive) is skipped,
// the file-type filter (when active) and the exclusion preferences decide, and the
// survivors are appended to the list with their context. The limits of the list are respected: once
// it is full, the rest is counted as not added.
class HarvestAcceptor final
{
public:
    HarvestAcceptor(const Preferences& prefs, const FilterState& filters, LinkList& list);

    // Returns how many entries were added to the list.
    int accept(const ListEntries& entries);
    // Addresses without context, as link entries.
    int accept(const QStringList& hrefs);
    bool limitReached() const { return m_limitReached; }
    // Accepted addresses that did not fit in the list, over every accept() call.
    int notAdded() const { return m_notAdded; }

    // Each "%20" replaced by one space, repeated until none is left.
    static QString normalise(const QString& href);
    // The file-type filter: the text after the last dot of the whole address (see
    // SplitPath) must equal one of the extensions exactly.
    static bool passesFileFilter(const QString& address, const QStringList& ftypes);

private:
    const Preferences& m_prefs;
    const FilterState& m_filters;
    LinkList& m_list;
    bool m_limitReached = false;
    int m_notAdded = 0;
};
