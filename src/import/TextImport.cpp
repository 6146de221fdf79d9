#include "TextImport.h"

#include "ImportGrid.h"

#include "workspace/TextLines.h"

#include "platform/db/DataSet.h"
#include "platform/db/Field.h"

#include <QDir>

namespace {

// Cell writes of one read reach the views as one reset, also when the read fails half-way.
class GridUpdate
{
public:
    explicit GridUpdate(TImportGrid &grid) : m_grid(grid) { m_grid.BeginUpdate(); }
    ~GridUpdate() { m_grid.EndUpdate(); }
    GridUpdate(const GridUpdate &) = delete;
    GridUpdate &operator=(const GridUpdate &) = delete;

private:
    TImportGrid &m_grid;
};

void nameColumnsByNumber(TImportGrid &grid)
{
    for (int column = 1; column < grid.ColCount(); ++column)
        grid.SetCells(column, 0, QStringLiteral("Var ") + QString::number(column));
}

// The characters of a field in a line; a field past the line's end gives what exists.
QStringView fieldText(QStringView line, const TMaskField &field)
{
    const qsizetype first = field.first - 1;
    if (first >= line.size())
        return {};
    const qsizetype last = std::min<qsizetype>(field.last, line.size());
    return line.sliced(first, last - first);
}

} // namespace

namespace {

QString cellText(QStringView piece) { return piece.toString(); }
QString cellText(QByteArrayView piece) { return QString::fromLatin1(piece); }

template <typename View, typename Char>
void splitPieces(TImportGrid &grid, int row, View text, Char delimiter)
{
    int column = 0;
    while (!text.isEmpty()) {
        ++column;
        if (column >= grid.ColCount())
            grid.SetColCount(column + 1);
        const qsizetype at = text.indexOf(delimiter);
        const View piece = at < 0 ? text : text.first(at);
        text = at < 0 ? View() : text.sliced(at + 1);
        grid.SetCells(column, row, cellText(TrimControls(piece)));
    }
}

} // namespace

void SplitIntoRow(TImportGrid &grid, int row, QStringView text, QChar delimiter)
{
    splitPieces(grid, row, text, delimiter);
}

void ReadDelimitedText(TImportGrid &grid, QByteArrayView data, QChar delimiter, bool varNames, const QString &fileName)
{
    const int lineCount = CountLines(data);
    if (varNames && lineCount == 0)
        throw ETextImportError(QStringLiteral("The file %1 has no line with the variable names.").arg(QDir::toNativeSeparators(fileName)));
    GridUpdate update(grid);
    grid.SetRowCount(lineCount - (varNames ? 1 : 0) + 1);
    int row = varNames ? 0 : 1;
    const bool asciiDelimiter = delimiter.unicode() < 0x80;
    ForEachLine(data, [&](QByteArrayView line) {
        if (row > 0)
            grid.SetCells(0, row, QString::number(row));
        // Most lines are ASCII: their bytes are split as they are, without a decoded copy.
        if (asciiDelimiter && IsAsciiText(line))
            splitPieces(grid, row, line, char(delimiter.unicode()));
        else
            SplitIntoRow(grid, row, DecodeTextLine(line), delimiter);
        ++row;
    });
    if (!varNames)
        nameColumnsByNumber(grid);
}

std::vector<TMaskField> CutMask(QStringView mask)
{
    std::vector<TMaskField> fields;
    int offset = 0;
    while (!mask.isEmpty()) {
        const int px = int(mask.indexOf(QLatin1Char('x'))) + 1;
        int pl = int(mask.indexOf(QLatin1Char('['))) + 1;
        int pr = int(mask.indexOf(QLatin1Char(']'))) + 1;
        if (px > 0 && (pl == 0 || px < pl))
            pl = pr = px;
        if (pl == 0 || pl > pr)
            break;
        fields.push_back({pl + offset, pr + offset});
        offset += pr;
        mask = mask.sliced(pr);
    }
    return fields;
}

void ReadFixedColumnLines(TImportGrid &grid, const QStringList &lines, const std::vector<TMaskField> &fields,
                          bool rowNames, const rtl::TStringList *descriptors)
{
    const int shift = rowNames ? -1 : 0;
    GridUpdate update(grid);
    grid.SetColCount(int(fields.size()) + 1 + shift);
    grid.SetRowCount(int(lines.size()) + 1);
    for (int i = 1; i <= lines.size(); ++i) {
        const QString &line = lines[i - 1];
        grid.SetCells(0, i, QString::number(i));
        for (size_t k = 0; k < fields.size(); ++k)
            grid.SetCells(int(k) + 1 + shift, i, TrimControls(fieldText(line, fields[k])).toString());
    }
    for (int column = 1; column < grid.ColCount(); ++column) {
        const QString name = descriptors ? descriptors->Values(QStringLiteral("Var") + QString::number(column)) : QString();
        grid.SetCells(column, 0, name.isEmpty() ? QStringLiteral("Var ") + QString::number(column) : name);
    }
}

void ReadDataSetRecords(TImportGrid &grid, db::TDataSet &dataSet, const QStringList &fieldNames, int recordCount)
{
    GridUpdate update(grid);
    grid.SetColCount(int(fieldNames.size()) + 1);
    grid.SetRowCount(recordCount + 1);
    for (int column = 1; column <= fieldNames.size(); ++column)
        grid.SetCells(column, 0, fieldNames[column - 1]);
    db::TFields &fields = dataSet.Fields();
    const int columns = std::min(int(fieldNames.size()), fields.Count());
    int record = 0;
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
        ++record;
        grid.SetCells(0, record, QString::number(record));
        for (int k = 0; k < columns; ++k)
            grid.SetCells(k + 1, record, fields[k].AsString());
    }
}
