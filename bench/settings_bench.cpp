// Cost of one settings call against a real database file: every call is its own
// transaction (writes) or its own query (reads), with nothing cached.
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

#include "filters/FilterStore.h"
#include "platform/SqliteRegistryStore.h"
#include "settings/CRegSettings.h"

namespace
{

struct Fixture {
    QTemporaryDir dir;
    CRegSettings settings = CRegSettings::forQuillmarch(
        std::make_shared<SqliteRegistryStore>(dir.filePath(QStringLiteral("registry.sqlite3"))));
};

void BM_SaveSetting(benchmark::State& state)
{
    Fixture f;
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            f.settings.SaveSetting(QStringLiteral("Options"), QStringLiteral("On Top"),
                (++i & 1) ? QStringLiteral("True") : QStringLiteral("False")));
}
BENCHMARK(BM_SaveSetting)->Unit(benchmark::kMillisecond);

void BM_GetSetting(benchmark::State& state)
{
    Fixture f;
    f.settings.SaveSetting(
        QStringLiteral("Options"), QStringLiteral("On Top"), QStringLiteral("True"));
    for (auto _ : state)
        benchmark::DoNotOptimize(f.settings.GetSetting(
            QStringLiteral("Options"), QStringLiteral("On Top"), QStringLiteral("True")));
}
BENCHMARK(BM_GetSetting)->Unit(benchmark::kMicrosecond);

// Saving the filter list rewrites the section: one deletion plus one write per entry.
void BM_SaveFilterEntries(benchmark::State& state)
{
    Fixture f;
    QStringList entries;
    for (int i = 0; i < state.range(0); ++i)
        entries.append(QStringLiteral("Type %1 - ext%1").arg(i));
    for (auto _ : state)
        FilterStore::saveEntries(f.settings, entries);
}
BENCHMARK(BM_SaveFilterEntries)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_LoadFilterEntries(benchmark::State& state)
{
    Fixture f;
    QStringList entries;
    for (int i = 0; i < 10; ++i)
        entries.append(QStringLiteral("Type %1 - ext%1").arg(i));
    FilterStore::saveEntries(f.settings, entries);
    for (auto _ : state)
        benchmark::DoNotOptimize(FilterStore::loadEntries(f.settings));
}
BENCHMARK(BM_LoadFilterEntries)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
