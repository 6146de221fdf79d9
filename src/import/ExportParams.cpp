#include "ExportParams.h"

#include "StoreTable.h"

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Warnings.h"

TExportParamsModel::TExportParamsModel(QObject *parent) : QAbstractTableModel(parent) {}

void TExportParamsModel::Fill(const QStringList &fields, const QStringList &columns)
{
    beginResetModel();
    m_columns = columns;
    m_rows.assign(size_t(fields.size()), Row());
    for (int i = 0; i < fields.size(); ++i) {
        Row &row = m_rows[size_t(i)];
        row[FieldName] = fields[i];
        const int column = ProposedColumn(columns, fields[i]);
        if (column >= 0) {
            row[ColName] = columns[column];
            row[ColNumber] = QString::number(column);
        }
    }
    endResetModel();
}

QString TExportParamsModel::Cell(int column, int fieldIndex) const
{
    if (fieldIndex < 0 || fieldIndex >= FieldCount() || column < 0 || column >= ColumnCount)
        return {};
    return m_rows[size_t(fieldIndex)][size_t(column)];
}

void TExportParamsModel::SetEditText(int column, int fieldIndex, const QString &text)
{
    if (fieldIndex < 0 || fieldIndex >= FieldCount() || column < 0 || column >= ColumnCount)
        return;
    Row &row = m_rows[size_t(fieldIndex)];
    row[size_t(column)] = text;
    if (column == ColName) {
        const int number = ProposedColumn(m_columns, text);
        row[ColNumber] = number >= 0 ? QString::number(number) : QString();
    } else if (column == ColNumber && !text.isEmpty()) {
        int32_t number = 0;
        if (rtl::TryStrToInt(text, number) && number >= 0 && number < m_columns.size())
            row[ColName] = m_columns[number];
    }
    RowChanged(fieldIndex);
}

int TExportParamsModel::GetParam(int index, QString &value) const
{
    if (index < 0 || index >= FieldCount()) {
        value.clear();
        return -1;
    }
    const Row &row = m_rows[size_t(index)];
    value = row[StandardValue];
    if (row[ColNumber].isEmpty())
        return -1;
    int32_t number = 0;
    if (!rtl::TryStrToInt(row[ColNumber], number)) {
        rtl::ShowWarning(rtl::WarningKind::Warning, QStringLiteral("Error in column definition for field ") + row[FieldName]);
        return -1;
    }
    return number;
}

void TExportParamsModel::RowChanged(int fieldIndex)
{
    emit dataChanged(index(fieldIndex, 0), index(fieldIndex, ColumnCount - 1));
}

int TExportParamsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : FieldCount();
}

int TExportParamsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(ColumnCount);
}

QVariant TExportParamsModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return Cell(index.column(), index.row());
}

bool TExportParamsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    SetEditText(index.column(), index.row(), value.toString());
    return true;
}

Qt::ItemFlags TExportParamsModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.isValid() && index.column() != FieldName)
        result |= Qt::ItemIsEditable;
    return result;
}

QVariant TExportParamsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const headings[ColumnCount] = {"Field name", "Col name", "Col number", "Standard value"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(headings[section]) : QVariant();
}
