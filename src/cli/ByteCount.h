#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// An amount of bytes as options take it: a decimal number with K, M or G after it for
// 1024, 1024² or 1024³ (200K, 1.5M), bytes without a suffix. A non-zero amount that
// comes to less than one byte is refused rather than read as zero.
namespace ByteCount
{
// nullopt when text is not such an amount or exceeds max.
std::optional<qint64> parse(const QString& text, qint64 max);
} // namespace ByteCount
