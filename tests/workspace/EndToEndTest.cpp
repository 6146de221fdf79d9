// From a text file to judged classes, with critical values simulated into fresh tables.

#include "MainWindowFixture.h"

#include "CriticalTables.h"

#include "workspace/FReport.h"

#include "platform/db/Table.h"

#include "statistics/FStat.h"

#include <cmath>

namespace {

class EndToEndTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        EXPECT_TRUE(CopyEmptyCriticalTables(QStringLiteral(QUIBO_EMPTY_TABLES_DIR), QDir(tables.path())));
        FormStat = new TFormStat;
        FormStat->SetDatabasePath(tables.path());
        FormReport = new TFormReport;
    }
    void TearDown() override
    {
        delete FormReport;
        FormReport = nullptr;
        delete FormStat;
        FormStat = nullptr;
        MainWindowTest::TearDown();
    }

    // The stored critical value for samples of `cases` values at 0.95.
    double storedCriticalValue(int cases)
    {
        db::TTable normal;
        normal.SetTableName(tables.filePath(QStringLiteral("Normal.dbf")));
        normal.Open();
        for (normal.First(); !normal.Eof(); normal.Next()) {
            if (normal.FieldByName("NMB")->AsInteger() == cases && normal.FieldByName("ALPHA")->AsFloat() == 0.95) {
                EXPECT_GE(normal.FieldByName("ITERS")->AsInteger(), 100000);
                return normal.FieldByName("VAL")->AsFloat();
            }
        }
        ADD_FAILURE() << "no stored value for " << cases;
        return -1;
    }

    QTemporaryDir tables;
};

struct ExpectedClass
{
    std::vector<double> values;
    double mean() const
    {
        double sum = 0;
        for (double v : values)
            sum += v;
        return sum / double(values.size());
    }
    double std() const
    {
        const double m = mean();
        double squares = 0;
        for (double v : values)
            squares += (v - m) * (v - m);
        return std::sqrt(squares / double(values.size() - 1));
    }
};

TEST_F(EndToEndTest, OpenMarkAndJudgeClassesWithSimulatedCriticalValues)
{
    openText("a;1;1.2;1.4;1.5\nb;5;5.3;5.5\nc;5.8;9;9.1\n");
    ASSERT_EQ(form->SetLimitAfter(3), 1); // between 1.5 and 5
    ASSERT_EQ(form->SetLimitAfter(7), 1); // between 5.8 and 9
    form->Statistics1Click();

    const ExpectedClass expected[3] = {{{1, 1.2, 1.4, 1.5}}, {{5, 5.3, 5.5, 5.8}}, {{9, 9.1}}};
    const double gaps[2] = {5 - 1.5, 9 - 5.8};
    ASSERT_EQ(form->Classes().size(), 3u);
    ui::TStringGrid &report = FormReport->Grid();
    ASSERT_EQ(report.RowCount(), 4);
    QChar judgement[3][2]; // [class][0 = its limit below, 1 = its limit above]
    for (int c = 0; c < 3; ++c) {
        const TClassRec &cls = form->Classes()[size_t(c)];
        const int n = int(expected[c].values.size());
        const double std = expected[c].std();
        const double inner = std * storedCriticalValue(n);
        const double outer = std * storedCriticalValue(n + 1);
        EXPECT_NEAR(cls.Average, expected[c].mean(), 1e-12);
        EXPECT_NEAR(cls.Std, std, 1e-12);
        EXPECT_NEAR(cls.InnerCrit, inner, 1e-9 * inner);
        EXPECT_NEAR(cls.OuterCrit, outer, 1e-9 * outer);
        EXPECT_EQ(report.Cells(TFormReport::ColClass, c + 1), QString(QChar(u'A' + c)));
        EXPECT_EQ(report.Cells(TFormReport::ColAverage, c + 1), rtl::FloatToStrF(expected[c].mean(), 6));
        EXPECT_EQ(report.Cells(TFormReport::ColCritVal, c + 1), rtl::FloatToStrF(cls.InnerCrit, 6));
        if (c > 0)
            judgement[c][0] = gaps[c - 1] >= outer ? u'x' : u'o';
        if (c < 2)
            judgement[c][1] = gaps[c] >= outer ? u'x' : u'o';
    }
    EXPECT_EQ(grid().Cells(0, form->Ordered()[4].Row), QString(judgement[0][1]) + judgement[1][0]);
    EXPECT_EQ(grid().Cells(0, form->Ordered()[8].Row), QString(judgement[1][1]) + judgement[2][0]);
    EXPECT_EQ(form->ClassLetter(0, 3), QLatin1Char('A'));
    EXPECT_EQ(form->ClassLetter(1, 0), QLatin1Char('B'));
    EXPECT_EQ(form->ClassLetter(2, 0), QLatin1Char('B'));
    EXPECT_EQ(form->ClassLetter(2, 1), QLatin1Char('C'));
    EXPECT_EQ(FormHistory->Lines().last(), QStringLiteral("Statistics: 3 (0,3) (4,7) (8,9)"));
}

} // namespace
