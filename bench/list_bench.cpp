#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "builders/ClipboardBuilder.h"
#include "builders/FileBuilder.h"
#include "core/IUserPrompt.h"
#include "core/MainState.h"
#include "listops/LinkList.h"
#include "listops/ListFile.h"
#include "listops/ListSearch.h"

namespace
{

// Answers nothing and shows nothing.
class SilentPrompt final : public IUserPrompt
{
public:
    PromptAnswer message(PromptIcon, const QString&, const QString&, PromptButtons) override
    {
        return PromptAnswer::Ok;
    }
    std::optional<bool> askDesiredAction(bool) override { return false; }
    std::optional<Preferences> editPreferences(const Preferences&) override { return {}; }
    std::optional<UrlRequest> askUrl(const UrlDialogInput&) override { return {}; }
    std::optional<SequenceRequest> askSequence(const SequenceDialogInput&) override { return {}; }
    std::optional<SingleLinkRequest> askSingleLink(bool) override { return {}; }
    std::optional<SearchRequest> askSearch() override { return {}; }
    std::optional<QStringList> manageFilters(const QStringList&) override { return {}; }
    std::optional<FileExistsAnswer> askFileExists(const QString&) override { return {}; }
    QString chooseFolder(const QString&, const QString&) override { return {}; }
    std::optional<SlideshowOptions> askSlideshowOptions(const SlideshowOptions&) override
    {
        return {};
    }
    bool askSlideshowResume() override { return false; }
    void showAbout(const QString&) override { }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
};

QStringList fullList()
{
    QStringList entries;
    for (int i = 0; i < LinkList::MaxEntries; ++i)
        entries.append(
            QStringLiteral("http://www.example.org/gallery/%1/picture%2.jpg").arg(i % 97).arg(i));
    return entries;
}

void BM_ClipboardBuild(benchmark::State& st)
{
    const QString text = fullList().join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    for (auto _ : st) {
        MainState state;
        LinkList list;
        const Result<TextLinks> found = ClipboardBuilder::scan(text, state.prefs);
        if (found)
            benchmark::DoNotOptimize(ClipboardBuilder::apply(found.value(), false, list));
        benchmark::DoNotOptimize(list.count());
    }
    st.SetBytesProcessed(st.iterations() * text.size() * 2);
}
BENCHMARK(BM_ClipboardBuild)->Unit(benchmark::kMillisecond);

void BM_FileBuild(benchmark::State& st)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.txt"));
    if (!ListFile::save(path, fullList())) {
        st.SkipWithError("cannot write the list file");
        return;
    }
    for (auto _ : st) {
        MainState state;
        LinkList list;
        benchmark::DoNotOptimize(
            FileBuilder::apply(FileBuilder::read(path, state.prefs), false, list));
        benchmark::DoNotOptimize(list.count());
    }
    st.SetBytesProcessed(st.iterations() * QFile(path).size());
}
BENCHMARK(BM_FileBuild)->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State& st)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.txt"));
    const QStringList entries = fullList();
    for (auto _ : st)
        benchmark::DoNotOptimize(ListFile::save(path, entries));
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

// Worst case: no entry matches, so every entry is scanned (and deselected when
// "Add to Selection" is clear).
void BM_SearchNoMatch(benchmark::State& st)
{
    LinkList list;
    list.addMany(fullList());
    list.setRangeSelected(0, list.count() - 1, true);
    SilentPrompt prompt;
    MainState state;
    const bool matchCase = st.range(0) != 0;
    const bool addToSelection = st.range(1) != 0;
    for (auto _ : st) {
        ListSearch::applyRequest(state.search,
            SearchRequest { QStringLiteral("NoSuchText"), matchCase, addToSelection, false });
        benchmark::DoNotOptimize(ListSearch::run(state.search, list, prompt));
    }
}
BENCHMARK(BM_SearchNoMatch)
    ->ArgNames({ "mcase", "add2sel" })
    ->Args({ 0, 1 })
    ->Args({ 1, 1 })
    ->Args({ 0, 0 })
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
