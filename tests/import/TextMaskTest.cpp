// The mask of fixed-column text as clicks and typed x make it, and the mask files.

#include "import/TextImport.h"
#include "import/TextMask.h"

#include "platform/rtl/SysUtils.h"

#include "FileSizeLimit.h"
#include "ImportTestHelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(TextMask, DefaultIsOneFieldOverTheLongestLine)
{
    EXPECT_EQ(DefaultMask({"abc", "abcdef", ""}), QStringLiteral("[....]"));
    EXPECT_EQ(DefaultMask({"ab"}), QStringLiteral("[]"));
    EXPECT_EQ(DefaultMask({"a"}), QStringLiteral("]"));
    EXPECT_EQ(DefaultMask({"", ""}), QString());
    EXPECT_EQ(DefaultMask({}), QString());
}

struct ClickCase
{
    const char *name;
    QString mask;
    int caret;
    QString result;
};

class MaskClick : public ::testing::TestWithParam<ClickCase>
{
};

TEST_P(MaskClick, SplitsOrJoinsFields) { EXPECT_EQ(ClickMask(GetParam().mask, GetParam().caret), GetParam().result); }

INSTANTIATE_TEST_SUITE_P(
    Clicks, MaskClick,
    ::testing::Values(ClickCase{"BetweenFillersSplits", "[....]", 2, "[][..]"},
                      ClickCase{"OnABoundaryJoins", "[][..]", 2, "[....]"},
                      ClickCase{"XStays", "[.]x[]", 3, "[..x[]"},
                      ClickCase{"AtTheStartOfFillersOpensAndCloses", "......", 0, "[....]"},
                      ClickCase{"AtTheEndKeepsTheLastClose", "[....]", 6, "[....]"},
                      ClickCase{"BeforeTheFirstOpenClosesNothing", "[....]", 0, ".....]"},
                      ClickCase{"EmptyMask", "", 0, ""}),
    [](const auto &info) { return std::string(info.param.name); });

struct MarkCase
{
    const char *name;
    QString mask;
    int start;
    int length;
    QString result;
};

class MaskTypedX : public ::testing::TestWithParam<MarkCase>
{
};

TEST_P(MaskTypedX, MarksSingleColumns)
{
    EXPECT_EQ(MarkSingleColumns(GetParam().mask, GetParam().start, GetParam().length), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    TypedX, MaskTypedX,
    ::testing::Values(MarkCase{"CaretBeforeTheFourth", "[....]", 3, 0, "[.]x[]"},
                      MarkCase{"CaretAtTheEndMarksNothing", "[....]", 6, 0, "[....]"},
                      MarkCase{"SelectionOfTwo", "[......]", 3, 2, "[.]xx[.]"},
                      MarkCase{"BoundariesStopTheScans", "[.][..]", 1, 0, "[x][..]"},
                      MarkCase{"NextToAnotherX", "[..x..]", 4, 0, "[.]xx[]"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TextMask, MaskBuiltByClicksAndXCutsTheExpectedFields)
{
    QString mask = DefaultMask({"Filesystem 1024-blocks Used"});
    mask = ClickMask(mask, 11);
    mask = ClickMask(mask, 23);
    mask = MarkSingleColumns(mask, 25, 0);
    const std::vector<TMaskField> fields = CutMask(mask);
    const std::vector<TMaskField> expected{{1, 11}, {12, 23}, {24, 25}, {26, 26}};
    EXPECT_EQ(fields, expected) << mask.toStdString();
}

TEST(MaskFile, ReadAndWrittenWholeWithOtherLinesKept)
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("df.msk"));
    rtl::TStringList lines({QStringLiteral("Comment=from the instrument"), QStringLiteral("Mask=[..]x")});
    lines.SetValues(QStringLiteral("Var1"), QStringLiteral("Délka"));
    WriteMaskFile(fileName, lines);

    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("Comment=from the instrument\r\nMask=[..]x\r\nVar1=D\xC3\xA9lka\r\n"));
    file.close();

    const rtl::TStringList read = ReadMaskFile(fileName);
    EXPECT_EQ(read.Values(QStringLiteral("MASK")), QStringLiteral("[..]x")) << "names match without regard to case";
    EXPECT_EQ(read.Values(QStringLiteral("var1")), QStringLiteral("Délka"));
    EXPECT_EQ(read.Count(), 3);
}

TEST(MaskFile, SaveStoppedByAFileSizeLimitSaysWhyAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString fileName = WriteBytes(dir, QStringLiteral("df.msk"), "Mask=x[.]\r\n");
    const rtl::TStringList lines({QStringLiteral("Mask=") + QString(2000, QLatin1Char('.'))});
    WithFileSizeLimit(1024, [&] {
        try {
            WriteMaskFile(fileName, lines);
            ADD_FAILURE() << "a cut-off file was reported as saved";
        } catch (const rtl::EInOutError &error) {
            EXPECT_TRUE(error.Message().endsWith(QStringLiteral("df.msk: File too large"))) << error.what();
        }
    });
    EXPECT_EQ(ReadMaskFile(fileName).Lines(), QStringList{QStringLiteral("Mask=x[.]")});
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("df.msk")});
}

TEST(MaskFile, OlderFileInCodePage1250AndMissingFile)
{
    QTemporaryDir dir;
    const QString fileName = WriteBytes(dir, QStringLiteral("old.msk"), "Mask=x[.]\r\nVar2=V\xFD\x9Aka\r\n");
    EXPECT_EQ(ReadMaskFile(fileName).Values(QStringLiteral("Var2")), QStringLiteral("Výška"));
    EXPECT_THROW(ReadMaskFile(dir.filePath(QStringLiteral("none.msk"))), rtl::EInOutError);
}

} // namespace
