// The main window renders the judged classes: the report rows, the limit marks in the grid,
// the refusal of too many classes, and the closing of the report with the data.

#include "MainWindowFixture.h"

#include "statistics/CriticalValueSource.h"
#include "workspace/FInfo.h"
#include "workspace/FReport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>

namespace {

// 1 + 1/n for samples of n values.
class SizeCriticalValues : public CriticalValueSource
{
public:
    double GetCriticalValue(uint8_t, int32_t, int32_t, int32_t Cases, double, int32_t) override
    {
        ++requests;
        return 1.0 + 1.0 / Cases;
    }
    int requests = 0;
};

class ReportWindowTest : public MainWindowWithReportTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        useReport(critical);
    }
    QString cell(int column, int row) { return report->Grid().Cells(column, row); }
    QStringList reportRow(int row)
    {
        QStringList cells;
        for (int c = 0; c < TFormReport::ColumnCount; ++c)
            cells << cell(c, row);
        return cells;
    }
    int rowOfGap(int position) { return form->Ordered()[size_t(position)].Row; }

    SizeCriticalValues critical;
};

TEST_F(ReportWindowTest, ClassesFillTheReportAndTheLimitMarks)
{
    // Class A 0, 1, 2, 10: Std 4.57347, inner Std * 1.25 (n = 4), outer Std * 1.2; class B holds 50 alone.
    openText("a;0;1;2;10;50\n");
    form->SetLimitAfter(3);
    f().EditMinDev->setText(QStringLiteral("0"));
    form->ComputeStatistics();
    EXPECT_TRUE(report->isVisible());
    EXPECT_EQ(report->Grid().RowCount(), 3);
    EXPECT_EQ(reportRow(1), (QStringList{"A", "0", "3", "3.25", "4.57347", "5.71684", "2/3", "5.48817"}));
    EXPECT_EQ(reportRow(2), (QStringList{"B", "4", "4", "50", "-1 !", "-1", "", "-1"}));
    EXPECT_EQ(grid().Cells(0, rowOfGap(4)), QStringLiteral("x_"));
    EXPECT_EQ(form->ClassLetter(0, 4), QLatin1Char('B'));
}

TEST_F(ReportWindowTest, MoreThan256ClassesAreRefusedBeforeAnythingChanges)
{
    QByteArray text;
    for (int i = 0; i < 300; ++i)
        text += "i" + QByteArray::number(i) + ";" + QByteArray::number(i * i) + "\n";
    openText(text);
    for (int p = 0; p < 260; ++p)
        form->SetLimitAfter(p);
    dialogs.expectMessage(QStringLiteral("more than 256 classes"));
    form->ComputeStatistics();
    EXPECT_TRUE(form->Classes().empty());
    EXPECT_EQ(grid().Cells(0, rowOfGap(1)), QStringLiteral("+"));
    EXPECT_EQ(critical.requests, 0);
}

TEST_F(ReportWindowTest, ClosingEmptiesAndClosesTheReport)
{
    openText("a;1;2;3\n");
    form->ComputeStatistics();
    dialogs.expectMessage(QStringLiteral("End of the data file processing?"), ui::mrYes);
    form->BtnCloseClick(f().BtnClose);
    EXPECT_FALSE(report->isVisible());
    EXPECT_EQ(report->Grid().RowCount(), 2);
    EXPECT_EQ(cell(0, 1), QString());
    EXPECT_EQ(cell(0, 0), QStringLiteral("Class"));
}

TEST_F(ReportWindowTest, ReportOpensClearOfTheMainWindowAndStaysWhereTheUserMovedIt)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    form->setGeometry(screen.left(), screen.top(), 300, 350);
    ASSERT_EQ(form->frameGeometry().height(), 350) << "a main window this small leaves room below it";
    openText("a;1;2;3\n");
    form->ComputeStatistics();
    ASSERT_TRUE(report->isVisible());
    EXPECT_FALSE(report->frameGeometry().intersects(form->frameGeometry()));
    EXPECT_TRUE(screen.contains(report->frameGeometry()));

    const QPoint chosen = screen.topLeft() + QPoint(30, 40);
    report->move(chosen);
    form->ComputeStatistics();
    EXPECT_EQ(report->pos(), chosen);
    dialogs.expectMessage(QStringLiteral("End of the data file processing?"), ui::mrYes);
    form->BtnCloseClick(f().BtnClose);
    openText("a;1;2;3\n");
    form->ComputeStatistics();
    EXPECT_EQ(report->pos(), chosen) << "the user's place holds for the rest of the run";
}

