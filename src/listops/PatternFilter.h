#pragma once

#include <QList>
#include <QStringList>

#include "listops/ListPattern.h"

// Which addresses a list keeps by pattern: with any "match" pattern, only those that
// match one of them; never one that matches a "reject" pattern (a reject wins).
class PatternFilter final
{
public:
    PatternFilter() = default;

    // Failed with the first pattern's problem when one cannot be read.
    static Result<PatternFilter> parse(const QStringList& match, const QStringList& reject);

    bool isEmpty() const { return m_match.isEmpty() && m_reject.isEmpty(); }
    bool keeps(QStringView address) const;

private:
    QList<ListPattern> m_match;
    QList<ListPattern> m_reject;
};
