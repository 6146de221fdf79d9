// The main window renders the judged classes: the report rows, the limit marks in the grid,
// the refusal of too many classes, and the closing of the report with the data.

#include "MainWindowFixture.h"

#include "statistics/CriticalValueSource.h"
#include "workspace/FReport.h"

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

class ReportWindowTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        report = std::make_unique<TFormReport>();
        FormReport = report.get();
        form->SetCriticalValueSource(&critical);
    }
    void TearDown() override
    {
        FormReport = nullptr;
        report.reset();
        MainWindowTest::TearDown();
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
    std::unique_ptr<TFormReport> report;
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

} // namespace
