#pragma once
// The cells of the import and edit grid: text only, row 0 the column names, column 0 the item
// numbers (or row names). Kept row by row, each row only up to its last filled cell, so that the
// grid costs what its filled cells hold: a file's long line or a far column of one row does not
// make every other row as long. As a table model it shows the cells below row 0 and right of
// column 0, with row 0 and column 0 as the header texts, so that views keep the names and
// numbers in sight. The readers and the store work on it without any window.

#include "GridText.h"

#include <QAbstractTableModel>
#include <QString>

#include <span>
#include <vector>

class TImportGrid : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TImportGrid(QObject *parent = nullptr);

    int ColCount() const { return m_colCount; }
    int RowCount() const { return int(m_rows.size()); }
    /// Growing adds empty cells; shrinking drops the cells beyond. Counts below 1 count as 1.
    void SetColCount(int columns);
    void SetRowCount(int rows);

    /// Out-of-range cells read as empty text; writes to them are ignored.
    QString Cells(int column, int row) const;
    /// The same without a copy; valid until the grid changes.
    QStringView CellView(int column, int row) const;
    void SetCells(int column, int row, const QString &text);
    /// One past the last filled cell of `row`; 0 for an empty row or one out of range.
    int FilledEnd(int row) const { return row >= 0 && row < RowCount() ? int(m_rows[size_t(row)].size()) : 0; }
    /// Cells firstColumn .. firstColumn + texts.size() - 1 of `row` take `texts` (moved out),
    /// the grid gaining columns as needed; the row's cells past them keep their text. A row
    /// stored whole costs what its cells hold, however wide it is.
    void SetRowCells(int row, int firstColumn, std::span<TGridText> texts);

    /// Columns column+1 .. ColCount-1 move one place left, ColCount decreases by 1. Column 0 and
    /// the last remaining column are never removed.
    void DeleteColumn(int column);
    /// Rows row+1 .. RowCount-1 move one place up (item numbers move with them), RowCount
    /// decreases by 1. Row 0 and the last remaining row are never removed.
    void DeleteRow(int row);
    /// A new empty column at `column` (1 or more); the columns from there move one place right.
    void InsertColumn(int column);
    /// A new row at the end, numbered with its row index in column 0.
    void AppendRow();
    /// Takes column `from` out and puts it back at `to` (both 1 or more), as dragging it does.
    void MoveColumn(int from, int to);
    /// Takes row `from` out and puts it back at `to` (both 1 or more), number included.
    void MoveRow(int from, int to);
    /// Every cell emptied, then two columns and two rows: "1" in cell (0, 1), "Var1" in (1, 0).
    void Clear();

    /// Moves the value of (column, row) one place in `direction` (-1 or +1), pushing a run of
    /// filled cells before it as a block. Refused (false, nothing changed) when the run would
    /// reach column 0 or pass the last column. Takes no more stack for a long run.
    bool ShiftCell(int row, int column, int direction);
    /// Moves the value of (column, row) to the nearest empty cell of the row in `direction`
    /// (columns 1 .. ColCount-1); false and nothing changed when there is none.
    bool MoveToEmptyCell(int row, int column, int direction);

    /// Cell writes between these calls send no signals; the end resets the views. Calls nest.
    void BeginUpdate();
    void EndUpdate();

    // QAbstractTableModel: model row r and column c are cell (c + 1, r + 1), all editable;
    // horizontal header section c is cell (c + 1, 0), vertical section r is cell (0, r + 1).
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    /// Cell (0, 0), which is neither a header section nor a model cell, has a new text.
    void CornerChanged();

private:
    using Row = std::vector<TGridText>;

    bool InRange(int column, int row) const;
    /// Drops the empty cells at the row's end.
    static void TrimRow(Row &cells);
    /// Writes a cell in range without telling the views.
    void Store(int column, int row, QStringView text);
    void CellChanged(int column, int row);
    /// Cells firstColumn .. lastColumn of `row` have new texts.
    void CellsChanged(int row, int firstColumn, int lastColumn);
    void StructureChanged();

    std::vector<Row> m_rows; // [row][column], each without empty cells at its end
    int m_colCount = 0;
    int m_updateDepth = 0;
    bool m_resetPending = false;
};

/// Where a saved line ends: at the row's last filled cell, which the delimited read takes back
/// as the same row, or at the last column, for a file whose every line must give each column.
enum class TSavedLineEnd { LastFilledCell, LastColumn };

/// Writes rows (0 with names, else 1) .. RowCount-1, each the cells from column (0 with numbers,
/// else 1) up to where `lineEnd` says joined by ";" without quoting, ended by CR LF. The file is
/// written beside its final name and renamed over it, so a failure leaves an earlier file
/// intact. Throws rtl::EInOutError naming the file.
void SaveCSV(const TImportGrid &grid, const QString &fileName, bool withNames, bool withNumbers,
             TSavedLineEnd lineEnd = TSavedLineEnd::LastFilledCell);
