// Detrending: the points of a class, the predictor of each source, the subtraction from every
// item, and the texts that record a regression.

#include "workspace/Detrend.h"
#include "workspace/TextData.h"

#include "statistics/Ustatistics.h"

#include "LocaleGuard.h"
#include "RecordedWarnings.h"

#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

namespace {

std::vector<TDataItem> itemsOf(const QString &text) { return ReadTextData(SplitTextLines(text), false).items; }

TEST(Detrend, PredictorIsThePositionInTxtFilesAndTheIdentifierElsewhere)
{
    const std::vector<TDataItem> items = itemsOf(QStringLiteral("10;1\n20;2\nx;3\n"));
    EXPECT_EQ(PredictorFor(QStringLiteral("/d/data.TxT")), TPredictor::Position);
    EXPECT_EQ(PredictorFor(QStringLiteral("/d/data.csv")), TPredictor::Identifier);
    EXPECT_EQ(PredictorFor(QStringLiteral("/d/table.dbf")), TPredictor::Identifier);
    EXPECT_EQ(PredictorOf(items[1], 1, TPredictor::Position), 1.0);
    EXPECT_EQ(PredictorOf(items[1], 1, TPredictor::Identifier), 20.0);
    EXPECT_THROW(PredictorOf(items[2], 2, TPredictor::Identifier), rtl::EConvertError);

    LocaleGuard czech(QLocale(QLocale::Czech));
    TDataItem item;
    const auto x = [&item](const char *id) {
        item.Id = QString::fromLatin1(id);
        return PredictorOf(item, 0, TPredictor::Identifier);
    };
    EXPECT_EQ(x("-012"), -12.0);
    EXPECT_EQ(x("999999999999999"), 999999999999999.0);
    EXPECT_EQ(x("1234567890123456789"), 1234567890123456789.0);
    EXPECT_EQ(x("2,5"), 2.5);
    EXPECT_THROW(x("-"), rtl::EConvertError);
    EXPECT_THROW(x("2.5"), rtl::EConvertError);
}

TEST(Detrend, ClassPointsComeFromUsedItemsAndEveryItemIsDetrended)
{
    // y = 2 + 3x on the used items 1..4 (class 0); item 5 is not used; the value 100 is class 1.
    std::vector<TDataItem> items = itemsOf(QStringLiteral("1;5;100\n2;8\n3;11\n4;14\n5;50\n"));
    items[0].Classes[1] = 1;
    items[4].Used = false;
    RecordedWarnings warnings;
    TStatistics statistics;
    AddClassPoints(statistics, items, 0, TPredictor::Identifier);
    statistics.Compute(1);
    EXPECT_EQ(statistics.FCountX, 4);
    ASSERT_EQ(statistics.FCoefficients.size(), 2u);
    EXPECT_NEAR(double(statistics.FCoefficients[0]), 2.0, 1e-12);
    EXPECT_NEAR(double(statistics.FCoefficients[1]), 3.0, 1e-12);

    SubtractCurve(items, TPredictor::Identifier, [&](double x) { return double(statistics.Evaluate(x)); });
    EXPECT_NEAR(items[3].Values[0], 0.0, 1e-12);
    EXPECT_NEAR(items[0].Values[1], 100.0 - 5.0, 1e-12);
    EXPECT_NEAR(items[4].Values[0], 50.0 - 17.0, 1e-12); // not used, detrended all the same
    EXPECT_EQ(items[0].Classes[1], 0);
}

TEST(Detrend, StoredPolynomialIsEvaluatedByRepeatedMultiplication)
{
    EXPECT_EQ(PolynomialValue({1.5, -0.25, 0.01}, 10.0), 1.5 - 2.5 + 1.0);
    EXPECT_EQ(PolynomialValue({4.0}, 7.0), 4.0);
    EXPECT_EQ(PolynomialValue({}, 7.0), 0.0);
}

TEST(Detrend, TextsRecordTheRegression)
{
    LocaleGuard c(QLocale::c());
    EXPECT_EQ(TransformTextWithRegression(QString(), 2), QStringLiteral("Transformation: y-REG(2)"));
    EXPECT_EQ(TransformTextWithRegression(QStringLiteral("Transformation: LOG(y)"), 1),
              QStringLiteral("Transformation: LOG(y); y-REG(1)"));
    EXPECT_EQ(RegressionTitleLine({1.5, -0.25, 0.01}, QStringLiteral("ID")),
              QStringLiteral("y' = y - (1.5-0.25*ID^1+0.01*ID^2)"));
    EXPECT_EQ(RegressionTitleLine({0.123456, 0.0, 1.5e-6, 123456.0}, QStringLiteral("NR")),
              QStringLiteral("y' = y - (0.1235+0*NR^1+1.5E-06*NR^2+1.235E05*NR^3)"));
    LocaleGuard czech(QLocale(QLocale::Czech));
    EXPECT_EQ(RegressionTitleLine({-2.5}, QStringLiteral("ID")), QStringLiteral("y' = y - (-2,5)"));
}

} // namespace
