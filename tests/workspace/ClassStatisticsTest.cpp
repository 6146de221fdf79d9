// Class statistics on the analysis alone: classes cut at the limits, their moments, critical
// values, important gaps, limit marks and the class letters of the values.

#include "workspace/Analysis.h"
#include "workspace/TextData.h"

#include "statistics/CriticalValueSource.h"

#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <stdexcept>

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

// Critical values that depend only on the sample size, with a record of every request; a
// request for `failAt` cases fails as a missing table would.
class FixedCriticalValues : public CriticalValueSource
{
public:
    double GetCriticalValue(uint8_t Kind, int32_t N, int32_t N2, int32_t Cases, double Alpha, int32_t Iterations) override
    {
        EXPECT_EQ(Kind, dkNormal);
        EXPECT_EQ(N, 0);
        EXPECT_EQ(N2, 0);
        EXPECT_EQ(Iterations, 100000);
        if (Cases == failAt)
            throw std::runtime_error("no table");
        alphas.push_back(Alpha);
        cases.push_back(Cases);
        return valueFor(Cases);
    }
    static double valueFor(int32_t cases) { return 1.0 + 1.0 / cases; }
    std::vector<double> alphas;
    std::vector<int> cases;
    int failAt = -1;
};

class ClassStatisticsTest : public ::testing::Test
{
protected:
    void analyse(const QString &text)
    {
        analysis.SetItems(ReadTextData(SplitTextLines(text), false).items);
        analysis.Analyse();
    }
    void limitAfter(int position) { analysis.SetLimit(analysis.RowOfGapAfter(position)); }
    const TJudgement &judge(double minStd = 0) { return analysis.JudgeClasses(critical, 0.95, minStd); }
    QString markOfGap(int position) { return analysis.LimitMark(analysis.Ordered()[size_t(position)].Row); }

    TAnalysis analysis;
    FixedCriticalValues critical;
};

TEST_F(ClassStatisticsTest, TwoClassesGetMomentsLettersAndMarks)
{
    analyse(QStringLiteral("a;1;2;3\nb;10;11;12\n"));
    limitAfter(2);
    EXPECT_EQ(markOfGap(3), QStringLiteral("+"));
    const TJudgement &judgement = judge();
    ASSERT_EQ(judgement.Classes.size(), 2u);
    EXPECT_EQ(judgement.Judged, 2);
    const TJudgedClass &a = judgement.Classes[0], &b = judgement.Classes[1];
    EXPECT_EQ(a.Last, 2);
    EXPECT_EQ(b.First, 3);
    EXPECT_DOUBLE_EQ(a.Average, 2.0);
    EXPECT_DOUBLE_EQ(b.Average, 11.0);
    EXPECT_DOUBLE_EQ(b.Std, 1.0);
    EXPECT_DOUBLE_EQ(a.InnerCrit, FixedCriticalValues::valueFor(3));
    EXPECT_DOUBLE_EQ(a.OuterCrit, FixedCriticalValues::valueFor(4));
    EXPECT_FALSE(b.BelowMinStd);
    EXPECT_EQ(markOfGap(3), QStringLiteral("xx"));
    EXPECT_EQ(analysis.ClassLetter(1, 0), QLatin1Char('B'));
    EXPECT_EQ(analysis.ClassLetter(0, 2), QLatin1Char('A'));
    // Both classes have 3 values: each size is asked for once per run.
    EXPECT_EQ(critical.cases, (std::vector<int>{3, 4}));
    EXPECT_EQ(critical.alphas.front(), 0.95);
    EXPECT_EQ(judgement.HistoryText, QStringLiteral("2 (0,2) (3,5)"));
}

TEST_F(ClassStatisticsTest, MarksJudgeEachSideByItsOwnClass)
{
    // Class below: 0, 0.1 (small spread); class above: 5, 20 (wide spread); gap 4.9.
    analyse(QStringLiteral("a;0;0.1;5;20\n"));
    limitAfter(1);
    judge();
    EXPECT_EQ(markOfGap(2), QStringLiteral("xo"));
}

