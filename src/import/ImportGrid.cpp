#include "ImportGrid.h"

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/WholeFile.h"

#include <algorithm>

TImportGrid::TImportGrid(QObject *parent) : QAbstractTableModel(parent)
{
    Clear();
}

bool TImportGrid::InRange(int column, int row) const
{
    return column >= 0 && column < ColCount() && row >= 0 && row < m_rowCount;
}

void TImportGrid::SetColCount(int columns)
{
    columns = std::max(columns, 1);
    if (columns == ColCount())
        return;
    m_columns.resize(size_t(columns), std::vector<QString>(size_t(m_rowCount)));
    StructureChanged();
}

void TImportGrid::SetRowCount(int rows)
{
    rows = std::max(rows, 1);
    if (rows == m_rowCount)
        return;
    m_rowCount = rows;
    for (auto &column : m_columns)
        column.resize(size_t(rows));
    StructureChanged();
}

QString TImportGrid::Cells(int column, int row) const
{
    return InRange(column, row) ? m_columns[size_t(column)][size_t(row)] : QString();
}

void TImportGrid::SetCells(int column, int row, const QString &text)
{
    if (!InRange(column, row))
        return;
    m_columns[size_t(column)][size_t(row)] = text;
    CellChanged(column, row);
}

void TImportGrid::DeleteColumn(int column)
{
    if (column < 1 || column >= ColCount() || ColCount() < 2)
        return;
    m_columns.erase(m_columns.begin() + column);
    StructureChanged();
}

void TImportGrid::DeleteRow(int row)
{
    if (row < 1 || row >= m_rowCount || m_rowCount < 2)
        return;
    for (auto &cells : m_columns)
        cells.erase(cells.begin() + row);
    --m_rowCount;
    StructureChanged();
}

void TImportGrid::InsertColumn(int column)
{
    if (column < 1 || column > ColCount())
        return;
    m_columns.insert(m_columns.begin() + column, std::vector<QString>(size_t(m_rowCount)));
    StructureChanged();
}

void TImportGrid::AppendRow()
{
    ++m_rowCount;
    for (auto &cells : m_columns)
        cells.emplace_back();
    m_columns[0].back() = QString::number(m_rowCount - 1);
    StructureChanged();
}

void TImportGrid::Clear()
{
    BeginUpdate();
    m_columns.assign(2, std::vector<QString>(2));
    m_rowCount = 2;
    m_columns[0][1] = QStringLiteral("1");
    m_columns[1][0] = QStringLiteral("Var1");
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
    if (from < 1 || to < 1 || from >= ColCount() || to >= ColCount() || from == to)
        return;
    MoveElement(m_columns, from, to);
    StructureChanged();
}

void TImportGrid::MoveRow(int from, int to)
{
    if (from < 1 || to < 1 || from >= m_rowCount || to >= m_rowCount || from == to)
        return;
    for (auto &cells : m_columns)
        MoveElement(cells, from, to);
    StructureChanged();
}

bool TImportGrid::ShiftCell(int row, int column, int direction)
{
    const int target = column + direction;
    if (!InRange(column, row) || target < 1 || target >= ColCount())
        return false;
    if (!Cells(target, row).isEmpty() && !ShiftCell(row, target, direction))
        return false;
    SetCells(target, row, Cells(column, row));
    SetCells(column, row, QString());
    return true;
}

bool TImportGrid::MoveToEmptyCell(int row, int column, int direction)
{
    if (!InRange(column, row))
        return false;
    for (int target = column + direction; target >= 1 && target < ColCount(); target += direction) {
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
    return parent.isValid() ? 0 : m_rowCount - 1;
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

void SaveCSV(const TImportGrid &grid, const QString &fileName, bool withNames, bool withNumbers)
{
    rtl::WholeFileWriter file(fileName);
    constexpr qsizetype kChunkSize = 1 << 20;
    QByteArray chunk;
    chunk.reserve(kChunkSize + 4096);
    const int firstColumn = withNumbers ? 0 : 1;
    QString line;
    for (int row = withNames ? 0 : 1; row < grid.RowCount(); ++row) {
        line.clear();
        for (int column = firstColumn; column < grid.ColCount(); ++column) {
            if (column > firstColumn)
                line += QLatin1Char(';');
            line += grid.Cells(column, row);
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
