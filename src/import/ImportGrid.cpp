#include "ImportGrid.h"

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/WholeFile.h"

#include <algorithm>
#include <iterator>

TImportGrid::TImportGrid(QObject *parent) : QAbstractTableModel(parent)
{
    Clear();
}

bool TImportGrid::InRange(int column, int row) const
{
    return column >= 0 && column < m_colCount && row >= 0 && row < RowCount();
}

void TImportGrid::TrimRow(Row &cells)
{
    while (!cells.empty() && cells.back().isEmpty())
        cells.pop_back();
}

void TImportGrid::SetColCount(int columns)
{
    columns = std::max(columns, 1);
    if (columns == m_colCount)
        return;
    if (columns < m_colCount) {
        for (Row &cells : m_rows) {
            if (cells.size() > size_t(columns)) {
                cells.resize(size_t(columns));
                TrimRow(cells);
            }
        }
    }
    m_colCount = columns;
    StructureChanged();
}

void TImportGrid::SetRowCount(int rows)
{
    rows = std::max(rows, 1);
    if (rows == RowCount())
        return;
    m_rows.resize(size_t(rows));
    StructureChanged();
}

QString TImportGrid::Cells(int column, int row) const
{
    return CellView(column, row).toString();
}

QStringView TImportGrid::CellView(int column, int row) const
{
    if (!InRange(column, row))
        return {};
    const Row &cells = m_rows[size_t(row)];
    return size_t(column) < cells.size() ? cells[size_t(column)].view() : QStringView();
}

void TImportGrid::SetCells(int column, int row, const QString &text)
{
    if (!InRange(column, row))
        return;
    Store(column, row, text);
    CellChanged(column, row);
}

void TImportGrid::Store(int column, int row, QStringView text)
{
    Row &cells = m_rows[size_t(row)];
    if (size_t(column) < cells.size()) {
        cells[size_t(column)] = TGridText(text);
        if (text.isEmpty())
            TrimRow(cells);
    } else if (!text.isEmpty()) {
        TGridText stored(text); // taken before the row may move
        // Rows are filled left to right: room grows by doubling, but never past the last column.
        if (size_t(column) >= cells.capacity())
            cells.reserve(std::min(std::max(2 * cells.capacity(), size_t(column) + 1), size_t(m_colCount)));
        cells.resize(size_t(column) + 1);
        cells.back() = std::move(stored);
    }
}

void TImportGrid::SetRowCells(int row, int firstColumn, std::span<TGridText> texts)
{
    if (row < 0 || row >= RowCount() || firstColumn < 0 || texts.empty())
        return;
    const size_t end = size_t(firstColumn) + texts.size();
    if (end > size_t(m_colCount))
        SetColCount(int(end));
    Row &cells = m_rows[size_t(row)];
    if (cells.size() < end) {
        // Room for just the cells the row ends with, taken once.
        if (cells.capacity() < end) {
            Row grown;
            grown.reserve(end);
            const size_t kept = std::min(cells.size(), size_t(firstColumn));
            std::move(cells.begin(), cells.begin() + qsizetype(kept), std::back_inserter(grown));
            cells.swap(grown);
        }
        cells.resize(end);
    }
    std::move(texts.begin(), texts.end(), cells.begin() + firstColumn);
    TrimRow(cells);
    CellsChanged(row, firstColumn, int(end) - 1);
}

void TImportGrid::DeleteColumn(int column)
{
    if (column < 1 || column >= m_colCount || m_colCount < 2)
        return;
    for (Row &cells : m_rows) {
        if (size_t(column) < cells.size()) {
            cells.erase(cells.begin() + column);
            TrimRow(cells);
        }
    }
    --m_colCount;
    StructureChanged();
}

void TImportGrid::DeleteRow(int row)
{
    if (row < 1 || row >= RowCount() || RowCount() < 2)
        return;
    m_rows.erase(m_rows.begin() + row);
    StructureChanged();
}

void TImportGrid::InsertColumn(int column)
{
    if (column < 1 || column > m_colCount)
        return;
    for (Row &cells : m_rows) {
        if (size_t(column) < cells.size())
            cells.insert(cells.begin() + column, TGridText());
    }
    ++m_colCount;
    StructureChanged();
}

void TImportGrid::AppendRow()
{
    m_rows.emplace_back();
    m_rows.back().emplace_back(QString::number(RowCount() - 1));
    StructureChanged();
}

void TImportGrid::Clear()
{
    BeginUpdate();
    m_rows.assign(2, Row());
    m_colCount = 2;
    m_rows[0].resize(2);
    m_rows[0][1] = TGridText(u"Var1");
    m_rows[1].emplace_back(u"1");
    StructureChanged();
    EndUpdate();
}

namespace {

// Takes element `from` out and puts it back at `to`; the elements between close up.
template<typename Element>
void MoveElement(std::vector<Element> &elements, int from, int to)
{
    const auto first = elements.begin();
    if (from < to)
        std::rotate(first + from, first + from + 1, first + to + 1);
    else
        std::rotate(first + to, first + from, first + from + 1);
}

} // namespace

