#include "cli/ByteCount.h"

#include <QRegularExpression>

std::optional<qint64> ByteCount::parse(const QString& text, qint64 max)
{
    static const QRegularExpression pattern(
        QStringLiteral("^([0-9]{1,10})(?:\\.([0-9]{1,9}))?([KMG]?)$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const QString suffix = match.captured(3).toUpper();
    const int shift = suffix == QLatin1String("G") ? 30
        : suffix == QLatin1String("M")             ? 20
        : suffix == QLatin1String("K")             ? 10
                                                   : 0;
    const QString fraction = match.captured(2);
    qint64 scale = 1;
    for (qsizetype i = 0; i < fraction.size(); ++i)
        scale *= 10;
    // At most 10 digits before the point and 9 after: no step overflows 64 bits.
    const qint64 whole = match.captured(1).toLongLong();
    const qint64 part = fraction.isEmpty() ? 0 : fraction.toLongLong();
    if (whole > (max >> shift) + 1)
        return std::nullopt;
    const qint64 count = (whole << shift) + ((part << shift) / scale);
    if ((count == 0 && (whole > 0 || part > 0)) || count > max)
        return std::nullopt;
    return count;
}
