#pragma once

#include <memory>

#include "crawl/ISiteCrawl.h"

struct FilterState;
struct Preferences;

// A site harvest the test drives: it records what it was asked in a Record that outlives
// it, and reports the progress and end the test hands it.
class FakeSiteCrawl final : public ISiteCrawl
{
public:
    struct Record {
        bool canResume = false;
        int made = 0;
        int starts = 0;
        QString startUrl;
        CrawlOptions options;
        HarvestScope scope;
        bool resume = false;
        int cancels = 0;
        FakeSiteCrawl* live = nullptr; // the crawl made last, while it exists
    };

    explicit FakeSiteCrawl(std::shared_ptr<Record> record)
        : m_record(std::move(record))
    {
        ++m_record->made;
        m_record->live = this;
    }
    ~FakeSiteCrawl() override
    {
        if (m_record->live == this)
            m_record->live = nullptr;
    }
    static std::function<std::unique_ptr<ISiteCrawl>(const Preferences&, const FilterState&)>
    factory(std::shared_ptr<Record> record)
    {
        return [record](const Preferences&, const FilterState&) {
            return std::make_unique<FakeSiteCrawl>(record);
        };
    }

    void setProgressHandler(std::function<void(const CrawlProgress&)> handler) override
    {
        m_progress = std::move(handler);
    }
    void setFinishedHandler(std::function<void(const CrawlResult&)> handler) override
    {
        m_finished = std::move(handler);
    }
    void start(const QString& startUrl, const CrawlOptions& options, const HarvestScope& scope,
        bool resume) override
    {
        ++m_record->starts;
        m_record->startUrl = startUrl;
        m_record->options = options;
        m_record->scope = scope;
        m_record->resume = resume;
    }
    bool canResume(const QString&, const CrawlOptions&) const override
    {
        return m_record->canResume;
    }
    void cancel() override { ++m_record->cancels; }

    void progress(const CrawlProgress& progress) { m_progress(progress); }
    void finish(const CrawlResult& result) { m_finished(result); }

private:
    std::shared_ptr<Record> m_record;
    std::function<void(const CrawlProgress&)> m_progress;
    std::function<void(const CrawlResult&)> m_finished;
};
