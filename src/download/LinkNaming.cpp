#include "download/LinkNaming.h"

#include <QDate>

#include "download/DownloadNames.h"

LinkNaming::LinkNaming(
    const DownloadItems& items, const QString& mask, int numbersCount, bool portable)
    : m_items(items)
    , m_numbersCount(numbersCount > 0 ? numbersCount : static_cast<int>(items.size()))
    , m_portable(portable)
    , m_targets(static_cast<size_t>(items.size()))
{
    // A mask that does not parse was refused before the job; the links keep their names.
    if (QString problem; !mask.isEmpty())
        m_mask = NameMask::parse(mask, &problem);
}

QString LinkNaming::path(int index, const QString& contentType) const
{
    const DownloadItem& item = m_items.at(index);
    if (!m_mask)
        return fileName(SafeFileName(FileNameFromUrl(item.url(), contentType)));
    const int number = item.number > 0 ? item.number : index + 1;
    const QString path = m_mask->expand({ item.url(), number, m_numbersCount, item.entry.context,
        QDate::currentDate(), contentType });
    return m_portable ? PortablePath(path) : path;
}

QString LinkNaming::fileName(const QString& name) const
{
    return m_portable ? SafeFileName(PortableName(name)) : name;
}

const LinkNaming::Target& LinkNaming::target(int index) const
{
    std::optional<Target>& cached = m_targets[static_cast<size_t>(index)];
    if (cached)
        return *cached;
    const QString full = path(index, QString());
    const qsizetype slash = full.lastIndexOf(QLatin1Char('/'));
    cached = Target { full.left(slash + 1), full.mid(slash + 1) };
    return *cached;
}

QString LinkNaming::typedName(int index, const QString& contentType) const
{
    if (contentType.isEmpty())
        return QString();
    const QString full = path(index, contentType);
    const QString name = full.mid(full.lastIndexOf(QLatin1Char('/')) + 1);
    return name == target(index).name ? QString() : name;
}

QString LinkNaming::serverName(const QString& given, const QString& current) const
{
    if (given.isEmpty())
        return QString();
    const QString safe = ServerFileName(given);
    if (safe.isEmpty())
        return QString();
    const QString name = fileName(safe);
    return name == current ? QString() : name;
}

QString LinkNaming::example(
    const QString& mask, const ListEntry& entry, bool portable, QString* problem)
{
    if (!mask.isEmpty() && !NameMask::parse(mask, problem))
        return QString();
    const DownloadItems items { { entry, 1 } };
    const LinkNaming naming(items, mask, 1, portable);
    const Target& target = naming.target(0);
    return target.folder + target.name;
}

QString LinkNaming::unreserved(
    const QString& name, const std::function<bool(const QString&)>& reserved)
{
    QString free = name;
    for (int n = 1; reserved(free); ++n)
        free = NumberedName(name, n);
    return free;
}
