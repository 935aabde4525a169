#include "builders/ClipboardBuilder.h"

#include "builders/LinkRules.h"
#include "core/Preferences.h"
#include "listops/LinkList.h"

QString ClipboardBuilder::noTextMessage()
{
    return QStringLiteral("The ClipBoard does not contain any valid URLs. Operation aborted.");
}

QString ClipboardBuilder::noLinksMessage()
{
    return QStringLiteral("The ClipBoard does not contain any valid urls. Operation aborted.");
}

bool ClipboardBuilder::isLink(QStringView line)
{
    return LinkRules::isLink(line, LinkRules::LinkTest::ClipboardLine);
}

void ClipboardBuilder::takeLine(TextLinks& found, QStringView line, const Preferences& prefs)
{
    if (!isLink(line))
        return;
    found.found = true;
    if (!LinkRules::passesExclusion(line, prefs.exjs, prefs.exmt))
        return;
    // The list holds no more: the rest is only counted.
    if (found.links.size() < found.limit)
        found.links.append(line.toString());
    else
        ++found.overflow;
}

Result<TextLinks> ClipboardBuilder::scan(const QString& text, const Preferences& prefs)
{
    if (text.isEmpty())
        return Result<TextLinks>::failed(noTextMessage());

    // Lines are taken by index, without copying the remaining text.
    TextLinks found;
    qsizetype pos = 0;
    const qsizetype length = text.size();
    while (pos < length) {
        qsizetype end = pos;
        while (
            end < length && text.at(end) != QLatin1Char('\n') && text.at(end) != QLatin1Char('\r'))
            ++end;
        const QStringView line = QStringView(text).mid(pos, end - pos);
        if (LinkList::admits(line))
            takeLine(found, line, prefs);

        if (end >= length)
            break;
        pos = end + 1;
        if (text.at(end) == QLatin1Char('\r') && pos < length && text.at(pos) == QLatin1Char('\n'))
            ++pos;
    }
    if (!found.found)
        return Result<TextLinks>::failed(noLinksMessage());
    return Result<TextLinks>::ok(std::move(found));
}

ListAddition ClipboardBuilder::apply(const TextLinks& found, bool append, LinkList& list)
{
    // Emptying an empty list would still count as a change for the undo history.
    if (!append && !list.isEmpty())
        list.clear();
    const qsizetype take
        = std::min<qsizetype>(list.maxEntries() - list.count(), found.links.size());
    ListAddition addition;
    addition.added
        = list.addMany(take < found.links.size() ? found.links.first(take) : found.links);
    addition.notAdded = found.links.size() - take + found.overflow;
    return addition;
}
