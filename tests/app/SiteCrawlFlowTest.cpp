#include <gtest/gtest.h>

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

ListEntries entries(const QStringList& urls)
{
    ListEntries result;
    for (const QString& url : urls)
        result.append({ url, { EntryKind::Link, {}, QStringLiteral("http://s/"), {} } });
    return result;
}

class SiteCrawlFlowTest : public ::testing::Test
{
protected:
    SiteCrawlFlowTest()
    {
        choices.start = QStringLiteral("http://s/gallery/");
        makeFlow(FakeSiteCrawl::factory(record));
    }
    void makeFlow(SiteCrawlFlow::CrawlFactory factory)
    {
        flow = std::make_unique<SiteCrawlFlow>(state, list, view, prompt, regset,
            std::move(factory), [this](const SiteCrawlChoices& stored) {
                ++asked;
                shown = stored;
                return answer;
            });
    }
    // Starts a crawl through the dialog and returns it.
    FakeSiteCrawl& started()
    {
        answer = choices;
        flow->buildFromSite();
        EXPECT_NE(record->live, nullptr);
        return *record->live;
    }
    // The crawl ends; its end is handled from the event loop.
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
    SiteCrawlChoices choices;
    std::optional<SiteCrawlChoices> answer;
    SiteCrawlChoices shown;
    int asked = 0;
    std::unique_ptr<SiteCrawlFlow> flow;
};

TEST_F(SiteCrawlFlowTest, DialogChoicesAndHarvestScopeReachTheCrawlAndAreStored)
{
    choices.options.depth = 3;
    choices.options.scope = CrawlScopeKind::Pattern;
    choices.options.scopePattern = QStringLiteral("*/gallery/*");
    choices.options.follow = QStringLiteral("/page=\\d+/");
    choices.options.nextPages = true;
    choices.options.maxPages = 50;
    choices.options.robots = false;
    state.filters.harvest.collect = HarvestCollect::Media;
    FakeSiteCrawl& crawl = started();
    EXPECT_EQ(record->startUrl, "http://s/gallery/");
    EXPECT_EQ(record->options, choices.options);
    EXPECT_EQ(record->scope, state.filters.harvest);
    EXPECT_FALSE(record->resume);
    EXPECT_FALSE(view.windowEnabled);

    crawl.progress({ 3, 5, 1, 7 });
    EXPECT_EQ(view.status, "Pages visited 3, waiting 5, failed 1; entries 7");

    // The next dialog opens with these choices.
    end({ entries({ "http://s/a.jpg", "http://s/b.jpg" }), {}, {}, false, {} });
    answer.reset();
    flow->buildFromSite();
    EXPECT_EQ(shown, choices);
    // An empty list takes the entries without a question.
    EXPECT_EQ(list.entries(), QStringList({ "http://s/a.jpg", "http://s/b.jpg" }));
    EXPECT_EQ(prompt.desiredActionAsked, 0);
    EXPECT_TRUE(view.isIdle());
    EXPECT_EQ(view.countText, "2 links found");
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(SiteCrawlFlowTest, EscKeepsWhatWasFoundAndAsksToAppendOrReplace)
{
    struct Row {
        std::optional<bool> choice;
        QStringList expected;
    };
    const Row rows[] = {
        { true, { "http://old", "http://s/1" } },
        { false, { "http://s/1" } },
    };
    for (const Row& row : rows) {
        list.clear();
        list.add(QStringLiteral("http://old"));
        const int cancelsBefore = record->cancels;
        started();
        EXPECT_TRUE(flow->cancel());
        EXPECT_TRUE(flow->cancel()); // a second Esc while it stops asks nothing more
        EXPECT_EQ(record->cancels, cancelsBefore + 1);
        prompt.desiredActions.push_back(row.choice);
        end({ entries({ "http://s/1" }), {}, {}, true, QStringLiteral("cancelled") });
        EXPECT_EQ(list.entries(), row.expected);
        EXPECT_TRUE(view.isIdle());
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
        bool starts;
        bool resume;
    };
    const Row rows[] = {
        { false, PromptAnswer::Yes, true, false },
        { true, PromptAnswer::Yes, true, true },
        { true, PromptAnswer::No, true, false },
        { true, PromptAnswer::Closed, false, false },
    };
    for (const Row& row : rows) {
        record->canResume = row.canResume;
        const int startsBefore = record->starts;
        const qsizetype messagesBefore = prompt.messages.size();
        prompt.messageAnswers = { row.answer };
        answer = choices;
        flow->buildFromSite();
        EXPECT_EQ(prompt.messages.size(), messagesBefore + (row.canResume ? 1 : 0));
        EXPECT_EQ(record->starts, startsBefore + (row.starts ? 1 : 0));
        EXPECT_EQ(flow->running(), row.starts);
        if (row.starts) {
            EXPECT_EQ(record->resume, row.resume);
            end({});
        }
        prompt.messageAnswers.clear();
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
    EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Exclamation);
    const QStringList lines = prompt.messages[0].text.split(u'\n');
    EXPECT_TRUE(lines.first().contains(result.stopReason));
    EXPECT_TRUE(lines.contains("23 pages could not be read:"));
    EXPECT_TRUE(lines.contains("http://s/19: 404"));
    EXPECT_FALSE(lines.contains("http://s/20: 404"));
    EXPECT_EQ(lines.last(), "and 3 more.");
    EXPECT_EQ(view.countText, "no links were found");

    // A crawl that read every page has nothing to tell.
    EXPECT_EQ(SiteCrawlFlow::summary(CrawlResult {}), QString());
}

TEST_F(SiteCrawlFlowTest, RefusesASecondCrawlAndAMissingEngine)
{
    started();
    flow->buildFromSite();
    EXPECT_EQ(record->made, 1);
    EXPECT_EQ(asked, 1);
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages[0].text.contains("running"));

    makeFlow(nullptr);
    EXPECT_FALSE(flow->available());
    flow->buildFromSite();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(prompt.messages.size(), 2);
}

TEST_F(SiteCrawlFlowTest, ClosingOrDestroyingMidCrawlIsSafeAndChangesNothing)
{
    list.add(QStringLiteral("http://old"));
    const CrawlResult found { entries({ "http://s/1" }), {}, {}, false, {} };

    // The window closes: the crawl stops and its end is ignored.
    started();
    flow->shutdown();
    EXPECT_EQ(record->cancels, 1);
    EXPECT_EQ(record->live, nullptr);
    flow->buildFromSite();
    EXPECT_EQ(asked, 1);

    // The flow goes while its crawl's end is on its way.
    makeFlow(FakeSiteCrawl::factory(record));
    started().finish(found);
    flow.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(list.entries(), QStringList { "http://old" });

    // The flow goes while a crawl runs: it is cancelled and destroyed.
    makeFlow(FakeSiteCrawl::factory(record));
    started();
    const int cancelsBefore = record->cancels;
    flow.reset();
    EXPECT_EQ(record->cancels, cancelsBefore + 1);
    EXPECT_EQ(record->live, nullptr);

    // The flow goes while "Select Desired Action" is open.
    makeFlow(FakeSiteCrawl::factory(record));
    started();
    prompt.whileDesiredActionOpen = [this] { flow.reset(); };
    prompt.desiredActions.push_back(false);
    end(found);
    EXPECT_EQ(prompt.desiredActionAsked, 1);
    EXPECT_EQ(list.entries(), QStringList { "http://old" });
}

} // namespace
