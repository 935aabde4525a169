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
    // portable: every part of a path is made portable (PortableName).
    LinkNaming(
        const DownloadItems& items, const QString& mask, int numbersCount, bool portable = false);

    const Target& target(int index) const;
    // The file name the link's target takes once the server named its content type, when
    // that differs from target(index).name (a link without a named file takes the type's
    // extension); empty when the name stays. The folder stays as target() gave it.
    QString typedName(int index, const QString& contentType) const;
    // With "use the name the server gives": the last part of given, made safe, when it
    // differs from current; empty when current stays.
    QString serverName(const QString& given, const QString& current) const;
    // The relative path (folders and file name) mask gives the entry as the first of a
    // job's links, for showing a mask while it is typed; empty with problem set when the
    // mask does not parse.
    static QString example(
        const QString& mask, const ListEntry& entry, bool portable, QString* problem);
    // name, else name numbered (1), (2)... until reserved says no running link holds it.
    static QString unreserved(
        const QString& name, const std::function<bool(const QString&)>& reserved);

private:
    // The relative path the mask (or the link's own name) gives with contentType.
    QString path(int index, const QString& contentType) const;
    QString fileName(const QString& name) const;

    const DownloadItems& m_items;
    std::optional<NameMask> m_mask;
    int m_numbersCount;
    bool m_portable;
    mutable std::vector<std::optional<Target>> m_targets;
};
