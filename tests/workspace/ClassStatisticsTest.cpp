#include "workspace/ClassStatistics.h"

#include "MainWindowFixture.h"

#include "statistics/CriticalValueSource.h"
#include "workspace/FReport.h"

namespace {

TEST(BuildClasses, LimitsInAnyRowOrderCutAscendingClasses)
{
    // Rows hold the gaps 5/6, 1/2 and 8/9 in this order.
    const std::vector<TDifference> differences{{3, 6}, {2, 2}, {1, 9}};
    for (const std::vector<int> &rows : {std::vector<int>{0, 1, 2}, std::vector<int>{2, 0, 1}}) {
        const std::vector<TClassRec> classes = BuildClasses(rows, differences, 12);
        ASSERT_EQ(classes.size(), 4u);
        const int expected[4][4] = {{0, 1, -1, 1}, {2, 5, 1, 0}, {6, 8, 0, 2}, {9, 11, 2, -1}};
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(classes[size_t(c)].First, expected[c][0]) << c;
            EXPECT_EQ(classes[size_t(c)].Last, expected[c][1]) << c;
            EXPECT_EQ(classes[size_t(c)].LowerRow, expected[c][2]) << c;
            EXPECT_EQ(classes[size_t(c)].UpperRow, expected[c][3]) << c;
        }
    }
}

TEST(ComputeMoments, SampleStdZeroForEqualValuesMinusOneForOne)
{
    const ClassMoments three = ComputeMoments(1 + 2 + 3, 1 + 4 + 9, 3);
    EXPECT_DOUBLE_EQ(three.average, 2.0);
    EXPECT_DOUBLE_EQ(three.std, 1.0);
    EXPECT_EQ(ComputeMoments(15, 75, 3).std, 0.0);
    EXPECT_EQ(ComputeMoments(4, 16, 1).std, -1.0);
    EXPECT_EQ(ComputeMoments(4, 16, 1).average, 4.0);
}

// Critical values that depend only on the sample size, with a record of every request.
class FixedCriticalValues : public CriticalValueSource
{
public:
    double GetCriticalValue(uint8_t Kind, int32_t N, int32_t N2, int32_t Cases, double Alpha, int32_t Iterations) override
    {
        EXPECT_EQ(Kind, dkNormal);
        EXPECT_EQ(N, 0);
        EXPECT_EQ(N2, 0);
        EXPECT_EQ(Iterations, 100000);
        alphas.push_back(Alpha);
        cases.push_back(Cases);
        return valueFor(Cases);
    }
    static double valueFor(int32_t cases) { return 1.0 + 1.0 / cases; }
    std::vector<double> alphas;
    std::vector<int> cases;
};

class ClassStatisticsTest : public MainWindowTest
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
    int rowOfGap(int position) { return form->Ordered()[size_t(position)].Row; }

    FixedCriticalValues critical;
    std::unique_ptr<TFormReport> report;
};

TEST_F(ClassStatisticsTest, TwoClassesGetMomentsLettersAndMarks)
{
    openText("a;1;2;3\nb;10;11;12\n");
    form->SetLimitAfter(2);
    form->ComputeStatistics();
    ASSERT_EQ(form->Classes().size(), 2u);
    EXPECT_EQ(form->Classes()[0].Last, 2);
    EXPECT_EQ(form->Classes()[1].First, 3);
    EXPECT_DOUBLE_EQ(form->Classes()[0].Average, 2.0);
    EXPECT_DOUBLE_EQ(form->Classes()[1].Average, 11.0);
    EXPECT_DOUBLE_EQ(form->Classes()[1].Std, 1.0);
    EXPECT_DOUBLE_EQ(form->Classes()[0].InnerCrit, FixedCriticalValues::valueFor(3));
    EXPECT_DOUBLE_EQ(form->Classes()[0].OuterCrit, FixedCriticalValues::valueFor(4));
    EXPECT_EQ(grid().Cells(0, rowOfGap(3)), QStringLiteral("xx"));
    EXPECT_EQ(form->ClassLetter(1, 0), QLatin1Char('B'));
    EXPECT_EQ(form->ClassLetter(0, 2), QLatin1Char('A'));
    EXPECT_EQ(critical.cases, (std::vector<int>{3, 4, 3, 4}));
    EXPECT_EQ(critical.alphas.front(), 0.95);

    EXPECT_EQ(report->Grid().RowCount(), 3);
    EXPECT_EQ(report->isVisible(), true);
    EXPECT_EQ((QStringList{cell(0, 2), cell(1, 2), cell(2, 2), cell(3, 2), cell(4, 2), cell(5, 2), cell(7, 2)}),
              (QStringList{QStringLiteral("B"), QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("11"),
                           QStringLiteral("1"), QStringLiteral("1.33333"), QStringLiteral("1.25")}));
}

