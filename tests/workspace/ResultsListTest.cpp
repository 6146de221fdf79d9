#include "workspace/ResultsList.h"

#include "statistics/Ustatistics.h"

#include "LocaleGuard.h"

#include <gtest/gtest.h>

namespace {

TJudgedClass judged(int first, int last, double std, double average)
{
    TJudgedClass cls;
    cls.First = first;
    cls.Last = last;
    cls.Std = std;
    cls.Average = average;
    return cls;
}

struct G6Case
{
    const char *name;
    double value;
    const char *text;
};

class G6Test : public ::testing::TestWithParam<G6Case> {};

TEST_P(G6Test, SixSignificantDigits)
{
    LocaleGuard guard(QLocale::c());
    EXPECT_EQ(G6(GetParam().value).toStdString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, G6Test,
    ::testing::Values(G6Case{"trailingZerosDropped", 1.25, "1.25"}, G6Case{"roundedToSix", 0.04123456, "0.0412346"},
                      G6Case{"sixIntegerDigits", 123456.4, "123456"}, G6Case{"sevenIntegerDigits", 1234567, "1.23457E6"},
                      G6Case{"smallFixed", 0.0000123456, "0.0000123456"}, G6Case{"tinyScientific", 0.0000012, "1.2E-6"},
                      G6Case{"minusOne", -1, "-1"}, G6Case{"zero", 0, "0"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ResultsList, ClassEntriesFollowLogInOrder)
{
    LocaleGuard guard(QLocale::c());
    rtl::TStringList results;
    ResetResults(results, true);
    StoreClassResults(results, {judged(0, 11, 0.0412, 1.25), judged(12, 12, -1, 7)});
    EXPECT_EQ(results.Lines(), (QStringList{"log=1", "class_A=(n 12; std 0.0412; avg 1.25)", "class_B=(n 1; std -1; avg 7)"}));
}

TEST(ResultsList, CommaLocale)
{
    LocaleGuard guard(QLocale(QLocale::Czech));
    EXPECT_EQ(ClassResultText(judged(3, 4, 0.5, -2.75)), QStringLiteral("(n 2; std 0,5; avg -2,75)"));
}

TEST(ResultsList, StaleClassEntriesRemovedUpToFirstGap)
{
    LocaleGuard guard(QLocale::c());
    rtl::TStringList results;
    ResetResults(results, false);
    std::vector<TJudgedClass> five;
    for (int c = 0; c < 5; ++c)
        five.push_back(judged(c * 2, c * 2 + 1, 1, c));
    StoreClassResults(results, five);
    results.Add(QStringLiteral("number_of_regression=1"));
    StoreClassResults(results, {five[0], five[1], five[2]});
    EXPECT_EQ(results.Count(), 5);
    EXPECT_EQ(results.IndexOfName(QStringLiteral("class_D")), -1);
    EXPECT_EQ(results.IndexOfName(QStringLiteral("class_E")), -1);
    EXPECT_EQ(results[4], QStringLiteral("number_of_regression=1"));

    // With no entry for D, the entry for E stays.
    results.Add(QStringLiteral("class_E=(n 2; std 1; avg 4)"));
    StoreClassResults(results, {five[0], five[1], five[2]});
    EXPECT_EQ(results.Values(QStringLiteral("class_E")), QStringLiteral("(n 2; std 1; avg 4)"));
}

TEST(ResultsList, ClassLettersBeyondZKeepTheirOwnEntries)
{
    // class 32 is "class_a", which a name lookup ignoring case would take for "class_A".
    LocaleGuard guard(QLocale::c());
    rtl::TStringList results;
    std::vector<TJudgedClass> classes;
    for (int c = 0; c < 34; ++c)
        classes.push_back(judged(c, c, -1, c));
    StoreClassResults(results, classes);
    ASSERT_EQ(results.Count(), 34);
    EXPECT_EQ(results[0], QStringLiteral("class_A=(n 1; std -1; avg 0)"));
    EXPECT_EQ(results[32], QStringLiteral("class_a=(n 1; std -1; avg 32)"));
    classes.resize(2);
    StoreClassResults(results, classes);
    EXPECT_EQ(results.Count(), 2);
}

TEST(ResultsList, RegressionEntries)
{
    LocaleGuard guard(QLocale::c());
    rtl::TStringList results;
    ResetResults(results, false);
    TStatistics stat;
    for (int x = 0; x < 5; ++x)
        stat.AddPoint(x, 0.5 + 2.0 / 3.0 * x);
    stat.Compute(1);
    StoreRegression(results, 1, stat);
    ASSERT_EQ(results.Count(), 5);
    EXPECT_EQ(results.Lines().mid(0, 3), (QStringList{"log=0", "number_of_regression=1", "regression1=1"}));
    EXPECT_EQ(results.Names(3), QStringLiteral("regression1_c0"));
    EXPECT_NEAR(results.ValueFromIndex(3).toDouble(), 0.5, 1e-13);
    EXPECT_EQ(results[4], QStringLiteral("regression1_c1=0.666666666666667"));
    StoreRegression(results, 2, stat);
    EXPECT_EQ(results.Values(QStringLiteral("number_of_regression")), QStringLiteral("2"));
    EXPECT_EQ(results.Count(), 8);
}

} // namespace
