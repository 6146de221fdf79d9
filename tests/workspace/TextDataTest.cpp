#include "workspace/TextData.h"

#include "LocaleGuard.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct LineCase
{
    const char *name;
    const char *line;
    const char *id;
    std::vector<double> values;
};

class TextLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(TextLineTest, ReadsIdentifierValuesAndPositions)
{
    LocaleGuard guard(QLocale::c());
    const LineCase &c = GetParam();
    const TextDataFile file = ReadTextData({QString::fromUtf8(c.line)}, false);
    ASSERT_EQ(file.items.size(), 1u);
    const TDataItem &item = file.items[0];
    EXPECT_EQ(item.Id.toStdString(), c.id);
    EXPECT_EQ(item.Values, c.values);
    EXPECT_EQ(item.Count, c.values.size());
    EXPECT_EQ(item.Used, !c.values.empty());
    EXPECT_EQ(item.Classes.size(), c.values.size());
    for (size_t j = 0; j < item.Positions.size(); ++j)
        EXPECT_EQ(item.Positions[j], j + 1);
}

INSTANTIATE_TEST_SUITE_P(Lines, TextLineTest,
    ::testing::Values(LineCase{"plain", "A;1;2;3", "A", {1, 2, 3}},
                      LineCase{"spacesAndTrailingSeparator", "  B x ; 4.5 ;", "B x", {4.5}},
                      LineCase{"leadingSeparator", ";1;2", ";1;2", {}},
                      LineCase{"noSeparator", "  just text ", "just text", {}},
                      LineCase{"emptyLine", "", "", {}},
                      LineCase{"skipsOtherPieces", "C;x;;1e5;'2';-7;+8", "C", {-7, 8}},
                      LineCase{"tabsAreNotTrimmed", "D;\t5;6", "D", {6}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TextData, CommaLocaleTakesCommaAndSkipsPoint)
{
    LocaleGuard guard(QLocale(QLocale::Czech));
    const TextDataFile file = ReadTextData({QStringLiteral("id; 1,5 ;x;;2;3.5")}, false);
    EXPECT_EQ(file.items[0].Values, (std::vector<double>{1.5, 2}));
    EXPECT_EQ(file.items[0].Positions, (std::vector<uint16_t>{1, 2}));
}

TEST(TextData, LogTransformStoresBaseTenLogarithm)
{
    LocaleGuard guard(QLocale::c());
    const TextDataFile file = ReadTextData({QStringLiteral("a;100;0.001")}, true);
    EXPECT_DOUBLE_EQ(file.items[0].Values[0], 2.0);
    EXPECT_DOUBLE_EQ(file.items[0].Values[1], -3.0);
}

TEST(TextData, OneItemPerLineEmptyLinesIncluded)
{
    LocaleGuard guard(QLocale::c());
    const QStringList lines = SplitTextLines(QStringLiteral("a;1\r\n\r\nb;2\rc;3\n"));
    EXPECT_EQ(lines, (QStringList{QStringLiteral("a;1"), QString(), QStringLiteral("b;2"), QStringLiteral("c;3")}));
    EXPECT_EQ(ReadTextData(lines, false).items.size(), 4u);
}

struct BadCase
{
    const char *name;
    const char *text;
    bool log;
    const char *expected;
};

class TextDataErrorTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(TextDataErrorTest, StopsNamingLineAndPiece)
{
    LocaleGuard guard(QLocale::c());
    const BadCase &c = GetParam();
    try {
        ReadTextData({QStringLiteral("ok;1"), QStringLiteral("second;2"), QString::fromUtf8(c.text)}, c.log);
        ADD_FAILURE() << "no error";
    } catch (const ETextDataError &error) {
        EXPECT_EQ(error.Line(), 3);
        EXPECT_EQ(error.Message().toStdString(), std::string("Reading of the data stopped at line 3: ") + c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Pieces, TextDataErrorTest,
    ::testing::Values(BadCase{"lonePlus", "x;1;+", false, "'+' is not a valid floating point value"},
                      BadCase{"twoSeparators", "x; 1.2.3", false, "'1.2.3' is not a valid floating point value"},
                      BadCase{"signAfterDigits", "x;5-", false, "'5-' is not a valid floating point value"},
                      BadCase{"logOfZero", "x;0", true, "the value '0' has no logarithm (LOG-transformation)"},
                      BadCase{"logOfNegative", "x;-2", true, "the value '-2' has no logarithm (LOG-transformation)"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TextData, KeepsFirst255ValuesAndReportsTheLine)
{
    LocaleGuard guard(QLocale::c());
    QString line = QStringLiteral("many");
    for (int v = 1; v <= 300; ++v)
        line += QStringLiteral(";%1").arg(v);
    const TextDataFile file = ReadTextData({QStringLiteral("a;1"), line}, false);
    EXPECT_EQ(file.items[1].Count, 255);
    EXPECT_EQ(file.items[1].Values.back(), 255.0);
    EXPECT_EQ(file.items[1].Positions.back(), 255);
    EXPECT_EQ(file.truncatedLines, QList<int>{2});
}

} // namespace

namespace {

TEST(TextDataFile, ReadsBytesAsTheirDecodedLines)
{
    LocaleGuard guard(QLocale(QLocale::Czech));
    // A byte order mark (at the start and within), UTF-8 and a stray byte in identifiers, CR LF,
    // CR and LF line ends.
    const QByteArray bytes =
        "\xEF\xBB\xBF\xC3\x9Ast\xC3\xAD ; 1,5 ;x;;2;3.5\r\n\r\n  y\xE9 ;-4\rlast;+0,25\n\xEF\xBB\xBFz;1";
    const TextDataFile file = ReadTextData(QByteArrayView(bytes), false);
    ASSERT_EQ(file.items.size(), 5u);
    EXPECT_EQ(file.items[4].Id, QStringLiteral("\uFEFFz"));
    EXPECT_EQ(file.items[0].Id, QString::fromUtf8("Úst\u00ED"));
    EXPECT_EQ(file.items[0].Values, (std::vector<double>{1.5, 2}));
    EXPECT_EQ(file.items[0].Positions, (std::vector<uint16_t>{1, 2}));
    EXPECT_TRUE(file.items[1].Id.isEmpty());
    EXPECT_FALSE(file.items[1].Used);
    EXPECT_EQ(file.items[2].Id, QStringLiteral("y\uFFFD"));
    EXPECT_EQ(file.items[2].Values, std::vector<double>{-4});
    EXPECT_EQ(file.items[3].Id, QStringLiteral("last"));
    EXPECT_EQ(file.items[3].Values, std::vector<double>{0.25});
}

// Long files are read in stretches of lines side by side; what is reported follows file order.
TEST(TextDataFile, ReportsTheFirstBadLineAndTruncatedLinesInFileOrder)
{
    LocaleGuard guard(QLocale::c());
    QByteArray many = "many";
    for (int v = 1; v <= 300; ++v)
        many += ';' + QByteArray::number(v);
    QByteArray text;
    for (int line = 1; line <= 5000; ++line)
        text += (line == 4100 || line == 700 ? many : "item;" + QByteArray::number(line)) + '\n';
    const TextDataFile file = ReadTextData(QByteArrayView(text), false);
    EXPECT_EQ(file.truncatedLines, (QList<int>{700, 4100}));
    EXPECT_EQ(file.items[4999].Values, std::vector<double>{5000});

    text.replace("\nitem;3000\n", "\nitem;3000-\n");
    text.replace("\nitem;1234\n", "\nitem;1.2.3\n");
    try {
        ReadTextData(QByteArrayView(text), false);
        ADD_FAILURE() << "no error";
    } catch (const ETextDataError &error) {
        EXPECT_EQ(error.Line(), 1234);
        EXPECT_EQ(error.Message(), QStringLiteral("Reading of the data stopped at line 1234: '1.2.3' is not a valid floating point value"));
    }
}

} // namespace
