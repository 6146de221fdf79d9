// Reading stored results back: the parts of a class entry, the comparison of stored and new
// classes, and the stored regressions of a replay.

#include "workspace/StoredResults.h"

#include "LocaleGuard.h"

#include <gtest/gtest.h>

namespace {

struct KeyValueCase
{
    const char *name;
    const char *key;
    const char *text;
    const char *value;
};

class ParseKeyValueTest : public ::testing::TestWithParam<KeyValueCase> {};

TEST_P(ParseKeyValueTest, ValueOfKey)
{
    EXPECT_EQ(ParseKeyValue(QString::fromUtf8(GetParam().key), QString::fromUtf8(GetParam().text)).toStdString(),
              GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ParseKeyValueTest,
    ::testing::Values(KeyValueCase{"average", "avg", "(n 12; std 0.0412; avg 1.25)", "1.25"},
                      KeyValueCase{"std", "std", "(n 12; std 0.0412; avg 1.25)", "0.0412"},
                      KeyValueCase{"size", "n", "(n 12; std 0.0412; avg 1.25)", "12"},
                      KeyValueCase{"lastPartEndsAtParenthesis", "avg", "(n 1; avg 7.5)", "7.5"},
                      KeyValueCase{"noEndRunsToTheEnd", "avg", "avg 3 ", "3"},
                      KeyValueCase{"blanksAndControlsTrimmed", "std", "(std \t 2.5\x01 ; n 3)", "2.5"},
                      KeyValueCase{"absentKey", "max", "(n 12; std 0.0412; avg 1.25)", ""},
                      KeyValueCase{"caseCounts", "AVG", "(n 12; std 0.0412; avg 1.25)", ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ParseClassStat, SizeAverageAndStd)
{
    LocaleGuard c(QLocale::c());
    double avg = 0, std = 0;
    EXPECT_EQ(ParseClassStat(QStringLiteral("(n 12; std 0.0412; avg 1.25)"), avg, std), 12);
    EXPECT_EQ(avg, 1.25);
    EXPECT_EQ(std, 0.0412);
    EXPECT_EQ(ParseClassStat(QStringLiteral("(n 1; std -1; avg 1.5E-6)"), avg, std), 1);
    EXPECT_EQ(std, -1.0);
    EXPECT_EQ(avg, 1.5e-6);

    // A part that is no number: -1, and what was converted before it keeps its new value.
    avg = std = 9;
    EXPECT_EQ(ParseClassStat(QStringLiteral("(n 12; std x; avg 2)"), avg, std), -1);
    EXPECT_EQ(avg, 2.0);
    EXPECT_EQ(std, 9.0);
    EXPECT_EQ(ParseClassStat(QStringLiteral("(n ; std 1; avg 2)"), avg, std), -1);
    EXPECT_EQ(ParseClassStat(QString(), avg, std), -1);
    EXPECT_EQ(ParseClassStat(QStringLiteral("(n 3; std 0,5; avg 1,5)"), avg, std), -1) << "not the locale's separator";
}

TEST(ParseClassStat, CommaLocale)
{
    LocaleGuard czech(QLocale(QLocale::Czech));
    double avg = 0, std = 0;
    EXPECT_EQ(ParseClassStat(QStringLiteral("(n 3; std 0,5; avg 1,25)"), avg, std), 3);
    EXPECT_EQ(avg, 1.25);
    EXPECT_EQ(std, 0.5);
}

TEST(ClassDifferenceLines, RelativeToleranceAndCounts)
{
    // Stored 0 against 1e-9: scale 1, not different; STD -1 against -1: equal; 1.0001 against
    // 1.0 lies within 1e-4, 1.0002 beyond it.
    std::vector<TJudgedClass> now(3);
    const double averages[] = {1e-9, 1.0, 5.0};
    const double stds[] = {-1, 0.5, 1.0};
    for (size_t c = 0; c < now.size(); ++c) {
        now[c].Average = averages[c];
        now[c].Std = stds[c];
    }
    EXPECT_TRUE(ClassDifferenceLines({{0, -1}, {1.0001, 0.5}, {5.0, 1.0}}, now, 11, 12).isEmpty());
    EXPECT_EQ(ClassDifferenceLines({{0, -1}, {1.0002, 0.5}, {5.0, 1.0002}}, now, 11, 12),
              (QStringList{"Class B - different statistics", "Class C - different statistics"}));
    // Two stored sizes on twelve values: the rest formed a third class.
    EXPECT_EQ(ClassDifferenceLines({{0, -1}, {1.0, 0.5}}, now, 6, 12),
              (QStringList{"Different number of classes", "Different count of data items"}));
}

TEST(StoredRegression, ReadAndCopiedUnchanged)
{
    LocaleGuard c(QLocale::c());
    rtl::TStringList stored(QStringList{"log=0", "number_of_regression=2", "regression1=1", "regression1_c0=1.5",
                                        "regression1_c1=-2.50000000000000", "regression2=0", "regression2_c0=3"});
    const TStoredRegression first = ReadStoredRegression(stored, 1);
    EXPECT_EQ(first.Degree, 1);
    EXPECT_EQ(first.Coefficients, (std::vector<double>{1.5, -2.5}));
    EXPECT_EQ(ReadStoredRegression(stored, 2).Coefficients, std::vector<double>{3.0});

    rtl::TStringList results(QStringList{"log=0"});
    CopyRegressionEntries(stored, 1, 1, results, 1);
    EXPECT_EQ(results.Lines(), (QStringList{"log=0", "regression1=1", "regression1_c0=1.5",
                                            "regression1_c1=-2.50000000000000", "number_of_regression=1"}));
}

TEST(StoredRegression, MissingOrUnusableEntriesRefused)
{
    LocaleGuard c(QLocale::c());
    const auto message = [](const QStringList &lines, int r) {
        try {
            ReadStoredRegression(rtl::TStringList(lines), r);
        } catch (const EStoredResultError &error) {
            return error.Message();
        }
        return QStringLiteral("no error");
    };
    EXPECT_EQ(message({"regression1=1"}, 2), QStringLiteral("Error: Missing degree of regression 2"));
    EXPECT_EQ(message({"regression1=2", "regression1_c0=1", "regression1_c1=1"}, 1),
              QStringLiteral("Error: Missing coefficient of regression 1: _c2"));
    EXPECT_TRUE(message({"regression3=-1"}, 3).contains(QStringLiteral("regression 3"))) << "no c0 to read";
    EXPECT_THROW(ReadStoredRegression(rtl::TStringList(QStringList{"regression1=one"}), 1), rtl::EConvertError);
    EXPECT_THROW(ReadStoredRegression(rtl::TStringList(QStringList{"regression1=0", "regression1_c0=x"}), 1),
                 rtl::EConvertError);
}

} // namespace
