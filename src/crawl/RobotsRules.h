#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What a site's robots.txt asks of one robot: the Allow and Disallow rules of the group
// naming it (else of the "*" group), the longest matching rule deciding ("*" and a
// final "$" as wildcards, Allow winning a tie), and its Crawl-delay. A file that is
// missing, too large, not text or without a group for the robot allows everything.
class RobotsRules final
{
public:
    // Files larger than this are not read: everything is allowed.
    static constexpr qsizetype MaxBytes = 512 * 1024;

    // Allows everything.
    RobotsRules() = default;
    // The rules of body for the robot named agent (its product token, in any case).
    static RobotsRules parse(const QByteArray& body, const QString& agent);

    // Whether the path (with its query, as sent) may be fetched.
    bool allows(const QString& pathAndQuery) const;
    // Seconds between two fetches from the site; 0 when none is asked.
    double crawlDelay() const { return m_delay; }

private:
    struct Rule {
        QString pattern;
        bool allow = false;
    };
    static bool matches(const QString& pattern, const QString& path);

    QList<Rule> m_rules;
    double m_delay = 0;
};
