#pragma once
// The rows of the "Export parameters" dialog without its window: one row per table field with
// the grid column that feeds it (by name and by number) and its standard value, the proposal by
// name, the rules that keep name and number together while the user types, and what the store
// reads back.

#include <QAbstractTableModel>
#include <QStringList>

#include <array>
#include <vector>

class TExportParamsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    /// The columns of a row, in the dialog's order.
    enum Column { FieldName, ColName, ColNumber, StandardValue, ColumnCount };

    explicit TExportParamsModel(QObject *parent = nullptr);

    /// One row per field: the field name, and the first grid column (index = position in
    /// `columns`) whose name equals it without regard to case, else no column; no standard value.
    void Fill(const QStringList &fields, const QStringList &columns);
    int FieldCount() const { return int(m_rows.size()); }

    QString Cell(int column, int fieldIndex) const;
    /// A cell's new text as the user types it: a column name sets the column number to that
    /// column (or clears it for no such name); a column number that names a column sets the
    /// column name (another text leaves the name as it was).
    void SetEditText(int column, int fieldIndex, const QString &text);

    /// The column chosen for field `index` (from 0), and its standard value in `value`. Answers
    /// -1 for no column number, and for an index past the last field (value ''). A number that
    /// is no integer gives the warning "Error in column definition for field " + the field name
    /// (rtl::ShowWarning) and -1.
    int GetParam(int index, QString &value) const;

    // QAbstractTableModel: the field names are fixed, the other cells editable.
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    using Row = std::array<QString, ColumnCount>;
    void RowChanged(int fieldIndex);

    QStringList m_columns;
    std::vector<Row> m_rows;
};
