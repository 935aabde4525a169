#include <gtest/gtest.h>

#include "builders/ClipboardBuilder.h"
#include "core/MainState.h"
#include "listops/LinkList.h"
#include "support/ScriptedPrompt.h"

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
    MainState state;
    LinkList list;
    ScriptedPrompt prompt;
    EXPECT_TRUE(
        ClipboardBuilder::run(GetParam().text, state.append, state.prefs, list, prompt).isOk());
    EXPECT_EQ(list.entries(), GetParam().expected);
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_EQ(prompt.desiredActionAsked, 0); // the list was empty
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
    MainState state;
    LinkList list;
    list.add("http://old");
    ScriptedPrompt prompt;
    EXPECT_EQ(ClipboardBuilder::run("", state.append, state.prefs, list, prompt).message(),
        ClipboardBuilder::noTextMessage());
    EXPECT_EQ(ClipboardBuilder::run("hello\r\n www.x.org", state.append, state.prefs, list, prompt)
                  .message(),
        ClipboardBuilder::noLinksMessage());
    ASSERT_EQ(prompt.messages.size(), 2);
    EXPECT_EQ(prompt.messages[0].text,
        "The ClipBoard does not contain any valid URLs. Operation aborted.");
    EXPECT_EQ(prompt.messages[1].text,
        "The ClipBoard does not contain any valid urls. Operation aborted.");
    for (const auto& m : prompt.messages) {
        EXPECT_EQ(m.title, "Oops!");
        EXPECT_EQ(m.icon, PromptIcon::Critical);
    }
    EXPECT_EQ(prompt.desiredActionAsked, 0);
    EXPECT_EQ(list.entries(), QStringList { "http://old" });
}

TEST(ClipboardBuilder, AsksOnceOnANonEmptyListAndHonoursTheAnswer)
{
    struct Row {
        std::optional<bool> answer;
        bool appendBefore;
        QStringList expected;
    };
    const Row rows[] = {
        { true, false, { "http://old", "http://a", "http://b" } },
        { false, true, { "http://a", "http://b" } },
        { std::nullopt, true, { "http://old", "http://a", "http://b" } }, // closed: keeps append
        { std::nullopt, false, { "http://a", "http://b" } },
    };
    for (const Row& row : rows) {
        MainState state;
        state.append = row.appendBefore;
        LinkList list;
        list.add("http://old");
        ScriptedPrompt prompt;
        prompt.desiredActions.push_back(row.answer);
        (void)ClipboardBuilder::run(
            "junk\r\nhttp://a\r\nhttp://b", state.append, state.prefs, list, prompt);
        EXPECT_EQ(prompt.desiredActionAsked, 1);
        EXPECT_EQ(list.entries(), row.expected);
        EXPECT_EQ(state.append, row.answer.value_or(row.appendBefore));
    }
}

TEST(ClipboardBuilder, ExcludedLinksCountAsAccepted)
{
    MainState state;
    state.prefs.exmt = true;
    state.prefs.exjs = true;
    LinkList list;
    list.add("http://old");
    ScriptedPrompt prompt;
    prompt.desiredActions.push_back(false);
    EXPECT_TRUE(ClipboardBuilder::run(
        "mailto:a@b\r\njavascript:x()", state.append, state.prefs, list, prompt)
                    .isOk());
    EXPECT_EQ(prompt.desiredActionAsked, 1);
    EXPECT_TRUE(list.isEmpty()); // cleared by the answer, nothing admitted
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST(ClipboardBuilder, StopsAtTheListLimitAndSaysSoOnce)
{
    MainState state;
    LinkList list;
    ScriptedPrompt prompt;
    QStringList lines;
    for (int i = 0; i < LinkList::MaxEntries + 3; ++i)
        lines.append(QStringLiteral("http://h/%1").arg(i));
    EXPECT_TRUE(
        ClipboardBuilder::run(lines.join("\r\n"), state.append, state.prefs, list, prompt).isOk());
    EXPECT_EQ(list.count(), LinkList::MaxEntries);
    EXPECT_EQ(list.at(LinkList::MaxEntries - 1), lines.at(LinkList::MaxEntries - 1));
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0].title, "List Full");
    EXPECT_TRUE(prompt.messages[0].text.contains("3 more links"));
}

TEST(ClipboardBuilder, ALineWithANulCharacterIsPassedOver)
{
    MainState state;
    LinkList list;
    list.add("http://old");
    ScriptedPrompt prompt;
    (void)ClipboardBuilder::run(
        QString::fromUtf8("http://a\0b\nhttp://c", 19), state.append, state.prefs, list, prompt);
    EXPECT_EQ(list.entries(), (QStringList { "http://c" }));
    (void)ClipboardBuilder::run(
        QString::fromUtf8("http://a\0b", 10), state.append, state.prefs, list, prompt);
    EXPECT_EQ(list.entries(), (QStringList { "http://c" })) << "not asked, not cleared";
}
