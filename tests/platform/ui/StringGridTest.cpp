#include "platform/ui/StringGrid.h"
#include "platform/ui/StringGridModel.h"

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
}

TEST(StringGrid, ColumnTextWorkedOutOnlyForCellsWithoutTheirOwn)
{
    ui::TStringGrid grid;
    grid.SetColCount(2);
    grid.SetRowCount(2000000);
    int asked = 0;
    grid.SetColumnText(1, [&asked](int r) {
        ++asked;
        return QStringLiteral("row %1").arg(r);
    });
    EXPECT_EQ(asked, 0);
    grid.SetCells(1, 7, QStringLiteral("own"));
    EXPECT_EQ(grid.Cells(1, 1999999), QStringLiteral("row 1999999"));
    EXPECT_EQ(grid.model()->data(grid.model()->index(3, 1), Qt::DisplayRole).toString(), QStringLiteral("row 3"));
    EXPECT_EQ(grid.Cells(1, 7), QStringLiteral("own"));
    EXPECT_EQ(grid.Cells(0, 3), QString());
    EXPECT_EQ(grid.Cells(1, 2000000), QString());
    grid.SetColumnText(1, nullptr);
    EXPECT_EQ(grid.Cells(1, 3), QString());
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
