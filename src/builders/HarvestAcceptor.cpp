#include "builders/HarvestAcceptor.h"

#include "builders/LinkRules.h"
#include "builders/SplitPath.h"
#include "core/FilterState.h"
#include "core/Preferences.h"
#include "listops/LinkList.h"

HarvestAcceptor::HarvestAcceptor(
    const Preferences& prefs, const FilterState& filters, LinkList& list)
    : m_prefs(prefs)
    , m_filters(filters)
    , m_list(list)
{
}

QString HarvestAcceptor::normalise(const QString& href)
{
    // One left-to-right pass gives the same text as replacing the first occurrence again
    // and again: a replacement inserts a space, which can never start a new "%20".
    QString result = href;
    result.replace(QLatin1StringView("%20"), QLatin1StringView(" "));
    return result;
}

bool HarvestAcceptor::passesFileFilter(const QString& address, const QStringList& ftypes)
{
    const QString extension = SplitPath(address, PathPart::Extension).mid(1);
    if (extension.isEmpty())
        return false;
    return ftypes.contains(extension, Qt::CaseSensitive);
}

int HarvestAcceptor::accept(const QStringList& hrefs)
{
    ListEntries entries;
    entries.reserve(hrefs.size());
    for (const QString& href : hrefs)
        entries.append(ListEntry { href, {} });
    return accept(entries);
}

int HarvestAcceptor::accept(const ListEntries& entries)
{
    const bool filterOn = m_filters.filterActive();
    ListEntries accepted;
    accepted.reserve(entries.size());
    // Every address met in this call: the rules give the same answer for the same
    // address, so a repeat is skipped whether its first occurrence was accepted or not.
    // The first occurrence keeps its context.
    QSet<QString> seen;
    seen.reserve(entries.size());
    for (const ListEntry& entry : entries) {
        QString address = normalise(entry.url);
        if (m_list.contains(address))
            continue;
        const qsizetype seenBefore = seen.size();
        seen.insert(address);
        if (seen.size() == seenBefore)
            continue;
        if (filterOn && !passesFileFilter(address, m_filters.ftypes))
            continue;
        if (!LinkRules::passesExclusion(address, m_prefs.exjs, m_prefs.exmt))
            continue;
        accepted.append(ListEntry { std::move(address), entry.context });
    }
    const int added = m_list.addEntries(accepted);
    if (added < accepted.size()) {
        m_limitReached = true;
        m_notAdded += static_cast<int>(accepted.size()) - added;
    }
    return added;
}
