#include "ImportGridView.h"

#include "TypedTextDelegate.h"

#include "ImportGrid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>

namespace {

constexpr int kRowHeight = 20;
constexpr int kColumnWidth = 72;
// Columns are widened to their texts up to this width; the user may widen them further.
constexpr int kWidestFittedColumn = 320;
// The rows and columns whose texts a new shape measures: enough for a screen and then some,
// few enough that a grid of a million rows or many columns takes its shape at once.
constexpr int kMeasuredRows = 100;
constexpr int kMeasuredColumns = 100;
// Room around a cell's text: the grid line, the item's margins and the open editor's frame.
constexpr int kCellTextPadding = 16;

// Every keystroke reaches the cell at once, so that a button that takes no focus (the shift
// buttons) sees the text as typed. Enter keeps the editor open, and Esc is left to the window,
// whose Cancel answers it.
class TypedTextDelegate : public TTypedTextDelegate
{
public:
    using TTypedTextDelegate::TTypedTextDelegate;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Escape)
                return false;
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                return true;
        }
        return QStyledItemDelegate::eventFilter(watched, event);
    }
};

} // namespace

TImportGridView::TImportGridView(QWidget *parent) : QTableView(parent)
{
    setItemDelegate(new TypedTextDelegate(this));
    setEditTriggers(QAbstractItemView::AllEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);

    // Fixed row heights keep a million rows cheap: no row is ever measured.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(kRowHeight);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    horizontalHeader()->setMinimumSectionSize(8);
    for (QHeaderView *header : {horizontalHeader(), verticalHeader()}) {
        header->setSectionsMovable(true);
        header->setSectionsClickable(false);
        header->setHighlightSections(false);
        header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    connect(horizontalHeader(), &QHeaderView::sectionMoved, this,
            [this](int, int from, int to) { SectionMoved(Qt::Horizontal, from, to); });
    connect(verticalHeader(), &QHeaderView::sectionMoved, this,
            [this](int, int from, int to) { SectionMoved(Qt::Vertical, from, to); });

    // The corner button shows no text of its own; it shows cell (0, 0) here.
    if (auto *corner = findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly))
        corner->installEventFilter(this);
}

void TImportGridView::SetGrid(TImportGrid *grid)
{
    m_grid = grid;
    setModel(grid);
    connect(grid, &QAbstractItemModel::modelAboutToBeReset, this, &TImportGridView::RememberCurrent);
    connect(grid, &QAbstractItemModel::modelReset, this, &TImportGridView::RestoreCurrent);
    connect(grid, &QAbstractItemModel::modelReset, this, &TImportGridView::FitCornerText);
    connect(grid, &QAbstractItemModel::modelReset, this, &TImportGridView::FitColumnsToTexts);
    connect(grid, &TImportGrid::CornerChanged, this, [this] {
        FitCornerText();
        if (auto *corner = findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly))
            corner->update();
    });
    FitCornerText();
    FitColumnsToTexts();
    RestoreCurrent();
}

int TImportGridView::Col() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() + 1 : 0;
}

int TImportGridView::Row() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void TImportGridView::SetCurrentCell(int column, int row)
{
    if (!m_grid || m_grid->ColCount() < 2 || m_grid->RowCount() < 2)
        return;
    column = std::clamp(column, 1, m_grid->ColCount() - 1);
    row = std::clamp(row, 1, m_grid->RowCount() - 1);
    setCurrentIndex(m_grid->index(row - 1, column - 1));
}

QRect TImportGridView::CellRect(int column, int row, const QWidget *widget) const
{
    if (!m_grid)
        return {};
    const QRect inViewport = visualRect(m_grid->index(row - 1, column - 1));
    return QRect(viewport()->mapTo(widget, inViewport.topLeft()), inViewport.size());
}

void TImportGridView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous); // opens the editor of a shown grid
    if (current.isValid()) {
        m_keptColumn = current.column() + 1;
        m_keptRow = current.row() + 1;
    }
    emit SelectCell(Col(), Row());
}

void TImportGridView::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableView::closeEditor(editor, hint);
    OpenEditor();
}

void TImportGridView::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    OpenEditor();
}

void TImportGridView::OpenEditor()
{
    // Only while the grid holds the focus: opening an editor takes it.
    const QWidget *focused = QApplication::focusWidget();
    if (currentIndex().isValid() && state() != EditingState && (focused == this || isAncestorOf(focused)))
        edit(currentIndex());
}

void TImportGridView::RememberCurrent()
{
    if (currentIndex().isValid()) {
        m_keptColumn = Col();
        m_keptRow = Row();
    }
}

void TImportGridView::RestoreCurrent()
{
    // A new shape keeps the selected cell where it can, as the grid's Col and Row did.
    SetCurrentCell(m_keptColumn, m_keptRow);
}

void TImportGridView::SectionMoved(Qt::Orientation orientation, int from, int to)
{
    if (m_undoingMove || !m_grid)
        return;
    // The header's own move is only shown; the cells move in the grid, and the header goes back
    // to showing sections in their order.
    QHeaderView *header = orientation == Qt::Horizontal ? horizontalHeader() : verticalHeader();
    m_undoingMove = true;
    header->moveSection(to, from);
    m_undoingMove = false;
    if (orientation == Qt::Horizontal) {
        m_grid->MoveColumn(from + 1, to + 1);
        SetCurrentCell(to + 1, Row());
    } else {
        m_grid->MoveRow(from + 1, to + 1);
        SetCurrentCell(Col(), to + 1);
    }
}

bool TImportGridView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && watched != viewport()) {
        if (auto *corner = qobject_cast<QAbstractButton *>(watched)) {
            PaintCorner(corner);
            return true;
        }
    }
    return QTableView::eventFilter(watched, event);
}

void TImportGridView::FitCornerText()
{
    // The corner names column 0 ("Item", "ID"): the numbers' column is at least as wide.
    const QString text = m_grid ? m_grid->Cells(0, 0) : QString();
    const int margin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this) + 4;
    verticalHeader()->setMinimumWidth(verticalHeader()->fontMetrics().horizontalAdvance(text) + margin);
}

void TImportGridView::FitColumnsToTexts()
{
    // A number such as 1,70000000000000 is shown whole where the column can grow for it.
    if (!m_grid)
        return;
    const QFontMetrics cellMetrics = fontMetrics();
    const QFontMetrics nameMetrics = horizontalHeader()->fontMetrics();
    const int columns = std::min(m_grid->ColCount() - 1, kMeasuredColumns);
    const int rows = std::min(m_grid->RowCount() - 1, kMeasuredRows);
    for (int column = 1; column <= columns; ++column) {
        int widest = nameMetrics.horizontalAdvance(m_grid->Cells(column, 0));
        for (int row = 1; row <= rows; ++row)
            widest = std::max(widest, cellMetrics.horizontalAdvance(m_grid->Cells(column, row)));
        setColumnWidth(column - 1, std::clamp(widest + kCellTextPadding, kColumnWidth, kWidestFittedColumn));
    }
}

void TImportGridView::PaintCorner(QWidget *corner)
{
    QStyleOptionHeader option;
    option.initFrom(corner);
    option.rect = corner->rect();
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.text = m_grid ? m_grid->Cells(0, 0) : QString();
    option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    QPainter painter(corner);
    style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
}
