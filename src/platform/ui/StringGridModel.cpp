#include "StringGridModel.h"

#include <QBrush>
#include <QPalette>

namespace ui {

StringGridModel::StringGridModel(QObject *parent) : QAbstractTableModel(parent) {}

int StringGridModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_rows; }

int StringGridModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_columns; }

QVariant StringGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return cell(index.column(), index.row());
    if (role == Qt::BackgroundRole && (index.row() < m_fixedRows || index.column() < m_fixedColumns))
        return QPalette().brush(QPalette::Button);
    return {};
}

Qt::ItemFlags StringGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.row() < m_fixedRows || index.column() < m_fixedColumns)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void StringGridModel::setRows(int rows)
{
    rows = std::max(rows, 0);
    if (rows == m_rows)
        return;
    beginResetModel();
    m_rows = rows;
    for (Column &column : m_cells) {
        if (!column.written.empty()) {
            column.written.resize(size_t(rows));
            column.written.shrink_to_fit();
        }
        std::erase_if(column.writtenOverMade, [rows](const auto &cell) { return cell.first >= rows; });
    }
    for (auto &column : m_objects) {
        if (!column.empty())
            column.resize(size_t(rows));
    }
    endResetModel();
}

void StringGridModel::setColumns(int columns)
{
    columns = std::max(columns, 0);
    if (columns == m_columns)
        return;
    beginResetModel();
    m_columns = columns;
    m_cells.resize(size_t(columns));
    m_objects.resize(size_t(columns));
    endResetModel();
}

void StringGridModel::setFixed(int fixedRows, int fixedColumns)
{
    m_fixedRows = std::max(fixedRows, 0);
    m_fixedColumns = std::max(fixedColumns, 0);
    if (m_rows > 0 && m_columns > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1));
}

bool StringGridModel::inRange(int column, int row) const
{
    return column >= 0 && column < m_columns && row >= 0 && row < m_rows;
}

QString StringGridModel::cell(int column, int row) const
{
    if (!inRange(column, row))
        return {};
    const Column &cells = m_cells[size_t(column)];
    if (cells.made) {
        const auto written = cells.writtenOverMade.find(row);
        return written != cells.writtenOverMade.end() ? written->second : cells.made(row);
    }
    return cells.written.empty() ? QString() : cells.written[size_t(row)];
}

void StringGridModel::setCell(int column, int row, const QString &text)
{
    if (!inRange(column, row))
        return;
    Column &cells = m_cells[size_t(column)];
    if (cells.made) {
        cells.writtenOverMade[row] = text;
    } else {
        if (cells.written.empty()) {
            if (text.isEmpty())
                return;
            cells.written.resize(size_t(m_rows));
        }
        cells.written[size_t(row)] = text;
    }
    cellChanged(column, row);
}

void StringGridModel::setColumnText(int column, std::function<QString(int)> text)
{
    if (column < 0 || column >= m_columns)
        return;
    Column &cells = m_cells[size_t(column)];
    cells.made = std::move(text);
    cells.writtenOverMade.clear();
    cells.written.clear();
    cells.written.shrink_to_fit();
    if (m_bulkDepth == 0 && m_rows > 0)
        emit dataChanged(index(0, column), index(m_rows - 1, column), {Qt::DisplayRole});
}

QObject *StringGridModel::object(int column, int row) const
{
    if (!inRange(column, row) || m_objects[size_t(column)].empty())
        return nullptr;
    return m_objects[size_t(column)][size_t(row)];
}

void StringGridModel::setObject(int column, int row, QObject *object)
{
    if (!inRange(column, row))
        return;
    auto &objects = m_objects[size_t(column)];
    if (objects.empty()) {
        if (!object)
            return;
        objects.resize(size_t(m_rows));
    }
    objects[size_t(row)] = object;
}

void StringGridModel::beginBulkUpdate() { ++m_bulkDepth; }

void StringGridModel::endBulkUpdate()
{
    if (m_bulkDepth > 0 && --m_bulkDepth == 0) {
        beginResetModel();
        endResetModel();
    }
}

void StringGridModel::cellChanged(int column, int row)
{
    if (m_bulkDepth == 0) {
        const QModelIndex changed = index(row, column);
        emit dataChanged(changed, changed, {Qt::DisplayRole});
    }
}

} // namespace ui
