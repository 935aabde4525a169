#include "download/LinkNaming.h"

#include <QDate>

#include "download/DownloadNames.h"

LinkNaming::LinkNaming(const DownloadItems& items, const QString& mask, int numbersCount)
    : m_items(items)
    , m_numbersCount(numbersCount > 0 ? numbersCount : static_cast<int>(items.size()))
    , m_targets(static_cast<size_t>(items.size()))
{
    // A mask that does not parse was refused before the job; the links keep their names.
    if (QString problem; !mask.isEmpty())
        m_mask = NameMask::parse(mask, &problem);
}

const LinkNaming::Target& LinkNaming::target(int index) const
{
    std::optional<Target>& cached = m_targets[static_cast<size_t>(index)];
    if (cached)
        return *cached;
    const DownloadItem& item = m_items.at(index);
    if (!m_mask) {
        cached = Target { QString(), SafeFileName(FileNameFromUrl(item.url())) };
        return *cached;
    }
    const int number = item.number > 0 ? item.number : index + 1;
    const QString path = m_mask->expand(
        { item.url(), number, m_numbersCount, item.entry.context, QDate::currentDate() });
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    cached = Target { path.left(slash + 1), path.mid(slash + 1) };
    return *cached;
}

QString LinkNaming::serverName(const QString& given, const QString& current)
{
    if (given.isEmpty())
        return QString();
    const QString safe = ServerFileName(given);
    return safe == current ? QString() : safe;
}

QString LinkNaming::unreserved(
    const QString& name, const std::function<bool(const QString&)>& reserved)
{
    QString free = name;
    for (int n = 1; reserved(free); ++n)
        free = NumberedName(name, n);
    return free;
}
