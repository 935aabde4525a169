#include <QFile>
#include <gtest/gtest.h>

#include "app/ListBuildFlow.h"
#include "app/PreferencesStore.h"
#include "builders/ClipboardBuilder.h"
#include "builders/FileBuilder.h"
#include "builders/SequenceBuilder.h"
#include "core/MainState.h"
#include "listops/LinkList.h"
#include "support/RecordingMainView.h"
#include "support/ScriptedPrompt.h"
#include "support/TempSettingsStore.h"

class ListBuildFlowTest : public ::testing::Test
{
protected:
    QString write(const QByteArray& bytes)
    {
        const QString path = m_temp.filePath(QStringLiteral("list%1.txt").arg(++m_files));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    void buildFromFile(const QString& path)
    {
        prompt.openNames.push_back(path);
        flow.buildFromFile();
    }
    static QByteArray manyLinks(int n)
    {
        QByteArray bytes;
        for (int i = 0; i < n; ++i)
            bytes += "http://h/" + QByteArray::number(i) + "\r\n";
        return bytes;
    }

    TempSettingsStore m_temp;
    CRegSettings regset = m_temp.settings();
    int m_files = 0;
    MainState state;
    LinkList list;
    RecordingMainView view;
    ScriptedPrompt prompt;
    ListBuildFlow flow { state, list, view, prompt, regset };
};

TEST_F(ListBuildFlowTest, TextAsksOnceOnANonEmptyListAndHonoursTheAnswer)
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
        state.append = row.appendBefore;
        list.clear();
        list.add("http://old");
        prompt.desiredActionAsked = 0;
        prompt.desiredActions.push_back(row.answer);
        flow.buildFromText("junk\r\nhttp://a\r\nhttp://b");
        EXPECT_EQ(prompt.desiredActionAsked, 1);
        EXPECT_EQ(list.entries(), row.expected);
        EXPECT_EQ(state.append, row.answer.value_or(row.appendBefore));
    }
    EXPECT_TRUE(prompt.messages.isEmpty());

    // An empty list is built without the question.
    list.clear();
    flow.buildFromText("http://c");
    EXPECT_EQ(prompt.desiredActionAsked, 1);
    EXPECT_EQ(list.entries(), QStringList { "http://c" });
}

TEST_F(ListBuildFlowTest, TextWithoutLinksSaysSoWithoutAsking)
{
    list.add("http://old");
    flow.buildFromText("");
    flow.buildFromText("hello\r\n www.x.org");
    ASSERT_EQ(prompt.messages.size(), 2);
    EXPECT_EQ(prompt.messages[0].text, ClipboardBuilder::noTextMessage());
    EXPECT_EQ(prompt.messages[1].text, ClipboardBuilder::noLinksMessage());
    for (const auto& m : prompt.messages) {
        EXPECT_EQ(m.title, "Oops!");
        EXPECT_EQ(m.icon, PromptIcon::Critical);
    }
    EXPECT_EQ(prompt.desiredActionAsked, 0);
    EXPECT_EQ(list.entries(), QStringList { "http://old" });
    EXPECT_EQ(view.extentUpdates, 2);
}

TEST_F(ListBuildFlowTest, TextOfExcludedLinksStillAsksAndReplaces)
{
    state.prefs.exmt = true;
    state.prefs.exjs = true;
    list.add("http://old");
    prompt.desiredActions.push_back(false);
    flow.buildFromText("mailto:a@b\r\njavascript:x()");
    EXPECT_EQ(prompt.desiredActionAsked, 1);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(ListBuildFlowTest, TextPastTheLimitSaysHowManyWereLeftOut)
{
    list.add("http://old");
    prompt.desiredActions.push_back(true);
    flow.buildFromText(QString::fromLatin1(manyLinks(LinkList::MaxEntries + 2)));
    EXPECT_EQ(list.count(), LinkList::MaxEntries);
    ASSERT_EQ(prompt.titles(), QStringList { "List Full" });
    EXPECT_TRUE(prompt.messages[0].text.contains("3 more links"));
}

TEST_F(ListBuildFlowTest, FileAsksOnceBeforeItsFirstValidItemWithTheNormalPointer)
{
    list.add("http://old");
    bool waitPointerWhileAsked = true;
    prompt.whileDesiredActionOpen = [&] { waitPointerWhileAsked = view.waitPointer; };
    prompt.desiredActions.push_back(false);
    const QString path = write("http://a\r\nhttp://b");
    buildFromFile(path);
    EXPECT_EQ(prompt.desiredActionAsked, 1);
    EXPECT_FALSE(waitPointerWhileAsked);
    EXPECT_EQ(list.entries(), (QStringList { "http://a", "http://b" }));
    EXPECT_EQ(lastUsedSaveFolder(regset), path);
    EXPECT_EQ(view.countText, "2 links found");
    EXPECT_FALSE(view.waitPointer);

    // A first item that is not a link, or none at all, stops before the question.
    buildFromFile(write("nope\r\nhttp://c"));
    buildFromFile(write(""));
    EXPECT_EQ(prompt.desiredActionAsked, 1);
    EXPECT_EQ(list.count(), 2);
    ASSERT_EQ(prompt.titles(), QStringList { "Bad Format" });
    EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Critical);
}

TEST_F(ListBuildFlowTest, FileStoppedByAnErrorKeepsWhatCameBeforeAndSaysWhy)
{
    list.add("http://old");
    prompt.desiredActions.push_back(true);
    buildFromFile(write("http://a\r\nnope\r\nhttp://b"));
    EXPECT_EQ(list.entries(), (QStringList { "http://old", "http://a" }));
    buildFromFile(m_temp.filePath("missing.txt"));
    EXPECT_EQ(prompt.titles(), (QStringList { "Bad Format", "Error" }));
    EXPECT_EQ(prompt.desiredActionAsked, 1);
    EXPECT_EQ(list.count(), 2);
}

// Appending to a list with entries, the list fills before the item that is not a link
// is reached: only the limit is reported.
TEST_F(ListBuildFlowTest, FileFillingTheListReportsOnlyTheLimit)
{
    list.add("http://old");
    prompt.desiredActions.push_back(true);
    buildFromFile(write(manyLinks(LinkList::MaxEntries) + "nope\r\n"));
    EXPECT_EQ(list.count(), LinkList::MaxEntries);
    EXPECT_EQ(prompt.titles(), QStringList { "List Full" });
}

TEST_F(ListBuildFlowTest, SequenceReportsARefusedRequestAndTheLimit)
{
    const SequenceRequest refused { "http://a/1", 0, 0, "1", "2", false };
    const SequenceRequest tooLong { "http://a/1", 9, 1, "0", "2147483647", true };
    list.add("http://old");
    prompt.sequences.push_back(refused);
    prompt.sequences.push_back(tooLong);
    prompt.sequences.push_back(std::nullopt);
    for (int i = 0; i < 3; ++i)
        flow.buildSequence(QString());
    EXPECT_EQ(prompt.titles(), (QStringList { "Error", "List Full" }));
    EXPECT_EQ(prompt.messages[0].text, SequenceBuilder::selectionMissingMessage());
    EXPECT_EQ(list.count(), LinkList::MaxEntries);
    EXPECT_EQ(list.at(1), "http://a/0");
    EXPECT_EQ(view.extentUpdates, 3);
}
