#include "Talnex.h"

#include "ImportGrid.h"
#include "TextImport.h"

#include "workspace/TextLines.h"

#include "platform/rtl/Parallel.h"
#include "platform/rtl/SysUtils.h"

#include <QDir>

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>
#include <vector>

namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

/// A decimal integer with spaces around and an optional sign, as rtl::TryStrToInt reads it.
bool ParseInt(std::string_view text, int &value)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty() || text.front() == '+')
        return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

} // namespace

QString TalnexTempFileName()
{
    return QDir(QDir::tempPath()).filePath(QStringLiteral("im.csv"));
}

void KeepTalnexColumns(TImportGrid &grid)
{
    grid.BeginUpdate();
    grid.DeleteRow(1);
    // The columns past the fifth go at once: deleting them one by one from the end is the same.
    if (grid.ColCount() > 5)
        grid.SetColCount(5);
    grid.DeleteColumn(3);
    grid.EndUpdate();
}

void AddCellValue(TImportGrid &grid, int column, int row, const QString &value)
{
    if (row >= grid.RowCount())
        grid.SetRowCount(row + 1);
    if (column >= grid.ColCount())
        grid.SetColCount(column + 1);
    const QString current = grid.Cells(column, row);
    grid.SetCells(column, row, current.isEmpty() ? value : current + QLatin1Char('/') + value);
}

qint64 ContingencyCellBudget(qint64 fileBytes)
{
    return std::min(kMinContingencyCells + kContingencyCellsPerByte * fileBytes, kMaxContingencyCells);
}

namespace {

/// A line that gives a cell: its row and column numbers and its value's bytes.
struct ContingencyCell
{
    int row;
    int column;
    QByteArrayView value;
};

} // namespace

int ReadContingencyTable(TImportGrid &grid, const QString &fileName)
{
    const QByteArray bytes = ReadFileBytes(fileName);
    // Every line is looked at before the grid grows, so that a line asking for more than the
    // file could ever fill is refused before anything is allocated for it.
    const qint64 budget = ContingencyCellBudget(bytes.size());
    std::vector<ContingencyCell> cells;
    qint64 rows = grid.RowCount();
    qint64 columns = grid.ColCount();
    int errors = 0;
    int lineNumber = 0;
    ForEachLine(bytes, [&](QByteArrayView lineBytes) {
        ++lineNumber;
        const std::string_view line(lineBytes.data(), size_t(lineBytes.size()));
        const size_t first = line.find(';');
        const size_t second = first == std::string_view::npos ? first : line.find(';', first + 1);
        int row = 0;
        int column = 0;
        if (second == std::string_view::npos || !ParseInt(line.substr(0, first), row)
            || !ParseInt(line.substr(first + 1, second - first - 1), column) || row < 1 || column < 1) {
            ++errors;
            return;
        }
        rows = std::max(rows, qint64(row) + 1);
        columns = std::max(columns, qint64(column) + 1);
        if (rows * columns > budget)
            throw ETextImportError(QStringLiteral("Line %1 of the file %2 asks for a grid of %3 rows and %4 columns (row %5, "
                                                  "column %6), far more than the %7 bytes of the file can fill.")
                                       .arg(lineNumber)
                                       .arg(QDir::toNativeSeparators(fileName))
                                       .arg(rows)
                                       .arg(columns)
                                       .arg(row)
                                       .arg(column)
                                       .arg(bytes.size()));
        cells.push_back({row, column, lineBytes.sliced(qsizetype(second) + 1)});
    });
    grid.BeginUpdate();
    grid.SetRowCount(int(rows));
    grid.SetColCount(int(columns));
    for (const ContingencyCell &cell : cells)
        AddCellValue(grid, cell.column, cell.row, DecodeTextLine(cell.value));
    for (int row = 1; row < grid.RowCount(); ++row)
        grid.SetCells(0, row, QString::number(row));
    for (int column = 1; column < grid.ColCount(); ++column)
        grid.SetCells(column, 0, QStringLiteral("Var") + QString::number(column));
    grid.EndUpdate();
    return errors;
}

namespace {

/// The ordered value texts of a block of rows, worked out apart from the grid.
struct OrderedBlock
{
    std::vector<std::vector<QString>> rows; // texts of the rows ordered before any failure
    std::optional<rtl::EConvertError> failure;
};

OrderedBlock OrderBlock(const TImportGrid &grid, int firstRow, int endRow, bool startInFirstColumn)
{
    OrderedBlock block;
    std::vector<double> values;
    for (int row = firstRow; row < endRow; ++row) {
        values.clear();
        if (!startInFirstColumn)
            values.push_back(0.0);
        try {
            for (int column = 1; column < grid.ColCount(); ++column) {
                const QString cell = grid.Cells(column, row);
                if (!cell.isEmpty())
                    values.push_back(rtl::StrToFloat(cell));
            }
        } catch (const rtl::EConvertError &error) {
            block.failure = error;
            return block;
        }
        // Stable, as inserting each value after those less than or equal to it is.
        std::stable_sort(values.begin(), values.end());
        std::vector<QString> texts;
        texts.reserve(values.size());
        for (const double value : values)
            texts.push_back(rtl::FloatToStr(value));
        block.rows.push_back(std::move(texts));
    }
    return block;
}

} // namespace

void OrderTalnexRows(TImportGrid &grid, bool startInFirstColumn)
{
    // Rows are ordered apart from each other, so blocks of them are worked out on every core;
    // the grid then takes them in order, up to the first row that fails.
    constexpr int kBlockRows = 256;
    const int rows = grid.RowCount() - 1;
    std::vector<OrderedBlock> blocks(size_t((rows + kBlockRows - 1) / kBlockRows));
    rtl::ParallelFor(blocks.size(), 0, [&](size_t b) {
        const int first = 1 + int(b) * kBlockRows;
        blocks[b] = OrderBlock(grid, first, std::min(first + kBlockRows, rows + 1), startInFirstColumn);
    });

    grid.BeginUpdate();
    struct EndUpdate
    {
        TImportGrid &grid;
        ~EndUpdate() { grid.EndUpdate(); }
    } endUpdate{grid};
    int longest = 0;
    for (size_t b = 0; b < blocks.size(); ++b) {
        const int first = 1 + int(b) * kBlockRows;
        for (size_t r = 0; r < blocks[b].rows.size(); ++r) {
            const std::vector<QString> &texts = blocks[b].rows[r];
            const int count = int(texts.size());
            if (count >= grid.ColCount())
                grid.SetColCount(count + 1);
            for (int column = 1; column < grid.ColCount(); ++column)
                grid.SetCells(column, first + int(r), column <= count ? texts[size_t(column - 1)] : QString());
            longest = std::max(longest, count);
        }
        if (blocks[b].failure)
            throw *blocks[b].failure;
    }
    grid.SetCells(1, 0, QStringLiteral("START"));
    for (int column = 2; column <= longest; ++column)
        grid.SetCells(column, 0, QStringLiteral("Rf") + QString::number(column - 1));
    // Rows of no value at all still leave one data column, as an empty grid has, to work on.
    if (grid.ColCount() > longest + 1)
        grid.SetColCount(std::max(longest + 1, 2));
}
