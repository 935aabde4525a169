#include "listops/PatternFilter.h"

#include <algorithm>

Result<PatternFilter> PatternFilter::parse(const QStringList& match, const QStringList& reject)
{
    PatternFilter filter;
    for (auto [texts, patterns] :
        { std::pair { &match, &filter.m_match }, std::pair { &reject, &filter.m_reject } }) {
        for (const QString& text : *texts) {
            Result<ListPattern> pattern = ListPattern::parse(text);
            if (!pattern)
                return Result<PatternFilter>::from(pattern);
            patterns->append(std::move(pattern).value());
        }
    }
    return Result<PatternFilter>::ok(std::move(filter));
}

bool PatternFilter::keeps(QStringView address) const
{
    const auto hit = [address](const ListPattern& p) { return p.matches(address); };
    if (std::any_of(m_reject.begin(), m_reject.end(), hit))
        return false;
    return m_match.isEmpty() || std::any_of(m_match.begin(), m_match.end(), hit);
}
