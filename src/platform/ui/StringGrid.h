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
    /// The texts of `column` made by `text` when they are shown or read (see
    /// StringGridModel::setColumnText): a column of a million rows formats only what is seen.
    void SetColumnText(int column, std::function<QString(int row)> text);
    /// The object a cell holds (not owned); nullptr for none or once the object was freed.
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
    /// Whether the user may drag the border right of a column to change its width.
    void SetColSizing(bool colSizing);
    /// Widens a column, where needed, so that `text` fits in it; never narrows it.
    void FitColumnToText(int column, const QString &text, int maxWidth = 1000);
    /// FitColumnToText for every text of the column.
    void FitColumnToTexts(int column, int maxWidth = 1000);
    /// The selected range as text: cells separated by tabs, rows ended by a line break.
    QString SelectedText() const;

    /// Cell writes between these calls are shown once at the end; calls nest.
    void BeginUpdate();
    void EndUpdate();

    StringGridModel *gridModel() const { return m_model; }

signals:
    /// A double click on a cell; the clicked row has become the current row.
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    /// Ctrl+C copies the selected range (SelectedText) to the clipboard.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void applyColumnWidths();
    void renewVerticalHeader();
    /// The column whose right border lies under x (within a few pixels); -1 when none.
    int columnBorderAt(int x) const;

    StringGridModel *m_model;
    int m_defaultColWidth = 64;
    std::vector<int> m_colWidths;
    bool m_colSizing = false;
    int m_sizedColumn = -1; // the column whose border is being dragged
    int m_sizingStartX = 0;
    int m_sizingStartWidth = 0;
};

} // namespace ui
