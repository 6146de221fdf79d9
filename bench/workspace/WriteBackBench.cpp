// The write-back commands and the regression, through the main window:
// - "Save classification" writing CLAS into 100,000 records, and "Set factor" writing FACTOR
//   into the same 100,000 records;
// - a regression of degree 9 fitted to a class of 1,000,000 values over the identifier and
//   subtracted from 2,000,000 values, the data analysed again.
// Run: build/bench/bench_workspace --benchmark_filter='BM_Save|BM_Set|BM_Regression'

#include "workspace/FQuibo.h"

#include "ScriptedDialogs.h"

#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include "statistics/CriticalValueSource.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRecords = 100000;

class ConstantCriticalValues : public CriticalValueSource
{
public:
    double GetCriticalValue(uint8_t, int32_t, int32_t, int32_t, double, int32_t) override { return 3.0; }
};

// w.dbf: ID 1..100000, three values in two bands, CLAS and FACTOR blank.
QString writeTable(const QString &folder)
{
    db::TDatabase database;
    database.SetDatabaseName(QStringLiteral("benchwrite"));
    database.Params().Add(QStringLiteral("PATH=") + folder);
    database.Open();
    db::TQuery create;
    create.SetDatabaseName(database.DatabaseName());
    create.SQL().Add(QStringLiteral("CREATE TABLE 'w.dbf' (ID INTEGER, START DECIMAL(6,2), Rf1 DECIMAL(8,3), "
                                    "Rf2 DECIMAL(8,3), Rf3 DECIMAL(8,3), CLAS CHAR(4), FACTOR DECIMAL(10,7))"));
    create.ExecSQL();
    db::TTable table;
    table.SetDatabaseName(database.DatabaseName());
    table.SetTableName(QStringLiteral("w.dbf"));
    table.Open();
    for (int record = 1; record <= kRecords; ++record) {
        table.Append();
        table.Fields()[0].SetAsInteger(record);
        table.Fields()[1].SetAsFloat(0);
        table.Fields()[2].SetAsFloat(1 + (record % 97) / 100.0);
        table.Fields()[3].SetAsFloat(2 + (record % 89) / 100.0);
        table.Fields()[4].SetAsFloat(50 + (record % 83) / 100.0);
        table.Post();
    }
    return QDir(folder).filePath(QStringLiteral("w.dbf"));
}

// A window that has read the table and classified it: the low band is A, the high one B.
struct ClassifiedTable
{
    QTemporaryDir dir;
    ConstantCriticalValues critical;
    TFormQuibo form;
    ClassifiedTable()
    {
        const QString path = writeTable(dir.path());
        form.SetCriticalValueSource(&critical);
        ScriptedDialogs dialogs;
        dialogs.expectMessage(QStringLiteral("To use factor variable?"), ui::mrNo);
        form.OpenDatabaseTable(path);
        form.QueryWhere(QStringLiteral("1 = 1"));
        form.SetLimitAfter(2 * kRecords - 1);
        form.ComputeStatistics();
    }
};

ClassifiedTable &classifiedTable()
{
    static ClassifiedTable table;
    return table;
}

void BM_SaveClassification(benchmark::State &state)
{
    ClassifiedTable &table = classifiedTable();
    if (table.form.Classes().size() != 2)
        state.SkipWithError("the table was not classified");
    for (auto _ : state) {
        ScriptedDialogs dialogs;
        table.form.SaveClassification1Click();
        if (!dialogs.shown().empty())
            state.SkipWithError("the classification was not saved silently");
    }
    state.counters["records"] = kRecords;
}
BENCHMARK(BM_SaveClassification)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SetFactor(benchmark::State &state)
{
    ClassifiedTable &table = classifiedTable();
    for (auto _ : state) {
        ScriptedDialogs dialogs;
        dialogs.expectInput(QStringLiteral("B"));
        dialogs.expectMessage(QStringLiteral("Factor was set to "));
        table.form.Setfactor1Click();
    }
    state.counters["records"] = kRecords;
}
BENCHMARK(BM_SetFactor)->Unit(benchmark::kMillisecond)->Iterations(3);

// 1,000,000 items with identifiers 1..1000000: one value on a gentle curve (class A), one far above.
void BM_RegressionDegree9(benchmark::State &state)
{
    constexpr int kItems = 1000000;
    ConstantCriticalValues critical;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<TDataItem> items(kItems);
        for (int i = 0; i < kItems; ++i) {
            TDataItem &item = items[size_t(i)];
            const double x = i + 1;
            item.Id = QString::number(i + 1);
            item.Used = true;
            item.Count = 2;
            item.Values = {1.0 + 1e-6 * x + 1e-13 * x * x + 0.001 * (i % 7), 1000.0 + 0.001 * (i % 11)};
            item.Positions = {1, 2};
            item.Classes = {0, 0};
        }
        auto form = std::make_unique<TFormQuibo>();
        form->SetCriticalValueSource(&critical);
        form->Analysis().SetItems(std::move(items));
        form->Analyse();
        form->SetLimitAfter(kItems - 1);
        form->ComputeStatistics();
        ScriptedDialogs dialogs;
        dialogs.expectInput(QStringLiteral("A"));
        dialogs.expectInput(QStringLiteral("9"));
        dialogs.expectMessage(QStringLiteral("Do you accept regression line?"), ui::mrYes);
        state.ResumeTiming();
        form->Dataregression1Click();
        state.PauseTiming();
        if (form->RegressionCount() != 1 || form->Ordered().size() != 2u * kItems)
            state.SkipWithError("the regression was not applied");
        form.reset();
        state.ResumeTiming();
    }
    state.counters["values"] = 2.0 * kItems;
}
BENCHMARK(BM_RegressionDegree9)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
