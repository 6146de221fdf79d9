#pragma once
// A grid of text cells with an object per cell, fixed rows and columns and row selection,
// shown by a QTableView over StringGridModel.

#include <QTableView>

#include <functional>

namespace ui {

class StringGridModel;

class TStringGrid : public QTableView
{
    Q_OBJECT
public:
    explicit TStringGrid(QWidget *parent = nullptr);

    int RowCount() const;
    void SetRowCount(int rows);
    int ColCount() const;
    void SetColCount(int columns);
    int FixedRows() const;
    void SetFixedRows(int rows);
    int FixedCols() const;
    void SetFixedCols(int columns);

    QString Cells(int column, int row) const;
    void SetCells(int column, int row, const QString &text);
    /// Column `column` shows `text(row)` where a cell holds no text of its own (see StringGridModel).
    void SetColumnText(int column, std::function<QString(int)> text);
    QObject *Objects(int column, int row) const;
    void SetObjects(int column, int row, QObject *object);

    int DefaultColWidth() const { return m_defaultColWidth; }
    void SetDefaultColWidth(int width);
    int DefaultRowHeight() const;
    void SetDefaultRowHeight(int height);
    int ColWidths(int column) const;
    void SetColWidths(int column, int width);

    /// The current (selected) row; -1 when the grid has none.
    int Row() const;
    void SetRow(int row);
    /// Whether a click selects the whole row.
    void SetRowSelect(bool rowSelect);

    /// Cell writes between these calls are shown once at the end; calls nest.
    void BeginUpdate();
    void EndUpdate();

    StringGridModel *gridModel() const { return m_model; }

signals:
    /// A double click on a cell; the clicked row has become the current row.
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void applyColumnWidths();

    StringGridModel *m_model;
    int m_defaultColWidth = 64;
    std::vector<int> m_colWidths;
};

} // namespace ui
