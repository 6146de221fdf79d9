#pragma once
// Cells and row objects of a string grid, kept column by column so that a grid of a million rows
// costs one string per filled cell and nothing for a column that holds no text. A column may
// instead make its texts when they are asked for, from a function of the row.

#include <QAbstractTableModel>
#include <QPointer>
#include <QString>

#include <functional>
#include <unordered_map>
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

    /// From now on the texts of `column` are made by `text` when asked for; a cell written with
    /// setCell shows its written text instead. An empty function goes back to written texts only.
    void setColumnText(int column, std::function<QString(int row)> text);

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
    struct Column
    {
        std::vector<QString> written;                         // [row], empty until a text is written
        std::function<QString(int)> made;                     // texts made when asked for
        std::unordered_map<int, QString> writtenOverMade;     // row -> text written into a made column
    };
    std::vector<Column> m_cells;                   // [column]
    // [column][row], a column empty until used; an object freed elsewhere reads as none
    std::vector<std::vector<QPointer<QObject>>> m_objects;
};

} // namespace ui
