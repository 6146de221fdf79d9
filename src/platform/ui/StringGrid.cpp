#include "StringGrid.h"

#include "StringGridModel.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace ui {

namespace {
constexpr int kBorderGrip = 3;    // pixels either side of a column border that grip it
constexpr int kNarrowestColumn = 8;
// From this many rows on, a grid cut down to a quarter or less renews its row header.
constexpr int kRowsWorthARenewedHeader = 100000;
constexpr int kCellPadding = 8;   // left and right of a cell's text
} // namespace

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

void TStringGrid::SetRowCount(int rows)
{
    const int before = m_model->rowCount();
    m_model->setRows(rows);
    if (before >= kRowsWorthARenewedHeader && m_model->rowCount() < before / 4)
        renewVerticalHeader();
}

void TStringGrid::renewVerticalHeader()
{
    // A header keeps the room of every row it ever had (8 bytes each); a new one holds none.
    const QHeaderView *old = verticalHeader();
    auto *header = new QHeaderView(Qt::Vertical, this);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setMinimumSectionSize(old->minimumSectionSize());
    header->setDefaultSectionSize(old->defaultSectionSize());
    header->setVisible(!old->isHidden());
    setVerticalHeader(header);
}

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

void TStringGrid::SetColSizing(bool colSizing)
{
    m_colSizing = colSizing;
    setMouseTracking(colSizing);
    viewport()->setMouseTracking(colSizing);
}

void TStringGrid::FitColumnToText(int column, const QString &text, int maxWidth)
{
    const int needed = std::min(fontMetrics().horizontalAdvance(text) + kCellPadding, maxWidth);
    if (needed > ColWidths(column))
        SetColWidths(column, needed);
}

void TStringGrid::FitColumnToTexts(int column, int maxWidth)
{
    for (int r = 0; r < RowCount(); ++r)
        FitColumnToText(column, Cells(column, r), maxWidth);
}

QString TStringGrid::SelectedText() const
{
    const QModelIndexList selected = selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList();
    if (selected.isEmpty())
        return {};
    int top = RowCount(), bottom = -1, left = ColCount(), right = -1;
    for (const QModelIndex &index : selected) {
        top = std::min(top, index.row()), bottom = std::max(bottom, index.row());
        left = std::min(left, index.column()), right = std::max(right, index.column());
    }
    QString text;
    for (int r = top; r <= bottom; ++r) {
        for (int c = left; c <= right; ++c) {
            if (c > left)
                text += QLatin1Char('\t');
            text += Cells(c, r);
        }
        text += QLatin1Char('\n');
    }
    return text;
}

void TStringGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        if (QClipboard *clipboard = QApplication::clipboard())
            clipboard->setText(SelectedText());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

int TStringGrid::columnBorderAt(int x) const
{
    for (int c = 0; c < ColCount(); ++c) {
        const int border = columnViewportPosition(c) + columnWidth(c);
        if (std::abs(x - border) <= kBorderGrip)
            return c;
    }
    return -1;
}

void TStringGrid::mousePressEvent(QMouseEvent *event)
{
    const int column = m_colSizing && event->button() == Qt::LeftButton ? columnBorderAt(event->position().toPoint().x()) : -1;
    if (column < 0) {
        QTableView::mousePressEvent(event);
        return;
    }
    m_sizedColumn = column;
    m_sizingStartX = event->position().toPoint().x();
    m_sizingStartWidth = columnWidth(column);
    event->accept();
}

void TStringGrid::mouseMoveEvent(QMouseEvent *event)
{
    const int x = event->position().toPoint().x();
    if (m_sizedColumn >= 0) {
        SetColWidths(m_sizedColumn, std::max(kNarrowestColumn, m_sizingStartWidth + x - m_sizingStartX));
        event->accept();
        return;
    }
    if (m_colSizing && event->buttons() == Qt::NoButton) {
        if (columnBorderAt(x) >= 0)
            viewport()->setCursor(Qt::SplitHCursor);
        else
            viewport()->unsetCursor();
    }
    QTableView::mouseMoveEvent(event);
}

void TStringGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_sizedColumn >= 0) {
        m_sizedColumn = -1;
        event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(event);
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
