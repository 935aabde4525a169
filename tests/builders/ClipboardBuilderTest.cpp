#include <gtest/gtest.h>

#include "builders/ClipboardBuilder.h"
#include "core/Preferences.h"
#include "listops/LinkList.h"

namespace
{

struct ClipCase {
    const char* name;
    QString text;
    QStringList expected;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const ClipCase& c, std::ostream* out)
{
    *out << c.name;
}

} // namespace

class ClipboardCutting : public ::testing::TestWithParam<ClipCase>
{
};

TEST_P(ClipboardCutting, AddsTheLinkLinesInTextOrder)
{
    const Preferences prefs;
    LinkList list;
    const Result<TextLinks> found = ClipboardBuilder::scan(GetParam().text, prefs);
    ASSERT_TRUE(found.isOk());
    EXPECT_EQ(
        ClipboardBuilder::apply(found.value(), false, list).added, GetParam().expected.size());
    EXPECT_EQ(list.entries(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Lines, ClipboardCutting,
    ::testing::Values(ClipCase { "EmptyLineAndFinalCrLf", "http://a\r\n\r\nhttp://b\r\n",
                          { "http://a", "http://b" } },
        ClipCase { "LoneLineFeedsEndLines", "http://a\nhttp://b\n", { "http://a", "http://b" } },
        ClipCase { "LoneCarriageReturnsEndLines", "http://a\rx\r\nftp://b\r\rhttp://c",
            { "http://a", "ftp://b", "http://c" } },
        ClipCase { "LeadingSpaceIsNotALink", " http://a\r\nhttp://b  ", { "http://b  " } },
        ClipCase { "PrefixesInAnyCaseKeepTheirCase",
            "HTTP://A\r\nFtp://b\r\nMAILTO:x@y\r\nJavaScript:go()",
            { "HTTP://A", "Ftp://b", "MAILTO:x@y", "JavaScript:go()" } },
        ClipCase { "MailtoNeedsTheColon", "mailto x@y\r\nmailto:x@y", { "mailto:x@y" } },
        ClipCase { "DuplicatesAreKept", "http://a\r\nhttp://a", { "http://a", "http://a" } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClipboardBuilder, NoTextAndNoLinksGiveTheirOwnMessages)
{
    const Preferences prefs;
    EXPECT_EQ(ClipboardBuilder::scan("", prefs).message(),
        "The ClipBoard does not contain any valid URLs. Operation aborted.");
    EXPECT_EQ(ClipboardBuilder::scan("hello\r\n www.x.org", prefs).message(),
        "The ClipBoard does not contain any valid urls. Operation aborted.");
    // A line the list could not hold counts as text.
    EXPECT_EQ(ClipboardBuilder::scan(QString::fromUtf8("http://a\0b", 10), prefs).message(),
        ClipboardBuilder::noLinksMessage());
}

TEST(ClipboardBuilder, ExcludedLinksCountAsFoundButAreNotTaken)
{
    Preferences prefs;
    prefs.exmt = true;
    prefs.exjs = true;
    const Result<TextLinks> found
        = ClipboardBuilder::scan("mailto:a@b\r\njavascript:x()\r\nhttp://a", prefs);
    ASSERT_TRUE(found.isOk());
    EXPECT_EQ(found.value().links, QStringList { "http://a" });
}

TEST(ClipboardBuilder, AppendKeepsOrReplacesTheList)
{
    const Result<TextLinks> found = ClipboardBuilder::scan("http://a\nhttp://b", Preferences());
    for (const bool append : { true, false }) {
        LinkList list;
        list.add("http://old");
        (void)ClipboardBuilder::apply(found.value(), append, list);
        const QStringList expected = append ? QStringList { "http://old", "http://a", "http://b" }
                                            : QStringList { "http://a", "http://b" };
        EXPECT_EQ(list.entries(), expected);
    }
}

TEST(ClipboardBuilder, StopsAtTheListLimitAndCountsTheRest)
{
    QStringList lines;
    for (int i = 0; i < LinkList::MaxEntries + 3; ++i)
        lines.append(QStringLiteral("http://h/%1").arg(i));
    const Result<TextLinks> found = ClipboardBuilder::scan(lines.join("\r\n"), Preferences());
    LinkList list;
    const ListAddition added = ClipboardBuilder::apply(found.value(), true, list);
    EXPECT_EQ(added.added, LinkList::MaxEntries);
    EXPECT_EQ(added.notAdded, 3);
    EXPECT_EQ(list.at(LinkList::MaxEntries - 1), lines.at(LinkList::MaxEntries - 1));

    // Appended to a list with entries, the room is what the list has left.
    LinkList partial;
    partial.add("http://old");
    EXPECT_EQ(ClipboardBuilder::apply(found.value(), true, partial).notAdded, 4);
    EXPECT_EQ(partial.count(), LinkList::MaxEntries);
}

TEST(ClipboardBuilder, ALineWithANulCharacterIsPassedOver)
{
    const Result<TextLinks> found
        = ClipboardBuilder::scan(QString::fromUtf8("http://a\0b\nhttp://c", 19), Preferences());
    EXPECT_EQ(found.value().links, (QStringList { "http://c" }));
}
