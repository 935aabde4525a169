#include "crawl/NextPageLink.h"

#include <QRegularExpression>
#include <QStringList>

namespace
{

// An address cut into its runs of digits and the text between them.
struct NumberRuns {
    QStringList between; // one more than numbers
    QList<qint64> numbers;
};

NumberRuns numberRuns(const QString& address)
{
    static const QRegularExpression digits(QStringLiteral("[0-9]+"));
    NumberRuns runs;
    qsizetype from = 0;
    for (auto it = digits.globalMatch(address); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        runs.between.append(address.mid(from, match.capturedStart() - from));
        runs.numbers.append(match.captured().left(15).toLongLong());
        from = match.capturedEnd();
    }
    runs.between.append(address.mid(from));
    return runs;
}

} // namespace

bool NextPageLink::isNext(const ListEntry& link, const QString& page)
{
    if (link.context.kind != EntryKind::Link)
        return false;
    if (link.context.relNext)
        return true;
    // Many links, few of them next: plain comparisons rather than an expression.
    QString text = link.context.text.simplified().toLower();
    if (text.endsWith(QChar(0x203A)) || text.endsWith(QChar(0xBB)))
        text = text.chopped(1).trimmed();
    if (link.context.text.trimmed().isEmpty())
        return false;
    if (text.isEmpty() || text == QLatin1String("next") || text == QLatin1String("next page"))
        return true;
    const int number = numberText(text);
    return number > 1 && pageNumber(link.url, page) == number - 1;
}

int NextPageLink::numberText(const QString& text)
{
    if (text.isEmpty() || text.size() > 6)
        return -1;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
    }
    return text.toInt();
}

int NextPageLink::pageNumber(const QString& link, const QString& page)
{
    const NumberRuns to = numberRuns(link);
    const NumberRuns from = numberRuns(page);
    if (to.between == from.between) {
        // The same address but for its numbers: the page's number is where they differ.
        int differing = -1;
        for (qsizetype i = 0; i < to.numbers.size(); ++i) {
            if (to.numbers.at(i) == from.numbers.at(i))
                continue;
            if (differing >= 0)
                return -1;
            differing = static_cast<int>(i);
        }
        return differing < 0 ? -1 : static_cast<int>(from.numbers.at(differing));
    }
    // The first page often has no number at all: "list" then "list?page=2".
    return to.numbers.size() == from.numbers.size() + 1 ? 1 : -1;
}
