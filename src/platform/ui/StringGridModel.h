#pragma once
// Cells and row objects of a string grid, kept column by column so that a grid of a million rows
// costs one string per filled cell and nothing per empty one.

#include <QAbstractTableModel>
#include <QString>

#include <functional>
#include <vector>

class QObject;

namespace ui {

class StringGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit StringGridModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    void setRows(int rows);
    void setColumns(int columns);
    void setFixed(int fixedRows, int fixedColumns);
    int fixedRows() const { return m_fixedRows; }
    int fixedColumns() const { return m_fixedColumns; }

    /// Out-of-range cells read as empty text and no object; writes to them are ignored.
    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString &text);
    QObject *object(int column, int row) const;
    void setObject(int column, int row, QObject *object);

    /// Column `column` shows `text(row)` in every row whose cell holds no text of its own, worked
    /// out only when the cell is read; an empty function removes it. For big grids whose text
    /// follows from data.
    void setColumnText(int column, std::function<QString(int)> text);

    /// Between beginBulkUpdate and endBulkUpdate cell changes send no signal; the end resets views.
    void beginBulkUpdate();
    void endBulkUpdate();

private:
    bool inRange(int column, int row) const;
    void cellChanged(int column, int row);

    int m_rows = 0;
    int m_columns = 0;
    int m_fixedRows = 0;
    int m_fixedColumns = 0;
    int m_bulkDepth = 0;
    std::vector<std::vector<QString>> m_cells;     // [column][row], a column empty until a text is set
    std::vector<std::vector<QObject *>> m_objects; // [column][row], a column empty until used
    std::vector<std::function<QString(int)>> m_columnText;
};

} // namespace ui
