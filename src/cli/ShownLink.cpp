#include "cli/ShownLink.h"

#include <QStringView>

QString ShownLink::of(const QString& link)
{
    const qsizetype scheme = link.indexOf(QLatin1StringView("://"));
    if (scheme < 0)
        return link;
    const qsizetype start = scheme + 3;
    qsizetype end = start;
    while (end < link.size() && !QStringView(u"/?#").contains(link.at(end)))
        ++end;
    const qsizetype at = link.lastIndexOf(QLatin1Char('@'), end - 1);
    return at < start ? link : link.left(start) + link.mid(at + 1);
}

QString ShownLink::inMessage(const QString& message, const QString& link)
{
    return link.isEmpty() ? message : QString(message).replace(link, of(link));
}
