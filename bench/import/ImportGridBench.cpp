// The import grid at its largest expected size: 1,000,000 rows of 5 values.
// Run: build/bench/bench_import
//   BM_FillGrid      filling the cells (counter: MB the cells take, resident set growth)
//   BM_SaveCSV       saving them as semicolon-separated text with names and numbers
//   BM_ShowGrid      a view over them: taking the new shape and painting one screen
// Each benchmark builds its own grid; run one at a time (--benchmark_filter) for clean memory.

#include "import/ImportGrid.h"
#include "import/ImportGridView.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>

#include <unistd.h>

namespace {

constexpr int kRows = 1000000;
constexpr int kValues = 5;

double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0.0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0.0;
}

// Values as an instrument writes them: up to 7 significant digits, some negative.
void fillGrid(TImportGrid &grid)
{
    std::mt19937 random(17);
    std::uniform_real_distribution<double> value(-500.0, 5000.0);
    grid.BeginUpdate();
    grid.SetColCount(kValues + 1);
    grid.SetRowCount(kRows + 1);
    for (int column = 1; column <= kValues; ++column)
        grid.SetCells(column, 0, QStringLiteral("Var%1").arg(column));
    for (int row = 1; row <= kRows; ++row) {
        grid.SetCells(0, row, QString::number(row));
        for (int column = 1; column <= kValues; ++column)
            grid.SetCells(column, row, QString::number(value(random), 'g', 7));
    }
    grid.EndUpdate();
}

void BM_FillGrid(benchmark::State &state)
{
    double grown = 0.0;
    for (auto _ : state) {
        const double before = residentMegabytes();
        auto grid = std::make_unique<TImportGrid>();
        fillGrid(*grid);
        grown = residentMegabytes() - before;
        benchmark::DoNotOptimize(grid->Cells(kValues, kRows));
        state.PauseTiming();
        grid.reset();
        state.ResumeTiming();
    }
    state.counters["resident_MB"] = grown;
}
BENCHMARK(BM_FillGrid)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_SaveCSV(benchmark::State &state)
{
    TImportGrid grid;
    fillGrid(grid);
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("grid.csv"));
    for (auto _ : state)
        SaveCSV(grid, name, true, true);
    state.counters["file_MB"] = double(QFile(name).size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_SaveCSV)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ShowGrid(benchmark::State &state)
{
    TImportGrid grid;
    fillGrid(grid);
    TImportGridView view;
    view.resize(800, 560);
    view.SetGrid(&grid);
    view.show();
    for (auto _ : state) {
        grid.BeginUpdate();
        grid.SetCells(1, 1, QStringLiteral("changed"));
        grid.SetRowCount(kRows + 1);
        grid.EndUpdate(); // a reset, as after a read or a removed row
        view.SetCurrentCell(3, kRows / 2);
        view.scrollTo(view.currentIndex());
        benchmark::DoNotOptimize(view.grab());
    }
}
BENCHMARK(BM_ShowGrid)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
