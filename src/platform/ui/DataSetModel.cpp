#include "platform/ui/DataSetModel.h"

#include "platform/ui/DataSource.h"
#include "platform/ui/Dialogs.h"

#include "platform/db/DataSet.h"
#include "platform/db/ValueConvert.h"

#include <tuple>

namespace ui {
namespace {

bool editing(const db::TDataSet &dataSet) { return dataSet.State() == db::dsEdit || dataSet.State() == db::dsInsert; }

} // namespace

TDataSetModel::TDataSetModel(TDataSource &source, QObject *parent) : QAbstractTableModel(parent), m_source(source)
{
    connect(&m_source, &TDataSource::dataSetChanged, this, &TDataSetModel::rebuild);
    connect(&m_source, &TDataSource::changed, this, &TDataSetModel::refresh);
    rebuild();
}

// Rows (with the record being inserted) and columns of the dataset as it now is.
std::pair<int, int> TDataSetModel::shape() const
{
    db::TDataSet *dataSet = m_source.DataSet();
    if (!dataSet || !dataSet->Active())
        return {0, 0};
    return {dataSet->RecordCount() + (dataSet->State() == db::dsInsert ? 1 : 0), dataSet->Fields().Count()};
}

// The records may have been added, removed or edited: the view asks again for what it shows.
void TDataSetModel::rebuild()
{
    beginResetModel();
    std::tie(m_rows, m_columns) = shape();
    endResetModel();
}

// Same shape: the cells and the record marks are repainted, editors and selection stay.
void TDataSetModel::refresh()
{
    const auto [rows, columns] = shape();
    if (rows != m_rows || columns != m_columns) {
        rebuild();
        return;
    }
    if (rows > 0 && columns > 0) {
        emit dataChanged(index(0, 0), index(rows - 1, columns - 1));
        emit headerDataChanged(Qt::Vertical, 0, rows - 1);
    }
}

int TDataSetModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_rows; }

int TDataSetModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_columns; }

int TDataSetModel::currentRow() const
{
    const db::TDataSet *dataSet = m_source.DataSet();
    if (!dataSet || !dataSet->Active())
        return -1;
    if (dataSet->State() == db::dsInsert)
        return dataSet->RecordCount();
    return dataSet->RecNo() - 1;
}

QVariant TDataSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    db::TDataSet *dataSet = m_source.DataSet();
    if (!dataSet || !dataSet->Active())
        return {};
    if (editing(*dataSet) && index.row() == currentRow() && index.column() < dataSet->Fields().Count())
        return dataSet->Fields()[index.column()].AsString();
    return db::ValueToText(dataSet->RowValue(index.row(), index.column()));
}

QVariant TDataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    db::TDataSet *dataSet = m_source.DataSet();
    if (!dataSet || !dataSet->Active())
        return {}; // closed behind the view's back; the next notification rebuilds
    if (orientation == Qt::Horizontal)
        return section < dataSet->Fields().Count() ? dataSet->Fields()[section].FieldName() : QVariant();
    if (section != currentRow())
        return QString();
    switch (dataSet->State()) {
    case db::dsEdit: return QStringLiteral("I");
    case db::dsInsert: return QStringLiteral("*");
    default: return QStringLiteral("▶");
    }
}

Qt::ItemFlags TDataSetModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    db::TDataSet *dataSet = m_source.DataSet();
    if (index.isValid() && dataSet && dataSet->CanModify() && index.column() < dataSet->Fields().Count() &&
        !dataSet->Fields()[index.column()].ReadOnly())
        flags |= Qt::ItemIsEditable;
    return flags;
}

void TDataSetModel::moveTo(int row)
{
    db::TDataSet *dataSet = m_source.DataSet();
    if (!dataSet || !dataSet->Active() || row == currentRow())
        return;
    try {
        dataSet->SetRecNo(row + 1);
    } catch (const std::exception &error) {
        ShowException(error);
    }
    m_source.notifyChanged();
}

bool TDataSetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    db::TDataSet *dataSet = m_source.DataSet();
    if (!index.isValid() || role != Qt::EditRole || !dataSet || !dataSet->Active())
        return false;
    bool stored = false;
    try {
        if (index.row() != currentRow())
            dataSet->SetRecNo(index.row() + 1);
        db::TField &field = dataSet->Fields()[index.column()];
        if (field.AsString() != value.toString()) {
            dataSet->Edit();
            field.SetAsString(value.toString());
        }
        stored = true;
    } catch (const std::exception &error) {
        ShowException(error);
    }
    m_source.notifyChanged();
    return stored;
}

} // namespace ui
