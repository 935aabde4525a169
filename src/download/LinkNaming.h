#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "download/DownloadItem.h"
#include "download/NameMask.h"

// The names of a job's links: where each link's file goes, from the link's own name or
// the mask (worked out once per link, so the queue and the link agree on it), the name
// a server gives in its place, and a name numbered free of those running links hold.
class LinkNaming final
{
public:
    // The folders a mask names inside the destination (relative, ending with "/", or
    // empty) and the file name.
    struct Target {
        QString folder;
        QString name;
    };

    // numbersCount: the count the items' numbers were given in (0: the items').
    LinkNaming(const DownloadItems& items, const QString& mask, int numbersCount);

    const Target& target(int index) const;
    // With "use the name the server gives": the last part of given, made safe, when it
    // differs from current; empty when current stays.
    static QString serverName(const QString& given, const QString& current);
    // name, else name numbered (1), (2)... until reserved says no running link holds it.
    static QString unreserved(
        const QString& name, const std::function<bool(const QString&)>& reserved);

private:
    const DownloadItems& m_items;
    std::optional<NameMask> m_mask;
    int m_numbersCount;
    mutable std::vector<std::optional<Target>> m_targets;
};