TEST_F(ClassStatisticsTest, OneValueClassHasNoSpreadUnlessMinimalStdIsSet)
{
    analyse(QStringLiteral("a;1;2;3;50\n"));
    limitAfter(2);
    const TJudgedClass &single = judge().Classes[1];
    EXPECT_EQ(single.Std, -1.0);
    EXPECT_EQ(single.InnerCrit, -1.0);
    EXPECT_EQ(single.OuterCrit, -1.0);
    EXPECT_TRUE(single.BelowMinStd);
    EXPECT_EQ(markOfGap(3), QStringLiteral("x_"));

    const TJudgement &floored = judge(2);
    EXPECT_DOUBLE_EQ(floored.Classes[1].OuterCrit, 2 * FixedCriticalValues::valueFor(2));
    EXPECT_DOUBLE_EQ(floored.Classes[0].InnerCrit, 2 * FixedCriticalValues::valueFor(3)); // Std 1 is below the floor
    EXPECT_TRUE(floored.Classes[0].BelowMinStd);
}

TEST_F(ClassStatisticsTest, EqualValuesHaveNoCriticalValues)
{
    analyse(QStringLiteral("a;4;4;4;9;10\n"));
    limitAfter(2);
    const TJudgedClass &flat = judge().Classes[0];
    EXPECT_EQ(flat.Std, 0.0);
    EXPECT_EQ(flat.InnerCrit, -1.0);
    EXPECT_EQ(flat.OuterCrit, -1.0);
    EXPECT_TRUE(flat.ImportantGaps.empty());
    EXPECT_EQ(markOfGap(3).at(0), QLatin1Char('_'));

    // Fourteen equal logarithms leave a rounding rest in the sum of squares; still no spread.
    analysis.SetItems(ReadTextData(SplitTextLines(QStringLiteral("a;37.6;37.6;37.6;37.6;37.6;37.6;37.6;37.6;37.6;"
                                                                 "37.6;37.6;37.6;37.6;37.6;60\n")),
                                   true)
                          .items);
    analysis.Analyse();
    limitAfter(13);
    const TJudgedClass &logs = judge().Classes[0];
    EXPECT_EQ(logs.Std, 0.0);
    EXPECT_EQ(logs.InnerCrit, -1.0);
    EXPECT_EQ(logs.OuterCrit, -1.0);
    EXPECT_EQ(markOfGap(14), QStringLiteral("__")) << "no outer value on either side";
}

TEST_F(ClassStatisticsTest, ImportantGapsReachTheInnerCriticalValue)
{
    // One class 0, 1, 2, 10: Std about 4.5, inner value about 5.7; only 2/3 reaches it.
    analyse(QStringLiteral("a;0;1;2;10\n"));
    const TJudgement &judgement = judge();
    ASSERT_EQ(judgement.Classes.size(), 1u);
    EXPECT_EQ(judgement.Classes[0].ImportantGaps, (std::vector<int32_t>{3}));
}

TEST_F(ClassStatisticsTest, LettersGoOnPastZ)
{
    QString line = QStringLiteral("a");
    for (int v = 0; v < 28; ++v)
        line += QLatin1Char(';') + QString::number(v * v);
    analyse(line);
    for (int p = 0; p < 27; ++p)
        limitAfter(p);
    EXPECT_EQ(judge().Classes.size(), 28u);
    EXPECT_EQ(analysis.ClassLetter(0, 27), QLatin1Char('\\'));
}

TEST_F(ClassStatisticsTest, LimitsSetAfterAJudgementKeepTheOtherMarksUntilTheNextOne)
{
    analyse(QStringLiteral("a;1;2;3;10;11;12;30;31\n"));
    limitAfter(2);
    judge();
    const QString judged = markOfGap(3);
    EXPECT_EQ(judged.size(), 2);
    limitAfter(5);
    EXPECT_EQ(markOfGap(3), judged);
    EXPECT_EQ(markOfGap(6), QStringLiteral("+"));
    EXPECT_EQ(analysis.Classes().size(), 2u); // classes change only when judged again
    judge();
    EXPECT_EQ(analysis.Classes().size(), 3u);
    EXPECT_EQ(markOfGap(6).size(), 2);
}

TEST_F(ClassStatisticsTest, FailedRequestKeepsTheClassesJudgedBeforeIt)
{
    analyse(QStringLiteral("a;1;2;3\nb;10;11\n"));
    limitAfter(2);
    critical.failAt = 2; // the second class, of two values
    EXPECT_THROW(judge(), std::runtime_error);
    const TJudgement &partial = analysis.Judgement();
    ASSERT_EQ(partial.Classes.size(), 2u);
    EXPECT_EQ(partial.Judged, 1);
    EXPECT_DOUBLE_EQ(partial.Classes[0].Average, 2.0);
    EXPECT_EQ(partial.Classes[1].First, 3);
}

