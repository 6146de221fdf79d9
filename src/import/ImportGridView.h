#pragma once
// The view of the import grid: row 0 and column 0 of the cells stand fixed as the header rows
// (the corner shows cell (0, 0)); every other cell is edited in place with its editor always
// open, and what is typed reaches the cells at once. Rows and columns are dragged to new places
// by their header sections, and columns are widened by their header borders. Positions are the
// grid's own: column 1 and row 1 are the first cells below and right of the headers.

#include <QPointer>
#include <QTableView>

class TImportGrid;

class TImportGridView : public QTableView
{
    Q_OBJECT
public:
    explicit TImportGridView(QWidget *parent = nullptr);

    /// Shows `grid` (not owned; it must outlive the view).
    void SetGrid(TImportGrid *grid);
    TImportGrid *Grid() const { return m_grid; }

    /// The selected cell's column and row; 0 when the grid has no cell below or right of the
    /// headers.
    int Col() const;
    int Row() const;
    /// Selects a cell (1 or more each; clamped to the grid).
    void SetCurrentCell(int column, int row);
    void SetCol(int column) { SetCurrentCell(column, Row()); }
    /// The rectangle of cell (column, row) in the coordinates of `widget`, an ancestor.
    QRect CellRect(int column, int row, const QWidget *widget) const;

signals:
    /// Another cell has been selected (also after the grid changed its shape).
    void SelectCell(int column, int row);

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    void focusInEvent(QFocusEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void RememberCurrent();
    void RestoreCurrent();
    void OpenEditor();
    void SectionMoved(Qt::Orientation orientation, int from, int to);
    void FitCornerText();
    /// Widens the columns to the texts of their names and first rows, within bounds.
    void FitColumnsToTexts();
    void PaintCorner(QWidget *corner);

    QPointer<TImportGrid> m_grid; // the window may free the grid before its child widgets
    int m_keptColumn = 1;
    int m_keptRow = 1;
    bool m_undoingMove = false;
};
