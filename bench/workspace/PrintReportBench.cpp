// The printed report of 256 classes (several pages) into a PDF file, with the distribution chart
// of its 2,560 values drawn as vectors on the first page.

#include "workspace/Analysis.h"
#include "workspace/AnalysisChart.h"
#include "workspace/PrintReport.h"

#include "platform/chart/Chart.h"
#include "statistics/CriticalValueSource.h"

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kClasses = MaxClasses;
constexpr int kValuesPerClass = 10;

// A quantile small enough that every class lists important gaps.
class SmallQuantile : public CriticalValueSource
{
public:
    double GetCriticalValue(uint8_t, int32_t, int32_t, int32_t, double, int32_t) override { return 0.5; }
};

// 256 groups of ten values, 100 apart, one item per group; a limit at each gap between groups.
void buildAnalysis(TAnalysis &analysis)
{
    std::vector<TDataItem> items;
    for (int c = 0; c < kClasses; ++c) {
        TDataItem item;
        item.Id = QString::number(c);
        item.Used = true;
        for (int k = 0; k < kValuesPerClass; ++k) {
            item.Values.push_back(100.0 * c + k * k * 0.1);
            item.Positions.push_back(uint16_t(k + 1));
            item.Classes.push_back(0);
        }
        item.Count = uint8_t(kValuesPerClass);
        items.push_back(std::move(item));
    }
    analysis.SetItems(std::move(items));
    analysis.Analyse();
    for (int row = 0; row < kClasses - 1; ++row) // the largest gaps are those between the groups
        analysis.SetLimit(row);
    SmallQuantile quantile;
    analysis.JudgeClasses(quantile, 0.95, 0);
}

void BM_PrintReport256Classes(benchmark::State &state)
{
    TAnalysis analysis;
    buildAnalysis(analysis);
    chart::TChart chart;
    chart.resize(700, 460);
    DrawDistributionView(chart, analysis);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    TReportContent content{.FileName = QStringLiteral("/data/groups.csv"),
                           .IsTable = false,
                           .SqlLines = {},
                           .Analysis = &analysis,
                           .DrawChart = [&chart](QPainter &painter, const QRect &target) { chart.Draw(painter, target); },
                           .Date = QDate(2026, 3, 7),
                           .Copyright = QStringLiteral("Copyright")};
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        PrintReport(printer, content);
    }
    QFile file(pdf);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    state.counters["pdf_bytes"] = double(bytes.size());
    state.counters["pages"] = double(bytes.count("/Type /Page") - bytes.count("/Type /Pages"));
}
BENCHMARK(BM_PrintReport256Classes)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
