#include <gtest/gtest.h>
#include <utility>

#include "app/SiteCrawlFlow.h"
#include "core/MainState.h"
#include "listops/LinkList.h"
#include "support/FakeSiteCrawl.h"
#include "support/RecordingMainView.h"
#include "support/ScriptedPrompt.h"
#include "support/TempSettingsStore.h"
#include "support/WaitFor.h"

namespace
{

const CrawlResult kFound { { { QStringLiteral("http://s/1"), {} } }, {}, {}, false, {} };

class SiteCrawlFlowTest : public ::testing::Test
{
protected:
    SiteCrawlFlowTest() { makeFlow(FakeSiteCrawl::factory(record)); }
    void makeFlow(SiteCrawlFlow::CrawlFactory factory)
    {
        flow = std::make_unique<SiteCrawlFlow>(state, list, view, prompt, regset,
            std::move(factory), [this](const SiteCrawlChoices& stored) {
                shown.append(stored);
                return std::exchange(answer, std::nullopt);
            });
    }
    FakeSiteCrawl* started()
    {
        answer = choices;
        flow->buildFromSite();
        return record->live;
    }
    // The end reaches the flow through the event loop.
    void end(const CrawlResult& result)
    {
        record->live->finish(result);
        EXPECT_TRUE(waitFor([this] { return !flow || !flow->running(); }));
    }

