#include "StringGrid.h"

#include "StringGridModel.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace ui {

TStringGrid::TStringGrid(QWidget *parent) : QTableView(parent), m_model(new StringGridModel(this))
{
    setModel(m_model);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(24);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    SetColCount(5);
    SetRowCount(5);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TStringGrid::applyColumnWidths);
}

int TStringGrid::RowCount() const { return m_model->rowCount(); }

void TStringGrid::SetRowCount(int rows) { m_model->setRows(rows); }

int TStringGrid::ColCount() const { return m_model->columnCount(); }

void TStringGrid::SetColCount(int columns)
{
    m_colWidths.resize(size_t(std::max(columns, 0)), m_defaultColWidth);
    m_model->setColumns(columns);
    applyColumnWidths();
}

int TStringGrid::FixedRows() const { return m_model->fixedRows(); }

void TStringGrid::SetFixedRows(int rows) { m_model->setFixed(rows, m_model->fixedColumns()); }

int TStringGrid::FixedCols() const { return m_model->fixedColumns(); }

void TStringGrid::SetFixedCols(int columns) { m_model->setFixed(m_model->fixedRows(), columns); }

QString TStringGrid::Cells(int column, int row) const { return m_model->cell(column, row); }

void TStringGrid::SetCells(int column, int row, const QString &text) { m_model->setCell(column, row, text); }

void TStringGrid::SetColumnText(int column, std::function<QString(int)> text)
{
    m_model->setColumnText(column, std::move(text));
}

QObject *TStringGrid::Objects(int column, int row) const { return m_model->object(column, row); }

void TStringGrid::SetObjects(int column, int row, QObject *object) { m_model->setObject(column, row, object); }

void TStringGrid::SetDefaultColWidth(int width)
{
    m_defaultColWidth = width;
    std::fill(m_colWidths.begin(), m_colWidths.end(), width);
    applyColumnWidths();
}

int TStringGrid::DefaultRowHeight() const { return verticalHeader()->defaultSectionSize(); }

void TStringGrid::SetDefaultRowHeight(int height)
{
    verticalHeader()->setMinimumSectionSize(std::min(height, verticalHeader()->minimumSectionSize()));
    verticalHeader()->setDefaultSectionSize(height);
}

int TStringGrid::ColWidths(int column) const
{
    return column >= 0 && column < int(m_colWidths.size()) ? m_colWidths[size_t(column)] : 0;
}

void TStringGrid::SetColWidths(int column, int width)
{
    if (column < 0 || column >= int(m_colWidths.size()))
        return;
    m_colWidths[size_t(column)] = width;
    setColumnWidth(column, width);
}

int TStringGrid::Row() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TStringGrid::SetRow(int row)
{
    if (row < 0 || row >= RowCount())
        return;
    const int column = std::max(currentIndex().column(), FixedCols());
    setCurrentIndex(m_model->index(row, std::min(column, std::max(ColCount() - 1, 0))));
}

void TStringGrid::SetRowSelect(bool rowSelect)
{
    setSelectionBehavior(rowSelect ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void TStringGrid::BeginUpdate() { m_model->beginBulkUpdate(); }

void TStringGrid::EndUpdate() { m_model->endBulkUpdate(); }

void TStringGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex clicked = indexAt(event->position().toPoint());
    if (clicked.isValid())
        setCurrentIndex(clicked);
    QTableView::mouseDoubleClickEvent(event);
    if (clicked.isValid())
        emit DblClick();
}

void TStringGrid::applyColumnWidths()
{
    for (int c = 0; c < int(m_colWidths.size()); ++c)
        setColumnWidth(c, m_colWidths[size_t(c)]);
}

} // namespace ui