void TImportGrid::MoveColumn(int from, int to)
{
    if (from < 1 || to < 1 || from >= m_colCount || to >= m_colCount || from == to)
        return;
    const size_t reach = size_t(std::max(from, to)) + 1;
    for (Row &cells : m_rows) {
        if (cells.size() <= size_t(std::min(from, to)))
            continue; // every cell that moves is empty
        if (cells.size() < reach)
            cells.resize(reach);
        MoveElement(cells, from, to);
        TrimRow(cells);
    }
    StructureChanged();
}

void TImportGrid::MoveRow(int from, int to)
{
    if (from < 1 || to < 1 || from >= RowCount() || to >= RowCount() || from == to)
        return;
    MoveElement(m_rows, from, to);
    StructureChanged();
}

bool TImportGrid::ShiftCell(int row, int column, int direction)
{
    if (!InRange(column, row) || (direction != -1 && direction != 1))
        return false;
    // The run of filled cells from the target on ends at the first empty cell, which takes the
    // run's last value; refused when the run reaches column 0 or passes the last column.
    int empty = column + direction;
    while (empty >= 1 && empty < m_colCount && !Cells(empty, row).isEmpty())
        empty += direction;
    if (empty < 1 || empty >= m_colCount)
        return false;
    for (int target = empty; target != column; target -= direction)
        Store(target, row, Cells(target - direction, row));
    Store(column, row, QStringView());
    CellsChanged(row, std::min(column, empty), std::max(column, empty));
    return true;
}

bool TImportGrid::MoveToEmptyCell(int row, int column, int direction)
{
    if (!InRange(column, row))
        return false;
    for (int target = column + direction; target >= 1 && target < m_colCount; target += direction) {
        if (Cells(target, row).isEmpty()) {
            SetCells(target, row, Cells(column, row));
            SetCells(column, row, QString());
            return true;
        }
    }
    return false;
}

void TImportGrid::BeginUpdate()
{
    ++m_updateDepth;
}

void TImportGrid::EndUpdate()
{
    if (m_updateDepth == 0 || --m_updateDepth > 0)
        return;
    if (m_resetPending) {
        m_resetPending = false;
        beginResetModel();
        endResetModel();
    }
}

void TImportGrid::CellChanged(int column, int row)
{
    if (m_updateDepth > 0) {
        m_resetPending = true;
        return;
    }
    if (column == 0 && row == 0) {
        emit CornerChanged();
    } else if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, column - 1, column - 1);
    } else if (column == 0) {
        emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
    } else {
        const QModelIndex changed = index(row - 1, column - 1);
        emit dataChanged(changed, changed);
    }
}

void TImportGrid::CellsChanged(int row, int firstColumn, int lastColumn)
{
    if (m_updateDepth > 0) {
        m_resetPending = true;
        return;
    }
    if (firstColumn == 0 || row == 0) {
        for (int column = firstColumn; column <= lastColumn; ++column)
            CellChanged(column, row);
        return;
    }
    emit dataChanged(index(row - 1, firstColumn - 1), index(row - 1, lastColumn - 1));
}

void TImportGrid::StructureChanged()
{
    // Views take the new shape whole: one reset is linear, where moving rows one by one is not.
    if (m_updateDepth > 0) {
        m_resetPending = true;
        return;
    }
    beginResetModel();
    endResetModel();
}

int TImportGrid::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : RowCount() - 1;
}

int TImportGrid::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColCount() - 1;
}

QVariant TImportGrid::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return Cells(index.column() + 1, index.row() + 1);
}

bool TImportGrid::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !InRange(index.column() + 1, index.row() + 1))
        return false;
    SetCells(index.column() + 1, index.row() + 1, value.toString());
    return true;
}

Qt::ItemFlags TImportGrid::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant TImportGrid::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return orientation == Qt::Horizontal ? Cells(section + 1, 0) : Cells(0, section + 1);
}

void SaveCSV(const TImportGrid &grid, const QString &fileName, bool withNames, bool withNumbers, TSavedLineEnd lineEnd)
{
    rtl::WholeFileWriter file(fileName);
    constexpr qsizetype kChunkSize = 1 << 20;
    QByteArray chunk;
    chunk.reserve(kChunkSize + 4096);
    const int firstColumn = withNumbers ? 0 : 1;
    QString line;
    for (int row = withNames ? 0 : 1; row < grid.RowCount(); ++row) {
        line.clear();
        const int endColumn = lineEnd == TSavedLineEnd::LastColumn ? grid.ColCount() : grid.FilledEnd(row);
        for (int column = firstColumn; column < endColumn; ++column) {
            if (column > firstColumn)
                line += QLatin1Char(';');
            line += grid.CellView(column, row);
        }
        chunk += line.toUtf8();
        chunk += "\r\n";
        if (chunk.size() >= kChunkSize) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
    file.commit();
}