// Each value's letter is that of the class holding its ordered position, also where a limit
// splits equal values; after a failed request the values of later classes keep their letters.
TEST_F(ClassStatisticsTest, LettersFollowOrderedPositionsAlsoAcrossEqualValues)
{
    const auto expectLettersOfPositions = [this] {
        const std::vector<TValueRef> &ordered = analysis.Ordered();
        for (const TJudgedClass &cls : analysis.Judgement().Classes)
            for (int k = cls.First; k <= cls.Last; ++k)
                EXPECT_EQ(analysis.ClassLetter(ordered[size_t(k)].Item, ordered[size_t(k)].ValueIndex),
                          QChar(u'A' + int(&cls - analysis.Judgement().Classes.data())))
                    << "position " << k;
    };
    analyse(QStringLiteral("a;1;2;2\nb;2;5\nc;3\n"));
    limitAfter(1); // between two of the three 2s
    limitAfter(4); // 3/5
    judge();
    expectLettersOfPositions();
    const QString twos = QString(analysis.ClassLetter(0, 1)) + analysis.ClassLetter(0, 2) + analysis.ClassLetter(1, 0);
    EXPECT_EQ(twos.count(QLatin1Char('A')), 1);
    EXPECT_EQ(twos.count(QLatin1Char('B')), 2);

    analyse(QStringLiteral("a;1;2;3;20;21\nb;10;11\n"));
    limitAfter(2);
    limitAfter(4);
    critical.failAt = 2; // the middle class, 10 and 11
    EXPECT_THROW(judge(), std::runtime_error);
    EXPECT_EQ(analysis.ClassLetter(0, 2), QLatin1Char('A'));
    EXPECT_EQ(analysis.ClassLetter(1, 1), QLatin1Char('B')) << "the class that failed";
    EXPECT_EQ(analysis.ClassLetter(0, 3), QLatin1Char('A')) << "not judged: as read";
}

TEST_F(ClassStatisticsTest, GapsAfterPositionsOutsideTheDataHaveNoRow)
{
    analyse(QStringLiteral("a;1;2;4;8;16\n"));
    EXPECT_EQ(analysis.RowOfGapAfter(4), -1);
    EXPECT_EQ(analysis.RowOfGapAfter(-3), -1);
    EXPECT_EQ(analysis.RowOfGapAfter(3), 0); // 8/16 is the widest gap
    EXPECT_DOUBLE_EQ(analysis.LimitLevel(0), 12.0);
    analysis.SetLimit(99);
    EXPECT_TRUE(analysis.LimitRows().empty());
}

TEST_F(ClassStatisticsTest, ServicesAnswerFromTheJudgedClassesAndTheItems)
{
    EXPECT_THROW(analysis.ClassCount(), rtl::EInvalidOperation); // nothing open
    analyse(QStringLiteral("a;1;2;3\nb;10;11;12\n"));
    analysis.Items()[1].Used = false;
    analysis.Analyse();
    EXPECT_EQ(analysis.ClassCount(), 0);
    judge();
    double avg = 7, std = 7;
    EXPECT_EQ(analysis.ClassStat(1, avg, std), -1);
    EXPECT_EQ(avg, 7.0);
    EXPECT_EQ(analysis.ClassStat(0, avg, std), 3);
    EXPECT_DOUBLE_EQ(avg, 2.0);
    EXPECT_DOUBLE_EQ(std, 1.0);
    EXPECT_THROW(analysis.ClassStat(-1, avg, std), rtl::EInvalidOperation);
    double x = 0;
    EXPECT_EQ(analysis.ItemValue(1, 2, x), 0); // not used, still given
    EXPECT_EQ(x, 12.0);
    EXPECT_EQ(analysis.ItemValue(1, 3, x), -1);
    EXPECT_EQ(analysis.ItemValue(2, 0, x), -1);
    EXPECT_EQ(analysis.ItemValueCount(0), 3);
    EXPECT_EQ(analysis.ItemValueCount(-1), -1);
}

} // namespace
