#include "builders/ClipboardBuilder.h"

#include "builders/LinkRules.h"
#include "core/IUserPrompt.h"
#include "core/Preferences.h"
#include "listops/LinkList.h"
#include "listops/ListLimit.h"

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

Result<> ClipboardBuilder::run(const QString& text, bool& append, const Preferences& prefs,
    LinkList& list, IUserPrompt& prompt)
{
    if (text.isEmpty()) {
        prompt.message(PromptIcon::Critical, QStringLiteral("Oops!"), noTextMessage());
        return Result<>::failed(noTextMessage());
    }

    // A line ends at CR LF, a lone LF or a lone CR (text from Linux programs ends its
    // lines in LF alone). Lines are taken by index, without copying the remaining text.
    // Admitted lines are collected and added in one model change: nothing between the
    // question and the end of the scan depends on the list.
    QStringList pending;
    int room = 0;
    qint64 notAdded = 0;
    bool accepted = false;
    qsizetype pos = 0;
    const qsizetype length = text.size();
    while (pos < length) {
        qsizetype end = pos;
        while (
            end < length && text.at(end) != QLatin1Char('\n') && text.at(end) != QLatin1Char('\r'))
            ++end;
        const QStringView candidate = QStringView(text).mid(pos, end - pos);

        // A line the list would not hold (a NUL byte, over-long) is passed over like text.
        if (isLink(candidate) && LinkList::admits(candidate)) {
            if (!accepted) {
                if (!list.isEmpty()) {
                    if (const std::optional<bool> answer = prompt.askDesiredAction(prefs.defappend))
                        append = *answer;
                    if (!append)
                        list.clear();
                }
                room = LinkList::MaxEntries - list.count();
            }
            accepted = true;
            const QString line = candidate.toString();
            if (LinkRules::passesExclusion(line, prefs.exjs, prefs.exmt)) {
                if (pending.size() < room)
                    pending.append(line);
                else
                    ++notAdded;
            }
        }

        if (end >= length)
            break;
        pos = end + 1;
        if (text.at(end) == QLatin1Char('\r') && pos < length && text.at(pos) == QLatin1Char('\n'))
            ++pos;
    }

    list.addMany(pending);
    if (notAdded > 0)
        prompt.message(PromptIcon::Exclamation, ListLimit::title(), ListLimit::message(notAdded));

    if (!accepted) {
        prompt.message(PromptIcon::Critical, QStringLiteral("Oops!"), noLinksMessage());
        return Result<>::failed(noLinksMessage());
    }
    return Result<>::ok();
}
