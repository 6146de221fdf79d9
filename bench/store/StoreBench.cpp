// Speed of the import's store and of the Talnex import: 100,000 grid rows of 22 fields stored
// into a dBASE table, and a Talnex export of 1,000,000 lines (10,000 items of 100 positions)
// turned into one ordered grid row per item.

#include "import/ImportGrid.h"
#include "import/StoreTable.h"
#include "import/Talnex.h"
#include "import/TextImport.h"

#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/rtl/SysUtils.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr int kStoreRows = 100000;
constexpr int kValueFields = 20; // with ID and START: 22 fields
constexpr int kItems = 10000;
constexpr int kPositions = 100;

class StoreFixture
{
public:
    StoreFixture()
    {
        m_database.SetDatabaseName(m_alias);
        m_database.Params().Add(QStringLiteral("PATH=") + m_dir.path());
        m_database.Open();
        QStringList fields{QStringLiteral("ID CHAR(10)"), QStringLiteral("START DECIMAL(9,3)")};
        QStringList names{QStringLiteral("Item"), QStringLiteral("START")};
        for (int i = 1; i <= kValueFields; ++i) {
            fields << QStringLiteral("Rf%1 DECIMAL(9,3)").arg(i);
            names << QStringLiteral("Rf%1").arg(i);
        }
        db::TQuery create;
        create.SetDatabaseName(m_alias);
        create.SQL().Add(QStringLiteral("CREATE TABLE 'empty.dbf' (%1)").arg(fields.join(QStringLiteral(", "))));
        create.ExecSQL();

        grid.SetColCount(int(names.size()));
        grid.SetRowCount(kStoreRows + 1);
        for (int column = 0; column < names.size(); ++column)
            grid.SetCells(column, 0, names[column]);
        grid.SetCells(0, 0, QStringLiteral("ID"));
        std::mt19937 random(5);
        std::uniform_int_distribution<int> thousandths(0, 999999);
        for (int row = 1; row <= kStoreRows; ++row) {
            grid.SetCells(0, row, QString::number(row));
            for (int column = 1; column < grid.ColCount(); ++column)
                grid.SetCells(column, row, rtl::FloatToStr(thousandths(random) / 1000.0));
        }
    }

    /// An empty target table, opened.
    db::TTable &freshTable()
    {
        m_table.Close();
        QFile::remove(m_dir.filePath("target.dbf"));
        QFile::copy(m_dir.filePath("empty.dbf"), m_dir.filePath("target.dbf"));
        m_table.SetDatabaseName(m_alias);
        m_table.SetTableName(QStringLiteral("target.dbf"));
        m_table.Open();
        return m_table;
    }

    TImportGrid grid;

private:
    QTemporaryDir m_dir;
    QString m_alias = QStringLiteral("storebench");
    db::TDatabase m_database;
    db::TTable m_table;
};

void StoreGridIntoDbf(benchmark::State &state)
{
    StoreFixture fixture;
    QStringList columns;
    for (int column = 0; column < fixture.grid.ColCount(); ++column)
        columns << fixture.grid.Cells(column, 0);
    for (auto _ : state) {
        state.PauseTiming();
        db::TTable &table = fixture.freshTable();
        state.ResumeTiming();
        std::vector<TFieldRecord> fields;
        for (const QString &name : StorableFieldNames(table))
            fields.push_back({ProposedColumn(columns, name), QString(), table.FieldByName(name)});
        if (StoreGridRows(fixture.grid, table, fields) != kStoreRows || table.RecordCount() != kStoreRows)
            state.SkipWithError("wrong record count");
    }
    state.SetItemsProcessed(state.iterations() * kStoreRows);
}
BENCHMARK(StoreGridIntoDbf)->Unit(benchmark::kMillisecond)->MinTime(3.0);

/// A Talnex export of kItems x kPositions lines (positions shuffled) as the file it comes in.
QByteArray ExportFile()
{
    QByteArray text = "Row\tColumn\tArea\tValue\tMark\r\n0\t0\t0\t0\tx\r\n";
    std::mt19937 random(3);
    std::uniform_int_distribution<int> value(0, 99999);
    std::vector<int> order(size_t(kItems) * kPositions);
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::shuffle(order.begin(), order.end(), random);
    for (const int cell : order)
        text += QByteArray::number(cell / kPositions + 1) + '\t' + QByteArray::number(cell % kPositions + 1) + "\t12\t"
                + rtl::FloatToStr(value(random) / 100.0).toLatin1() + "\tx\r\n";
    return text;
}

/// The export written to `fileName`.
void WriteExportFile(const QString &fileName)
{
    QFile file(fileName);
    file.open(QIODevice::WriteOnly);
    file.write(ExportFile());
}

/// The export read as "Read" reads it: TAB-delimited, names in the first line.
void ReadExport(TImportGrid &grid, const QString &fileName)
{
    QFile file(fileName);
    file.open(QIODevice::ReadOnly);
    ReadDelimitedText(grid, file.readAll(), QLatin1Char('\t'), true, fileName);
    grid.SetCells(0, 0, QStringLiteral("Item"));
}

/// The import's steps from the export as read to the ordered rows (the START values in the first
/// data column); false when the grid is not one row per item and one column per position.
bool TalnexSteps(TImportGrid &grid, const QString &temporary)
{
    KeepTalnexColumns(grid);
    SaveCSV(grid, temporary, false, false);
    grid.Clear();
    const int errors = ReadContingencyTable(grid, temporary);
    grid.SetCells(0, 0, QStringLiteral("ID"));
    OrderTalnexRows(grid, true);
    return errors == 0 && grid.RowCount() == kItems + 1 && grid.ColCount() == kPositions + 1;
}

// From the read export to the ordered rows: columns kept, "im.csv" written and read back,
// each item's values ordered (the START values in the first data column).
void TalnexGridSteps(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString exportName = dir.filePath(QStringLiteral("export.txt"));
    WriteExportFile(exportName);
    const QString temporary = dir.filePath(QStringLiteral("im.csv"));
    for (auto _ : state) {
        state.PauseTiming();
        TImportGrid grid;
        ReadExport(grid, exportName);
        state.ResumeTiming();
        if (!TalnexSteps(grid, temporary))
            state.SkipWithError("wrong grid");
    }
    state.SetItemsProcessed(state.iterations() * kItems * kPositions);
}
BENCHMARK(TalnexGridSteps)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The whole import from the export file on disk: its TAB read with names, then the steps above.
void TalnexImportFromFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString exportName = dir.filePath(QStringLiteral("export.txt"));
    WriteExportFile(exportName);
    const QString temporary = dir.filePath(QStringLiteral("im.csv"));
    for (auto _ : state) {
        TImportGrid grid;
        ReadExport(grid, exportName);
        if (!TalnexSteps(grid, temporary))
            state.SkipWithError("wrong grid");
        state.PauseTiming();
        grid.Clear(); // freeing the million cells is no part of the import
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kItems * kPositions);
}
BENCHMARK(TalnexImportFromFile)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

BENCHMARK_MAIN();
