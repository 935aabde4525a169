// The main window with a full list: the horizontal-extent pass after a build, and a
// selection change, which re-evaluates the enabled state of the commands.
#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "app/ui/Form1.h"
#include "compose/WindowServices.h"
#include "platform/SqliteRegistryStore.h"

namespace
{

QStringList fullList()
{
    QStringList entries;
    for (int i = 0; i < LinkList::MaxEntries; ++i)
        entries.append(QStringLiteral("http://files.example.org/archive/%1/%2.zip")
                           .arg(i)
                           .arg(QString(5 + i % 75, QLatin1Char('x'))));
    return entries;
}

struct Window {
    QTemporaryDir dir;
    Form1 form { windowServices(
        std::make_shared<SqliteRegistryStore>(dir.filePath("registry.sqlite3"))) };
    Window() { form.list().addMany(fullList()); }
};

// A build that filled the list, then the extent pass that follows it.
void BM_ListExtentOfFullList(benchmark::State& state)
{
    Window w;
    const QStringList entries = w.form.list().entries();
    for (auto _ : state) {
        state.PauseTiming();
        w.form.list().clear();
        w.form.list().addMany(entries);
        state.ResumeTiming();
        w.form.SetListExtent();
    }
}
BENCHMARK(BM_ListExtentOfFullList)->Unit(benchmark::kMillisecond);

void BM_SelectionChangeOnFullList(benchmark::State& state)
{
    Window w;
    int row = 0;
    for (auto _ : state) {
        w.form.list().setSelected(row, true);
        row = (row + 1) % LinkList::MaxEntries;
    }
}
BENCHMARK(BM_SelectionChangeOnFullList)->Unit(benchmark::kMicrosecond);

void BM_SelectAllOnFullList(benchmark::State& state)
{
    Window w;
    for (auto _ : state) {
        w.form.mnulstselall_Click();
        w.form.list().setRangeSelected(0, LinkList::MaxEntries - 1, false);
    }
}
BENCHMARK(BM_SelectAllOnFullList)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