    TempSettingsStore temp;
    CRegSettings regset = temp.settings();
    MainState state;
    LinkList list;
    RecordingMainView view;
    ScriptedPrompt prompt;
    std::shared_ptr<FakeSiteCrawl::Record> record = std::make_shared<FakeSiteCrawl::Record>();
    SiteCrawlChoices choices { QStringLiteral("http://s/gallery/"), {} };
    std::optional<SiteCrawlChoices> answer;
    QList<SiteCrawlChoices> shown;
    std::unique_ptr<SiteCrawlFlow> flow;
};

TEST_F(SiteCrawlFlowTest, ChoicesReachTheCrawlAreStoredAndProgressIsShown)
{
    choices.options
        = { 3, CrawlScopeKind::Pattern, "*/gallery/*", "/page=\\d+/", true, 50, 0, false, 2 };
    state.filters.harvest.collect = HarvestCollect::Media;
    started()->progress({ 3, 5, 1, 7 });
    EXPECT_EQ(record->startUrl, "http://s/gallery/");
    EXPECT_EQ(record->options, choices.options);
    EXPECT_EQ(record->scope, state.filters.harvest);
    EXPECT_FALSE(view.windowEnabled);
    EXPECT_EQ(view.status, "Pages visited 3, waiting 5, failed 1; entries 7");

    // An empty list takes the entries without a question.
    end(kFound);
    EXPECT_EQ(list.entries(), QStringList { "http://s/1" });
    EXPECT_EQ(prompt.desiredActionAsked, 0);
    EXPECT_TRUE(view.isIdle());
    EXPECT_TRUE(prompt.messages.isEmpty());
    flow->buildFromSite();
    EXPECT_EQ(shown.last(), choices);
}

TEST_F(SiteCrawlFlowTest, EscKeepsWhatWasFoundAndAsksToAppendOrReplace)
{
    for (const bool append : { true, false }) {
        list.clear();
        list.add(QStringLiteral("http://old"));
        const int cancels = record->cancels;
        started();
        EXPECT_TRUE(flow->cancel());
        EXPECT_TRUE(flow->cancel());
        EXPECT_EQ(record->cancels, cancels + 1);
        prompt.desiredActions.push_back(append);
        CrawlResult stopped = kFound;
        stopped.cancelled = true;
        stopped.stopReason = QStringLiteral("cancelled");
        end(stopped);
        EXPECT_EQ(list.entries(),
            append ? QStringList({ "http://old", "http://s/1" }) : QStringList { "http://s/1" });
    }
    EXPECT_EQ(prompt.desiredActionAsked, 2);
    EXPECT_TRUE(prompt.messages.isEmpty()); // Esc is no stop reason worth telling
    EXPECT_FALSE(flow->cancel());
}

TEST_F(SiteCrawlFlowTest, ContinuingIsOfferedOnlyForAnUnfinishedCrawl)
{
    struct Row {
        bool canResume;
        PromptAnswer answer;
        int starts; // 0 or 1
        bool resume;
    };
    const Row rows[] = {
        { false, PromptAnswer::Yes, 1, false },
        { true, PromptAnswer::Yes, 1, true },
        { true, PromptAnswer::No, 1, false },
        { true, PromptAnswer::Closed, 0, false },
    };
    for (const Row& row : rows) {
        record->canResume = row.canResume;
        const int starts = record->starts;
        const qsizetype messages = prompt.messages.size();
        prompt.messageAnswers = { row.answer };
        started();
        EXPECT_EQ(prompt.messages.size() - messages, row.canResume ? 1 : 0);
        EXPECT_EQ(record->starts - starts, row.starts);
        if (row.starts) {
            EXPECT_EQ(record->resume, row.resume);
            end({});
        }
    }
}

TEST_F(SiteCrawlFlowTest, SummaryTellsTheLimitAndTheFailedPagesWithinBounds)
{
    CrawlResult result;
    result.stopReason = QStringLiteral("the page limit of 50 was reached");
    for (int i = 0; i < 23; ++i)
        result.failures.append({ QStringLiteral("http://s/%1").arg(i), QStringLiteral("404") });
    started();
    end(result);
    ASSERT_EQ(prompt.messages.size(), 1);
    const QStringList lines = prompt.messages[0].text.split(u'\n');
    EXPECT_TRUE(lines.first().contains(result.stopReason));
    EXPECT_TRUE(lines.contains("23 pages could not be read:"));
    EXPECT_TRUE(lines.contains("http://s/19: 404"));
    EXPECT_FALSE(lines.contains("http://s/20: 404"));
    EXPECT_EQ(lines.last(), "and 3 more.");
    EXPECT_EQ(SiteCrawlFlow::summary(CrawlResult {}), QString());
}

TEST_F(SiteCrawlFlowTest, RefusesASecondCrawlAndAMissingEngine)
{
    started();
    answer = choices;
    flow->buildFromSite();
    EXPECT_EQ(record->made, 1);
    EXPECT_EQ(shown.size(), 1);
    makeFlow(nullptr);
    flow->buildFromSite();
    EXPECT_EQ(shown.size(), 1);
    EXPECT_EQ(prompt.messages.size(), 2);
}

TEST_F(SiteCrawlFlowTest, ClosingOrDestroyingMidCrawlIsSafeAndChangesNothing)
{
    list.add(QStringLiteral("http://old"));
    started();
    flow->shutdown(); // the window closes
    EXPECT_EQ(record->cancels, 1);
    EXPECT_EQ(record->live, nullptr);
    flow->buildFromSite();
    EXPECT_EQ(shown.size(), 1);

    // Destroyed with the crawl's end on its way, while the crawl runs, and while "Select
    // Desired Action" is open.
    makeFlow(FakeSiteCrawl::factory(record));
    started()->finish(kFound);
    flow.reset();
    QCoreApplication::processEvents();
    makeFlow(FakeSiteCrawl::factory(record));
    started();
    flow.reset();
    EXPECT_EQ(record->cancels, 3);
    EXPECT_EQ(record->live, nullptr);
    makeFlow(FakeSiteCrawl::factory(record));
    started();
    prompt.whileDesiredActionOpen = [this] { flow.reset(); };
    prompt.desiredActions.push_back(false);
    end(kFound);
    EXPECT_EQ(prompt.desiredActionAsked, 1);
    EXPECT_EQ(list.entries(), QStringList { "http://old" });
}

} // namespace
