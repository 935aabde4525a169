#include "builders/SequenceBuilder.h"

#include <limits>

#include "listops/LinkList.h"

namespace
{

constexpr int ListItems = 500;

// A Start # or End # text as a number from 0 to 2147483647: digits only (leading
// zeros allowed), nothing else.
std::optional<qint64> readNumber(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const QChar ch : text) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (ch.unicode() - '0');
        if (value > std::numeric_limits<qint32>::max())
            return std::nullopt;
    }
    return value;
}

QString numberError(const QString& label, const QString& text)
{
    return QStringLiteral("%1 \"%2\" is not a whole number from 0 to %3.")
        .arg(label, text, QString::number(std::numeric_limits<qint32>::max()));
}

} // namespace

QString SequenceBuilder::formatWithMask(qint64 n, int zeros)
{
    if (n < 0)
        return QLatin1Char('-') + formatWithMask(-n, zeros);
    return QStringLiteral("%1").arg(n, std::max(zeros, 1), 10, QLatin1Char('0'));
}

int SequenceBuilder::OnlyNum(int keyAscii)
{
    if (keyAscii == 8 || (keyAscii >= '0' && keyAscii <= '9'))
        return keyAscii;
    return 0;
}

QStringList SequenceBuilder::numberItems(int width)
{
    // A drop-down of wider items helps nobody and would cost memory without bound.
    width = std::min(width, MaxDigits);
    QStringList items;
    items.reserve(ListItems);
    for (int n = 1; n <= ListItems; ++n)
        items.append(formatWithMask(n, width));
    return items;
}

QString SequenceBuilder::selectionMissingMessage()
{
    return QStringLiteral(
        "Please select a portion of the URL in place of which to insert the sequential digits.");
}

Result<> SequenceBuilder::check(const SequenceRequest& request)
{
    const QString& url = request.url;
    if (request.selectionLength <= 0)
        return Result<>::failed(selectionMissingMessage());
    if (request.selectionStart < 0 || request.selectionStart > url.size()
        || request.selectionLength > url.size() - request.selectionStart)
        return Result<>::failed(QStringLiteral("The selected portion lies outside the URL."));
    // The start's width is every entry's width: a pasted wall of zeros would fill the
    // memory with copies of it.
    if (request.startText.size() > MaxDigits)
        return Result<>::failed(
            QStringLiteral("Start # has %1 digits; the numbers may have at most %2 digits.")
                .arg(QString::number(request.startText.size()), QString::number(MaxDigits)));
    if (!readNumber(request.startText))
        return Result<>::failed(numberError(QStringLiteral("Start #"), request.startText));
    if (!readNumber(request.endText))
        return Result<>::failed(numberError(QStringLiteral("End #"), request.endText));
    return Result<>::ok();
}

qint64 SequenceBuilder::forEachLink(const SequenceRequest& request, PastEnd pastEnd, qint64 limit,
    const std::function<bool(const QString&)>& each)
{
    const std::optional<qint64> start = readNumber(request.startText);
    const std::optional<qint64> end = readNumber(request.endText);
    const QString& url = request.url;
    const QString prefix = url.left(request.selectionStart);
    const QString suffix = url.mid(request.selectionStart + request.selectionLength);
    const int zeros = static_cast<int>(request.startText.size());
    // 64-bit counting: a run up to 2147483647 neither overflows nor loops past the
    // limit.
    const bool down = *end < *start && pastEnd == PastEnd::CountDown;
    const qint64 step = down ? -1 : 1;
    const qint64 wanted = down ? *start - *end + 1 : *end >= *start ? *end - *start + 1 : 0;
    const qint64 take = std::min(wanted, limit);
    for (qint64 i = 0; i < take; ++i) {
        if (!each(prefix + formatWithMask(*start + step * i, zeros) + suffix))
            return i + 1;
    }
    return wanted;
}

Result<SequenceRun> SequenceBuilder::build(
    const SequenceRequest& request, LinkList& list, PastEnd pastEnd)
{
    if (const Result<> checked = check(request); !checked)
        return Result<SequenceRun>::from(checked);
    if (!request.append)
        list.clear();
    const qint64 room = qint64(list.maxEntries()) - list.count();
    QStringList entries;
    const qint64 wanted = forEachLink(request, pastEnd, room, [&](const QString& link) {
        entries.append(link);
        return true;
    });
    SequenceRun run;
    run.added = list.addMany(entries);
    run.notAdded = wanted - run.added;
    run.limitReached = run.notAdded > 0;
    return Result<SequenceRun>::ok(run);
}