TEST_F(ClassStatisticsTest, MarksJudgeEachSideByItsOwnClass)
{
    // Class below: 0, 0.1 (small spread); class above: 5, 20 (wide spread); gap 4.9.
    openText("a;0;0.1;5;20\n");
    form->SetLimitAfter(1);
    form->ComputeStatistics();
    EXPECT_EQ(grid().Cells(0, rowOfGap(2)), QStringLiteral("xo"));
}

TEST_F(ClassStatisticsTest, OneValueClassHasNoSpreadUnlessMinimalStdIsSet)
{
    openText("a;1;2;3;50\n");
    form->SetLimitAfter(2);
    form->ComputeStatistics();
    const TClassRec &single = form->Classes()[1];
    EXPECT_EQ(single.Std, -1.0);
    EXPECT_EQ(single.InnerCrit, -1.0);
    EXPECT_EQ(single.OuterCrit, -1.0);
    EXPECT_EQ(cell(4, 2), QStringLiteral("-1 !"));
    EXPECT_EQ(grid().Cells(0, rowOfGap(3)), QStringLiteral("x_"));

    f().EditMinDev->setText(QStringLiteral("2"));
    form->EditMinDevExit();
    form->ComputeStatistics();
    EXPECT_DOUBLE_EQ(form->Classes()[1].OuterCrit, 2 * FixedCriticalValues::valueFor(2));
    EXPECT_DOUBLE_EQ(form->Classes()[0].InnerCrit, 2 * FixedCriticalValues::valueFor(3)); // Std 1 is below the floor
    EXPECT_EQ(cell(4, 1), QStringLiteral("1 !"));
}

TEST_F(ClassStatisticsTest, EqualValuesHaveNoCriticalValues)
{
    openText("a;4;4;4;9;10\n");
    form->SetLimitAfter(2);
    form->ComputeStatistics();
    const TClassRec &flat = form->Classes()[0];
    EXPECT_EQ(flat.Std, 0.0);
    EXPECT_EQ(flat.InnerCrit, -1.0);
    EXPECT_EQ(flat.OuterCrit, -1.0);
    EXPECT_EQ(cell(6, 1), QString());
    EXPECT_EQ(grid().Cells(0, rowOfGap(3)).at(0), QLatin1Char('_'));
}

TEST_F(ClassStatisticsTest, ImportantGapsReachTheInnerCriticalValue)
{
    // One class 0, 1, 2, 10: Std about 4.5, inner value about 5.7; only 2/3 reaches it.
    openText("a;0;1;2;10\n");
    form->ComputeStatistics();
    EXPECT_EQ(form->Classes().size(), 1u);
    EXPECT_EQ(cell(6, 1), QStringLiteral("2/3"));
}

TEST_F(ClassStatisticsTest, LettersGoOnPastZAndRowsFollowClasses)
{
    QByteArray line = "a";
    for (int v = 0; v < 28; ++v)
        line += ";" + QByteArray::number(v * v);
    openText(line + "\n");
    for (int p = 0; p < 27; ++p)
        form->SetLimitAfter(p);
    form->ComputeStatistics();
    EXPECT_EQ(report->Grid().RowCount(), 29);
    EXPECT_EQ(cell(0, 27), QStringLiteral("["));
    EXPECT_EQ(form->ClassLetter(0, 27), QLatin1Char('\\'));
}

TEST_F(ClassStatisticsTest, MoreThan256ClassesAreRefusedBeforeAnythingChanges)
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
    EXPECT_TRUE(critical.cases.empty());
}

TEST_F(ClassStatisticsTest, ClosingEmptiesAndClosesTheReport)
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
