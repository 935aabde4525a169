#pragma once

#include <QString>
#include <QStringView>

// The link prefixes every list builder tests, in one table. "Begins with" compares the
// prefix at position 0 without regard to letter case; nothing is trimmed. No text begins
// with two of the prefixes except "mailto:" and "mailto", which never apply to the same
// test.
namespace LinkRules
{

// Which source's link test a prefix belongs to.
enum class LinkTest {
    ClipboardLine, // a line of clipboard, command-line or dropped text
    ListFileItem, // an item of a link list file
    SingleLink, // a link typed into "Add Single Link" or proposed from the clipboard
};

// How the exclusion preferences treat links with the prefix.
enum class Exclusion {
    NotApplicable, // the prefix is not part of the exclusion test
    AlwaysPasses, // web and file-transfer addresses
    UnlessExmt, // left out when "mailto" links are excluded
    UnlessExjs, // left out when "javascript:" links are excluded
};

struct LinkPrefix {
    QLatin1StringView text;
    bool clipboardLine;
    bool listFileItem;
    bool singleLink;
    Exclusion exclusion;
};

inline constexpr LinkPrefix kLinkPrefixes[] = {
    // prefix        clipboard  list file  single  exclusion
    { QLatin1StringView("http"), true, true, true, Exclusion::AlwaysPasses },
    { QLatin1StringView("ftp"), true, true, true, Exclusion::AlwaysPasses },
    { QLatin1StringView("mailto:"), true, false, false, Exclusion::NotApplicable },
    { QLatin1StringView("mailto"), false, true, false, Exclusion::UnlessExmt },
    { QLatin1StringView("javascript:"), true, true, false, Exclusion::UnlessExjs },
};

inline bool beginsWith(QStringView text, QLatin1StringView prefix)
{
    return text.startsWith(prefix, Qt::CaseInsensitive);
}

inline bool appliesTo(const LinkPrefix& prefix, LinkTest test)
{
    switch (test) {
    case LinkTest::ClipboardLine:
        return prefix.clipboardLine;
    case LinkTest::ListFileItem:
        return prefix.listFileItem;
    case LinkTest::SingleLink:
        return prefix.singleLink;
    }
    return false;
}

// Whether the text begins with one of the prefixes of that source's link test.
inline bool isLink(QStringView text, LinkTest test)
{
    for (const LinkPrefix& prefix : kLinkPrefixes) {
        if (appliesTo(prefix, test) && beginsWith(text, prefix.text))
            return true;
    }
    return false;
}

// The exclusion test: web and file-transfer addresses always pass, "mailto" ones
// unless exmt is set, "javascript:" ones unless exjs is set, nothing else.
inline bool passesExclusion(QStringView link, bool exjs, bool exmt)
{
    for (const LinkPrefix& prefix : kLinkPrefixes) {
        if (prefix.exclusion == Exclusion::NotApplicable || !beginsWith(link, prefix.text))
            continue;
        switch (prefix.exclusion) {
        case Exclusion::AlwaysPasses:
            return true;
        case Exclusion::UnlessExmt:
            return !exmt;
        case Exclusion::UnlessExjs:
            return !exjs;
        case Exclusion::NotApplicable:
            break;
        }
    }
    return false;
}

} // namespace LinkRules
