// Reading text into the import grid: a delimited file of a million lines of five fields, one
// line of up to 500,000 cells (1 MB) and a Talnex export as wide, and a fixed-column file of
// 100,000 lines cut by a mask of ten fields (the reader alone, and the whole road through the
// open-text dialog and the mask window with scripted answers).
// Run: build/bench/bench_import [--benchmark_filter=...]
// bench/import/compare_csv.sh reads the same delimited file with Python's csv module.

#include "import/FOpenText.h"
#include "import/FTextData.h"
#include "import/ImportGrid.h"
#include "import/Talnex.h"
#include "import/TextImport.h"
#include "workspace/TextLines.h"
#include "ui_FOpenText.h"

#include "ScriptedDialogs.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>

namespace {

double residentPeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void writeFile(const QString &path, const std::function<void(QByteArray &, int)> &line, int lines)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QByteArray chunk;
    for (int i = 0; i < lines; ++i) {
        line(chunk, i);
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
}

// Measurements as an instrument exports them: a name and four numbers with decimals.
QString delimitedFile(const QTemporaryDir &dir, int lines)
{
    const QByteArray given = qgetenv("QUIBO_BENCH_DELIMITED_FILE");
    if (!given.isEmpty())
        return QString::fromLocal8Bit(given);
    const QString path = dir.filePath(QStringLiteral("delimited.csv"));
    std::mt19937 random(11);
    std::uniform_real_distribution<double> value(-1000.0, 1000.0);
    writeFile(path, [&](QByteArray &text, int i) {
        text += "P" + QByteArray::number(i);
        for (int k = 0; k < 4; ++k)
            text += ';' + QByteArray::number(value(random), 'f', k + 1);
        text += "\r\n";
    }, lines);
    return path;
}

// One line of `cells` one-letter cells: the widest file of a megabyte.
void BM_ReadWideLine(benchmark::State &state)
{
    const int cells = int(state.range(0));
    const QByteArray line = QByteArray("a;").repeated(cells);
    for (auto _ : state) {
        TImportGrid grid;
        ReadDelimitedText(grid, line, u';', false, QStringLiteral("wide.csv"));
        state.PauseTiming();
        if (grid.ColCount() != cells + 1 || grid.Cells(cells, 1) != QLatin1String("a"))
            state.SkipWithError("the line was not read whole");
        state.ResumeTiming();
    }
    state.SetComplexityN(cells);
}
// The fit of time to cells is printed as BM_ReadWideLine_BigO (about 1.0 N when linear).
BENCHMARK(BM_ReadWideLine)->Arg(31250)->Arg(62500)->Arg(125000)->Arg(250000)->Arg(500000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

// A Talnex export of as many columns: names and two data lines, TAB-separated, read with the
// names and cut to the item, position and value columns, as the import starts.
void BM_ReadWideTalnexExport(benchmark::State &state)
{
    const int columns = int(state.range(0));
    QByteArray text;
    for (int line = 0; line < 3; ++line) {
        for (int column = 1; column <= columns; ++column)
            text += QByteArray::number(column % 10) + '\t';
        text += "\r\n";
    }
    for (auto _ : state) {
        TImportGrid grid;
        ReadDelimitedText(grid, text, u'\t', true, QStringLiteral("talnex.txt"));
        KeepTalnexColumns(grid);
        state.PauseTiming();
        if (grid.ColCount() != 4 || grid.RowCount() != 2)
            state.SkipWithError("the export was not read whole");
        state.ResumeTiming();
    }
    state.SetComplexityN(columns);
}
BENCHMARK(BM_ReadWideTalnexExport)->Arg(31250)->Arg(125000)->Arg(500000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

constexpr int kFixedFields = 10;
constexpr int kFieldWidth = 9;

// Ten right-aligned columns of nine characters, a report as older programs print them.
QString fixedColumnFile(const QTemporaryDir &dir, int lines)
{
    const QString path = dir.filePath(QStringLiteral("fixed.txt"));
    std::mt19937 random(5);
    std::uniform_real_distribution<double> value(-9999.0, 9999.0);
    writeFile(path, [&](QByteArray &text, int) {
        for (int k = 0; k < kFixedFields; ++k)
            text += QByteArray::number(value(random), 'f', 2).rightJustified(kFieldWidth, ' ');
        text += '\n';
    }, lines);
    return path;
}

QString tenFieldMask()
{
    QString mask;
    for (int k = 0; k < kFixedFields; ++k)
        mask += QLatin1Char('[') + QString(kFieldWidth - 2, QLatin1Char('.')) + QLatin1Char(']');
    return mask;
}

// One read per repetition; with --benchmark_repetitions=N the "_min" row is the best of N.
double minimum(const std::vector<double> &v) { return *std::min_element(v.begin(), v.end()); }

void BM_ReadDelimitedFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const int lines = int(state.range(0));
    const QString path = delimitedFile(dir, lines);
    for (auto _ : state) {
        auto grid = std::make_unique<TImportGrid>();
        ReadDelimitedText(*grid, ReadFileBytes(path), u';', false, path);
        state.PauseTiming();
        if (grid->RowCount() != lines + 1 || grid->ColCount() != 6)
            state.SkipWithError("the file was not read whole");
        grid.reset(); // freeing the cells is not part of the read
        state.ResumeTiming();
    }
    state.counters["peak_resident_MB"] = residentPeakMegabytes();
}
BENCHMARK(BM_ReadDelimitedFile)->Arg(1000000)->Iterations(1)->ComputeStatistics("min", minimum)->Unit(benchmark::kMillisecond);

void BM_CutFixedColumnFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const int lines = int(state.range(0));
    const QString path = fixedColumnFile(dir, lines);
    const std::vector<TMaskField> fields = CutMask(tenFieldMask());
    for (auto _ : state) {
        TImportGrid grid;
        ReadFixedColumnLines(grid, ReadTextLines(path), fields, false, nullptr);
        state.PauseTiming();
        if (grid.RowCount() != lines + 1 || grid.ColCount() != kFixedFields + 1)
            state.SkipWithError("the file was not cut whole");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CutFixedColumnFile)->Arg(100000)->Iterations(1)->ComputeStatistics("min", minimum)->Unit(benchmark::kMillisecond);

// The user's road: the open-text dialog, the text shown in the mask window, the mask typed in,
// OK, and the cut into the grid.
void BM_FixedColumnsThroughTheWindows(benchmark::State &state)
{
    QTemporaryDir dir;
    const int lines = int(state.range(0));
    const QString path = fixedColumnFile(dir, lines);
    for (auto _ : state) {
        TImportGrid grid;
        ScriptedDialogs dialogs;
        dialogs.expectModal([&](QDialog &dialog) {
            auto &form = dynamic_cast<TFormOpenText &>(dialog);
            if (!form.form().CB_ASCII->isChecked())
                form.form().CB_ASCII->click();
            form.form().EditFileName->setText(path);
            form.BtnOKClick();
            return form.result();
        });
        dialogs.expectModal([&](QDialog &dialog) {
            auto &form = dynamic_cast<TFormTextData &>(dialog);
            form.findChild<QLineEdit *>(QStringLiteral("EditMask"))->setText(tenFieldMask());
            form.BtnOKClick();
            return form.result();
        });
        QString fileName;
        OpenTextFile(grid, fileName);
        state.PauseTiming();
        if (grid.RowCount() != lines + 1 || grid.ColCount() != kFixedFields + 1)
            state.SkipWithError("the file was not cut whole");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FixedColumnsThroughTheWindows)->Arg(100000)->Iterations(1)->ComputeStatistics("min", minimum)->Unit(benchmark::kMillisecond);

} // namespace
