#include "crawl/RobotsRules.h"

#include <QStringConverter>
#include <QStringList>
#include <QUrl>
#include <algorithm>

namespace
{

// A group of lines under one or more User-agent lines.
struct Group {
    QStringList agents;
    QStringList lines; // "field:value" of the group's rules, in order
};

// Percent-escapes normalised the way paths are sent, so "/a%7eb" and "/a~b" agree.
QString normalised(const QString& path)
{
    return QString::fromUtf8(QUrl::fromPercentEncoding(path.toUtf8())
                                 .toUtf8()
                                 .toPercentEncoding("/?=&;:@+$,!*'()-._~#[]"));
}

} // namespace

RobotsRules RobotsRules::parse(const QByteArray& body, const QString& agent)
{
    if (body.size() > MaxBytes || body.contains('\0'))
        return {};
    auto decode = QStringDecoder(QStringDecoder::Utf8);
    const QString text = decode(body);
    if (decode.hasError())
        return {};

    QList<Group> groups;
    bool lastWasAgent = false;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.section(QLatin1Char('#'), 0, 0).trimmed();
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon <= 0)
            continue;
        const QString field = line.left(colon).trimmed().toLower();
        const QString value = line.mid(colon + 1).trimmed();
        if (field == QLatin1String("user-agent")) {
            if (!lastWasAgent || groups.isEmpty())
                groups.append(Group {});
            groups.last().agents.append(value.toLower());
            lastWasAgent = true;
            continue;
        }
        lastWasAgent = false;
        if (!groups.isEmpty())
            groups.last().lines.append(field + QLatin1Char(':') + value);
    }

    // The robot's own groups, else the "*" groups; several of them count as one.
    const QString name = agent.toLower();
    QStringList chosen;
    for (const bool own : { true, false }) {
        for (const Group& group : std::as_const(groups)) {
            const bool named = group.agents.contains(name);
            if (own ? named : group.agents.contains(QStringLiteral("*")))
                chosen += group.lines;
        }
        if (!chosen.isEmpty())
            break;
    }

    RobotsRules rules;
    for (const QString& line : std::as_const(chosen)) {
        const QString field = line.section(QLatin1Char(':'), 0, 0);
        const QString value = line.section(QLatin1Char(':'), 1);
        if (field == QLatin1String("allow") || field == QLatin1String("disallow")) {
            // "Disallow:" with nothing after it allows everything.
            if (!value.isEmpty())
                rules.m_rules.append({ normalised(value), field == QLatin1String("allow") });
        } else if (field == QLatin1String("crawl-delay")) {
            bool number = false;
            const double seconds = value.toDouble(&number);
            if (number && seconds > 0)
                rules.m_delay = std::min(seconds, 60.0);
        }
    }
    return rules;
}

bool RobotsRules::allows(const QString& pathAndQuery) const
{
    const QString path = normalised(pathAndQuery.isEmpty() ? QStringLiteral("/") : pathAndQuery);
    qsizetype longest = -1;
    bool allowed = true;
    for (const Rule& rule : m_rules) {
        if (!matches(rule.pattern, path))
            continue;
        const qsizetype length = rule.pattern.size();
        if (length > longest || (length == longest && rule.allow)) {
            longest = length;
            allowed = rule.allow;
        }
    }
    return allowed;
}

bool RobotsRules::matches(const QString& pattern, const QString& path)
{
    // "*" matches any run of characters, a final "$" the end of the path; a pattern
    // otherwise matches a prefix. Greedy matching with one backtrack point suffices for a
    // single kind of wildcard.
    const bool anchored = pattern.endsWith(QLatin1Char('$'));
    const QString body = anchored ? pattern.chopped(1) : pattern;
    qsizetype p = 0;
    qsizetype s = 0;
    qsizetype starAt = -1;
    qsizetype resumeAt = 0;
    while (s < path.size()) {
        if (p < body.size() && body.at(p) == QLatin1Char('*')) {
            starAt = p++;
            resumeAt = s;
        } else if (p < body.size() && body.at(p) == path.at(s)) {
            ++p;
            ++s;
        } else if (p == body.size() && !anchored) {
            return true;
        } else if (starAt >= 0) {
            p = starAt + 1;
            s = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < body.size() && body.at(p) == QLatin1Char('*'))
        ++p;
    return p == body.size();
}
