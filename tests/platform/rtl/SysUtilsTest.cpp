#include "platform/rtl/SysUtils.h"

#include "CommaLocale.h"
#include "LocaleGuard.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

using namespace rtl;

namespace {

struct FloatTextCase
{
    const char *name;
    double value;
    const char *text;
};

class FloatToStrTest : public ::testing::TestWithParam<FloatTextCase> {};

TEST_P(FloatToStrTest, GeneralFormatWith15Digits)
{
    LocaleGuard guard(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(FloatToStr(GetParam().value).toStdString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, FloatToStrTest,
    ::testing::Values(FloatTextCase{"zero", 0.0, "0"}, FloatTextCase{"integer", 42.0, "42"},
                      FloatTextCase{"negative", -2.5, "-2.5"}, FloatTextCase{"roundsTo15Digits", 0.1 + 0.2, "0.3"},
                      FloatTextCase{"smallFixed", 0.0001, "0.0001"}, FloatTextCase{"tinyScientific", 0.0000015, "1.5E-6"},
                      FloatTextCase{"fifteenIntegerDigits", 123456789012345.0, "123456789012345"},
                      FloatTextCase{"sixteenIntegerDigits", 1234567890123456.0, "1.23456789012346E15"},
                      FloatTextCase{"huge", 1e20, "1E20"}, FloatTextCase{"third", 1.0 / 3.0, "0.333333333333333"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FloatText, ScientificWithSignedExponentOfAtLeastTheGivenDigits)
{
    LocaleGuard guard(QLocale(QLocale::English, QLocale::UnitedStates));
    const std::pair<double, const char *> cases[] = {
        {123.4567, "1.23457E+02"}, {-1.0, "-1.00000E+00"}, {0.0, "0.00000E+00"},
        {0.000123456789, "1.23457E-04"}, {9.999996, "1.00000E+01"}, {1.5e300, "1.50000E+300"}};
    for (const auto &[value, text] : cases)
        EXPECT_EQ(FloatToStrExp(value, 6, 2).toStdString(), text) << value;
    EXPECT_EQ(FloatToStrExp(2.5, 3, 4).toStdString(), "2.50E+0000");
    LocaleGuard comma(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    EXPECT_EQ(FloatToStrExp(123.4567, 6, 2), QStringLiteral("1,23457E+02"));
}

TEST(FloatText, UsesLocaleDecimalSeparator)
{
    LocaleGuard guard(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    EXPECT_EQ(FloatToStr(1.5), QStringLiteral("1,5"));
    EXPECT_EQ(StrToFloat(QStringLiteral("99,9")), 99.9);
    EXPECT_THROW(StrToFloat(QStringLiteral("99.9")), EConvertError);
}

TEST(FloatText, RoundTripsThroughTextTo15Digits)
{
    LocaleGuard guard(QLocale(QLocale::English, QLocale::UnitedStates));
    for (double v : {0.95, -1234.5678, 6.02e23, 1e-9})
        EXPECT_EQ(StrToFloat(FloatToStr(v)), v) << v;
    EXPECT_NEAR(StrToFloat(FloatToStr(1.0 / 7.0)), 1.0 / 7.0, 1e-15);
}

// The digits are those of the value rounded to 15 places, whether its shortest text is short
// (measured values) or needs 17 digits; the C library's rounding is the oracle.
TEST(FloatText, FifteenDigitsAreTheCorrectlyRoundedOnes)
{
    LocaleGuard guard(QLocale(QLocale::English, QLocale::UnitedStates));
    std::mt19937_64 random(17);
    std::uniform_int_distribution<int> exponent(-12, 20);
    std::uniform_int_distribution<int> thousandths(-999999, 999999);
    std::vector<double> values = {9.9999999999999995, 0.99999999999999989, 999999999999999.9, 1e15 - 1, 5e-324, 2.2250738585072014e-308};
    for (int i = 0; i < 20000; ++i) {
        values.push_back(thousandths(random) / 1000.0 * std::pow(10.0, exponent(random)));
        values.push_back(std::ldexp(double(random() >> 11), exponent(random) * 3 - 53));
    }
    for (const double v : values) {
        char oracle[64];
        std::snprintf(oracle, sizeof oracle, "%.15g", v);
        ASSERT_EQ(StrToFloat(FloatToStr(v)), std::strtod(oracle, nullptr)) << oracle << " written as " << FloatToStr(v).toStdString();
    }
}

TEST(StrToFloat, AcceptsSignsSpacesAndExponent)
{
    LocaleGuard guard(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(StrToFloat(QStringLiteral(" -1.25 ")), -1.25);
    EXPECT_EQ(StrToFloat(QStringLiteral("+3")), 3.0);
    EXPECT_EQ(StrToFloat(QStringLiteral(".5")), 0.5);
    EXPECT_EQ(StrToFloat(QStringLiteral("2E3")), 2000.0);
}

// Qt sets the C library's locale from the environment; a Czech user's decimal comma there must
// not change how number text in the program's own format is read.
TEST(StrToFloat, ReadsTheSameWhateverTheCLibraryLocale)
{
    const CommaLocale comma;
    ASSERT_TRUE(comma.active()) << "no cs_CZ.UTF-8 locale: the locales package is missing";
    LocaleGuard guard(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(StrToFloatExt(QStringLiteral("0.05")), 0.05L);
    EXPECT_EQ(StrToFloatExt(QStringLiteral("-1.5E-3")), -1.5E-3L);
    EXPECT_EQ(StrToFloat(QStringLiteral("2.75")), 2.75);
}

TEST(StrToFloat, RejectsNonNumbersWithTheRuntimeMessage)
{
    LocaleGuard guard(QLocale(QLocale::English, QLocale::UnitedStates));
    for (const char *text : {"", "+", "-", "1.2.3", "1-", "abc", "1e", "--1", "1e999"}) {
        try {
            StrToFloat(QString::fromLatin1(text));
            ADD_FAILURE() << "accepted " << text;
        } catch (const EConvertError &error) {
            EXPECT_EQ(error.Message(), QStringLiteral("'%1' is not a valid floating point value").arg(QLatin1String(text)));
        }
    }
}

TEST(StrToInt, ParsesDecimalIntegersInRange)
{
    EXPECT_EQ(StrToInt(QStringLiteral(" 42 ")), 42);
    EXPECT_EQ(StrToInt(QStringLiteral("-7")), -7);
    EXPECT_EQ(StrToInt(QStringLiteral("+7")), 7);
    for (const char *text : {"", "1.5", "2147483648", "+-1", "x1", "+"}) {
        try {
            StrToInt(QString::fromLatin1(text));
            ADD_FAILURE() << "accepted " << text;
        } catch (const EConvertError &error) {
            EXPECT_EQ(error.Message(), QStringLiteral("'%1' is not a valid integer value").arg(QLatin1String(text)));
        }
    }
}

} // namespace

namespace {

struct MaskCase
{
    const char *name;
    const char *mask;
    double value;
    const char *text;
};

class FormatFloatTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(FormatFloatTest, RendersTheMask)
{
    LocaleGuard guard(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(FormatFloat(QString::fromLatin1(GetParam().mask), GetParam().value).toStdString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Masks, FormatFloatTest,
    ::testing::Values(MaskCase{"axisDefault", "#,##0.###", 1234.5678, "1,234.568"},
                      MaskCase{"axisDefaultWhole", "#,##0.###", 2, "2"},
                      MaskCase{"axisDefaultNegative", "#,##0.###", -0.25, "-0.25"},
                      MaskCase{"fixedDecimals", "0.00", 3.14159, "3.14"},
                      MaskCase{"leadingZeros", "000", 7, "007"},
                      MaskCase{"hashesDropZero", "#.##", 0.5, ".5"},
                      MaskCase{"roundsToZeroUsesZeroSection", "0.0;(0.0);'nil'", -0.01, "nil"},
                      MaskCase{"negativeSection", "0.0;(0.0)", -2.26, "(2.3)"},
                      MaskCase{"scientific", "0.00E+00", 12345, "1.23E+04"},
                      MaskCase{"scientificSmall", "0.0E-0", 0.00025, "2.5E-4"},
                      MaskCase{"literalText", "0.0 'kg'", 1.26, "1.3 kg"},
                      MaskCase{"noPlaces", "'n/a'", 5, "n/a"},
                      MaskCase{"emptyIsGeneral", "", 0.1, "0.1"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FormatFloatLocale, TakesTheLocaleSeparators)
{
    LocaleGuard guard(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatFloat(QStringLiteral("#,##0.00"), 12345.678), QStringLiteral("12.345,68"));
}

} // namespace
