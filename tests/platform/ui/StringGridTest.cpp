#include "platform/ui/StringGrid.h"
#include "platform/ui/StringGridModel.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

TEST(StringGrid, CellsAndObjectsOutsideTheGridAreEmptyAndIgnored)
{
    ui::TStringGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(2);
    QObject object;
    grid.SetCells(1, 1, QStringLiteral("x"));
    grid.SetObjects(0, 1, &object);
    grid.SetCells(5, 0, QStringLiteral("ignored"));
    grid.SetObjects(0, 9, &object);
    EXPECT_EQ(grid.Cells(1, 1), QStringLiteral("x"));
    EXPECT_EQ(grid.Objects(0, 1), &object);
    EXPECT_EQ(grid.Cells(5, 0), QString());
    EXPECT_EQ(grid.Objects(2, 1), nullptr);
    grid.SetRowCount(1);
    grid.SetRowCount(2);
    EXPECT_EQ(grid.Cells(1, 1), QString());
    EXPECT_EQ(grid.Objects(0, 1), nullptr);
}

TEST(StringGrid, MillionRowsAreModelRowsNotWidgets)
{
    ui::TStringGrid grid;
    grid.SetColCount(3);
    grid.BeginUpdate();
    grid.SetRowCount(1000000);
    for (int r = 0; r < 1000000; r += 1000)
        grid.SetCells(2, r, QString::number(r));
    grid.EndUpdate();
    EXPECT_EQ(grid.model()->rowCount(), 1000000);
    EXPECT_EQ(grid.Cells(2, 999000), QStringLiteral("999000"));
    EXPECT_LT(grid.findChildren<QWidget *>().size(), 20);

    // Cut down again (the data closed): rows keep their height, the row header stays hidden.
    grid.SetDefaultRowHeight(31);
    grid.SetRowCount(2);
    EXPECT_EQ(grid.DefaultRowHeight(), 31);
    EXPECT_EQ(grid.rowHeight(1), 31);
    EXPECT_TRUE(grid.verticalHeader()->isHidden());
    grid.SetRowCount(3);
    EXPECT_EQ(grid.rowHeight(2), 31);
}

TEST(StringGrid, AColumnMadeWhenShownReadsLikeWrittenTextsAndKeepsWrites)
{
    ui::TStringGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(1000000);
    int made = 0;
    grid.SetColumnText(1, [&made](int row) {
        ++made;
        return QStringLiteral("r%1").arg(row);
    });
    EXPECT_EQ(made, 0) << "nothing is made before it is asked for";
    EXPECT_EQ(grid.Cells(1, 999999), QStringLiteral("r999999"));
    EXPECT_EQ(grid.model()->data(grid.model()->index(7, 1), Qt::DisplayRole).toString(), QStringLiteral("r7"));
    EXPECT_EQ(grid.Cells(1, 1000000), QString()) << "beyond the rows";
    // A written cell shows its text until the rows go; the other columns keep what is written.
    grid.SetCells(1, 5, QStringLiteral("written"));
    grid.SetCells(0, 5, QStringLiteral("+"));
    EXPECT_EQ(grid.Cells(1, 5), QStringLiteral("written"));
    EXPECT_EQ(grid.Cells(0, 5), QStringLiteral("+"));
    EXPECT_EQ(grid.Cells(0, 6), QString());
    grid.SetRowCount(2);
    grid.SetRowCount(10);
    EXPECT_EQ(grid.Cells(1, 5), QStringLiteral("r5"));
    EXPECT_EQ(grid.Cells(0, 5), QString());
    grid.SetColumnText(1, {});
    EXPECT_EQ(grid.Cells(1, 5), QString());
}

TEST(StringGrid, FixedCellsAreNotSelectableAndWidthsStick)
{
    ui::TStringGrid grid;
    grid.SetColCount(4);
    grid.SetRowCount(3);
    grid.SetFixedRows(1);
    grid.SetFixedCols(1);
    EXPECT_FALSE(grid.model()->flags(grid.model()->index(0, 2)) & Qt::ItemIsSelectable);
    EXPECT_TRUE(grid.model()->flags(grid.model()->index(1, 1)) & Qt::ItemIsSelectable);
    grid.SetColWidths(1, 84);
    grid.SetRowCount(10);
    EXPECT_EQ(grid.columnWidth(1), 84);
    EXPECT_EQ(grid.ColWidths(1), 84);
}

TEST(StringGrid, DoubleClickMakesTheRowCurrentAndSignals)
{
    ui::TStringGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(5);
    grid.SetDefaultRowHeight(20);
    grid.SetRowSelect(true);
    grid.resize(200, 200);
    QSignalSpy spy(&grid, &ui::TStringGrid::DblClick);
    const QPoint inRow2 = grid.visualRect(grid.model()->index(2, 1)).center();
    QMouseEvent press(QEvent::MouseButtonDblClick, inRow2, grid.viewport()->mapToGlobal(inRow2), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(grid.viewport(), &press);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(grid.Row(), 2);
}

} // namespace
