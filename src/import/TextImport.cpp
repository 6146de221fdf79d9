#include "TextImport.h"

#include "ImportGrid.h"

#include "workspace/TextLines.h"

#include "platform/db/DataSet.h"
#include "platform/db/Field.h"

#include <QDir>
#include <QHash>

#include <charconv>

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

TGridText cellText(QStringView piece) { return TGridText(piece); }
TGridText cellText(QByteArrayView piece) { return TGridText::fromLatin1(piece); }

TGridText numberText(int number)
{
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof(digits), number).ptr;
    return TGridText::fromLatin1(QByteArrayView(digits, end - digits));
}

// The pieces of `text` after those already in `pieces`; the row then takes them in one step.
template <typename View, typename Char>
void appendPieces(std::vector<TGridText> &pieces, View text, Char delimiter)
{
    while (!text.isEmpty()) {
        const qsizetype at = text.indexOf(delimiter);
        const View piece = at < 0 ? text : text.first(at);
        text = at < 0 ? View() : text.sliced(at + 1);
        pieces.push_back(cellText(TrimControls(piece)));
    }
}

} // namespace

void SplitIntoRow(TImportGrid &grid, int row, QStringView text, QChar delimiter)
{
    std::vector<TGridText> pieces;
    appendPieces(pieces, text, delimiter);
    grid.SetRowCells(row, 1, pieces);
}

void ReadDelimitedText(TImportGrid &grid, QByteArrayView data, QChar delimiter, bool varNames, const QString &fileName)
{
    const int lineCount = CountLines(data);
    if (varNames && lineCount == 0)
        throw ETextImportError(QStringLiteral("The file %1 has no line with the variable names.").arg(QDir::toNativeSeparators(fileName)));
    const int dataLines = lineCount - (varNames ? 1 : 0);
    GridUpdate update(grid);
    // A file of no data line (the names alone) still leaves one empty data row, so that the grid
    // can be worked on; of the grid before, that row keeps nothing.
    if (dataLines == 0)
        grid.SetRowCount(1);
    grid.SetRowCount(std::max(dataLines, 1) + 1);
    if (dataLines == 0)
        grid.SetCells(0, 1, QStringLiteral("1"));
    int row = varNames ? 0 : 1;
    const bool asciiDelimiter = delimiter.unicode() < 0x80;
    std::vector<TGridText> cells; // of one row, from its number on; the room serves every line
    ForEachLine(data, [&](QByteArrayView line) {
        cells.clear();
        if (row > 0)
            cells.push_back(numberText(row));
        // Most lines are ASCII: their bytes are split as they are, without a decoded copy.
        if (asciiDelimiter && IsAsciiText(line))
            appendPieces(cells, line, char(delimiter.unicode()));
        else
            appendPieces(cells, QStringView(DecodeTextLine(line)), delimiter);
        grid.SetRowCells(row, row > 0 ? 0 : 1, cells);
        ++row;
    });
    if (!varNames)
        nameColumnsByNumber(grid);
}

std::vector<TMaskField> CutMask(QStringView mask)
{
    // The next "x", "[" and "]" at or after the start of the rest are kept from field to field,
    // so that each character is looked at once however many fields the mask has.
    constexpr qsizetype kNotLooked = -2;
    qsizetype start = 0;
    qsizetype nextSingle = kNotLooked, nextOpen = kNotLooked, nextClose = kNotLooked;
    const auto next = [&](qsizetype &cached, QChar c) {
        if (cached != -1 && cached < start)
            cached = mask.indexOf(c, start);
        return cached;
    };
    std::vector<TMaskField> fields;
    while (start < mask.size()) {
        const qsizetype single = next(nextSingle, u'x');
        const qsizetype open = next(nextOpen, u'[');
        const qsizetype close = next(nextClose, u']');
        qsizetype first = open;
        qsizetype last = close;
        if (single >= 0 && (open < 0 || single < open))
            first = last = single;
        else if (open < 0 || close < open)
            break;
        fields.push_back({int(first) + 1, int(last) + 1});
        start = last + 1;
    }
    return fields;
}

namespace {

// The names the descriptors give grid columns: the value of the first line named "Var" + c,
// letter case ignored, by column c. Looked up once, so that a mask of many fields costs no
// search through the whole list per column.
QHash<int, QString> descriptorColumnNames(const rtl::TStringList *descriptors)
{
    QHash<int, QString> names;
    if (!descriptors)
        return names;
    const QString prefix = QStringLiteral("var");
    for (int i = 0; i < descriptors->Count(); ++i) {
        const QString name = descriptors->Names(i).toCaseFolded();
        if (!name.startsWith(prefix))
            continue;
        bool isNumber = false;
        const int column = name.sliced(prefix.size()).toInt(&isNumber);
        // Only the number as "Var" + c spells it: no sign, blank or leading zero.
        if (isNumber && column >= 1 && name == prefix + QString::number(column) && !names.contains(column))
            names.insert(column, descriptors->ValueFromIndex(i));
    }
    return names;
}

} // namespace

void ReadFixedColumnLines(TImportGrid &grid, const QStringList &lines, const std::vector<TMaskField> &fields,
                          bool rowNames, const rtl::TStringList *descriptors)
{
    const int shift = rowNames ? -1 : 0;
    GridUpdate update(grid);
    // Every row is written afresh. A mask of no field (or of the row names alone) still leaves
    // one data column, so that the grid can be worked on.
    grid.SetRowCount(1);
    grid.SetColCount(std::max(int(fields.size()) + 1 + shift, 2));
    grid.SetRowCount(int(lines.size()) + 1);
    for (int i = 1; i <= lines.size(); ++i) {
        const QString &line = lines[i - 1];
        grid.SetCells(0, i, QString::number(i));
        // Fields run left to right: those starting past the line's end leave their cells empty.
        for (size_t k = 0; k < fields.size() && fields[k].first <= line.size(); ++k)
            grid.SetCells(int(k) + 1 + shift, i, TrimControls(fieldText(line, fields[k])).toString());
    }
    const QHash<int, QString> names = descriptorColumnNames(descriptors);
    for (int column = 1; column < grid.ColCount(); ++column) {
        const QString name = names.value(column);
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