// Every text of a column fits its width.
void expectTextsFit(const ui::TStringGrid &grid)
{
    const QFontMetrics metrics(grid.font());
    for (int c = 0; c < grid.ColCount(); ++c) {
        for (int r = 0; r < grid.RowCount(); ++r)
            EXPECT_LE(metrics.horizontalAdvance(grid.Cells(c, r)) + 4, grid.ColWidths(c))
                << "column " << c << " cuts " << grid.Cells(c, r).toStdString();
    }
}

// Drags the border right of `column` by `dx` pixels with the left button.
void dragColumnBorder(ui::TStringGrid &grid, int column, int dx)
{
    QWidget *area = grid.viewport();
    const QPoint from(grid.columnViewportPosition(column) + grid.columnWidth(column), 5);
    const QPoint to = from + QPoint(dx, 0);
    QMouseEvent press(QEvent::MouseButtonPress, from, area->mapToGlobal(from), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(area, &press);
    QMouseEvent move(QEvent::MouseMove, to, area->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(area, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, to, area->mapToGlobal(to), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(area, &release);
}

TEST_F(ReportWindowTest, NumbersFitTheirColumnsBordersDragAndCtrlCCopiesTheSelection)
{
    // Small values give exponents; class A of eight values has seven important gaps (tiny critical
    // values); the last class of one value is flagged.
    class TinyCriticalValues : public CriticalValueSource
    {
        double GetCriticalValue(uint8_t, int32_t, int32_t, int32_t, double, int32_t) override { return 1e-9; }
    } tiny;
    form->SetCriticalValueSource(&tiny);
    openText("a;0.0000123457;0.0000234568;0.0000345679;0.0000456789;0.0000567891;0.0000678912;0.0000789123;"
             "0.0000891234;1234567\n");
    form->SetLimitAfter(7);
    f().EditMinDev->setText(QStringLiteral("0.0000001"));
    form->EditMinDevExit();
    form->ComputeStatistics();
    ASSERT_EQ(report->Grid().RowCount(), 3);
    EXPECT_EQ(cell(6, 1), QStringLiteral("0/1;1/2;2/3;3/4;4/5;5/6;6/7"));
    expectTextsFit(report->Grid());
    int columns = 0;
    for (int c = 0; c < TFormReport::ColumnCount; ++c)
        columns += report->Grid().ColWidths(c);
    TFormReport fresh;
    EXPECT_GE(fresh.width(), columns - report->Grid().ColWidths(TFormReport::ColImportant)
                                 + fresh.Grid().ColWidths(TFormReport::ColImportant))
        << "a new report shows all its columns";
    expectTextsFit(grid());

    const int before = report->Grid().ColWidths(TFormReport::ColStd);
    dragColumnBorder(report->Grid(), TFormReport::ColStd, 30);
    EXPECT_EQ(report->Grid().ColWidths(TFormReport::ColStd), before + 30);
    const int gapColumn = grid().ColWidths(2);
    dragColumnBorder(grid(), 2, -10);
    EXPECT_EQ(grid().ColWidths(2), gapColumn - 10);

    report->Grid().setCurrentIndex(report->Grid().model()->index(1, 0));
    report->Grid().selectionModel()->select(
        QItemSelection(report->Grid().model()->index(1, 0), report->Grid().model()->index(2, 2)),
        QItemSelectionModel::ClearAndSelect);
    QTest::keyClick(&report->Grid(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("A\t0\t7\nB\t8\t8\n"));
}

TEST(CentredWindows, AboutBoxAndReportOpenInTheMiddleOfTheScreen)
{
    const QPoint middle = QGuiApplication::primaryScreen()->availableGeometry().center();
    QTemporaryDir folder;
    TFormInfo about(TVersionInfo{}, folder.path());
    TFormReport report;
    for (QWidget *window : {static_cast<QWidget *>(&about), static_cast<QWidget *>(&report)}) {
        const QPoint centre = window->geometry().center();
        EXPECT_LE((centre - middle).manhattanLength(), 2) << window->objectName().toStdString();
    }
}

} // namespace
