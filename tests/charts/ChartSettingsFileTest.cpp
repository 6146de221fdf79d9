// Chart settings files: records built byte by byte from the file layout against the reader and
// the writer, the round trip through a chart, and the records a chart cannot take.

#include "RecordBytes.h"

#include "FileSizeLimit.h"

#include "charts/ChartSettings.h"
#include "charts/ChartSettingsFile.h"
#include "platform/chart/Chart.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPalette>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A record with a distinct value in every field.
RecordBytes distinctRecord()
{
    RecordBytes r;
    r.string255(RecordBytes::TitleText, "Gaps\r\nA\xEC\r\n") // "ě" is 0xEC in code page 1250
        .byte(RecordBytes::TitleVisible, 1)
        .font(RecordBytes::TitleFont, "Arial", 12, true, false, true, false, 0x0000FF);
    for (int at : {RecordBytes::LeftAxis, RecordBytes::BottomAxis}) {
        const bool left = at == RecordBytes::LeftAxis;
        r.byte(at + RecordBytes::Automatic, 0)
            .float64(at + RecordBytes::Minimum, left ? -1.5 : 2)
            .float64(at + RecordBytes::Maximum, left ? 7.25 : 40)
            .float64(at + RecordBytes::Increment, left ? 0.5 : 4)
            .string255(at + RecordBytes::Format, left ? "0.00" : "#,##0")
            .font(at + RecordBytes::LabelsFont, "Courier", left ? 7 : 9, false, true, false, true, 0x008000)
            .string255(at + RecordBytes::AxisTitle, left ? "Probability" : "Value")
            .font(at + RecordBytes::AxisTitleFont, "Times", 10, true, true, false, false, 0x800000)
            .byte(at + RecordBytes::Grid, left ? 1 : 0);
    }
    r.byte(RecordBytes::Border, 1)
        .byte(RecordBytes::Legend, 0)
        .int32(RecordBytes::ColorWidth, 20)
        .font(RecordBytes::LegendFont, "Verdana", 8, false, false, false, false, 0x123456)
        .int32(RecordBytes::Bevel, 3)
        .int32(RecordBytes::Color, 0x00C0FFEE);
    return r;
}

TChartSettingsRec distinctSettings()
{
    TChartSettingsRec rec;
    rec.TitleText = QStringLiteral("Gaps\r\nAě\r\n");
    rec.TitleVisible = true;
    rec.TitleFont = {QStringLiteral("Arial"), 12, true, false, true, false, 0x0000FF};
    rec.LeftAxis = {false, -1.5, 7.25, 0.5, QStringLiteral("0.00"),
                    {QStringLiteral("Courier"), 7, false, true, false, true, 0x008000},
                    QStringLiteral("Probability"),
                    {QStringLiteral("Times"), 10, true, true, false, false, 0x800000}, true};
    rec.BottomAxis = {false, 2, 40, 4, QStringLiteral("#,##0"),
                      {QStringLiteral("Courier"), 9, false, true, false, true, 0x008000},
                      QStringLiteral("Value"),
                      {QStringLiteral("Times"), 10, true, true, false, false, 0x800000}, false};
    rec.BorderVisible = true;
    rec.LegendVisible = false;
    rec.LegendColorWidth = 20;
    rec.LegendFont = {QStringLiteral("Verdana"), 8, false, false, false, false, 0x123456};
    rec.BevelWidth = 3;
    rec.Color = 0x00C0FFEE;
    return rec;
}

TEST(ChartSettingsRecord, BytesBuiltFromTheLayoutReadAsTheirFields)
{
    EXPECT_EQ(DecodeChartSettings(distinctRecord().bytes), distinctSettings());
}

TEST(ChartSettingsRecord, WriterBytesEqualTheRecordBuiltFromTheLayout)
{
    const QByteArray written = EncodeChartSettings(distinctSettings());
    ASSERT_EQ(written.size(), 2992);
    EXPECT_EQ(written.toHex().toStdString(), distinctRecord().bytes.toHex().toStdString());
}

TEST(ChartSettingsRecord, AnyNonZeroByteReadsAsTrue)
{
    RecordBytes r = distinctRecord();
    r.byte(RecordBytes::Border, 0x80).byte(RecordBytes::Legend, 0xFF);
    const TChartSettingsRec rec = DecodeChartSettings(r.bytes);
    EXPECT_TRUE(rec.BorderVisible);
    EXPECT_TRUE(rec.LegendVisible);
}

TEST(ChartSettingsRecord, LongTextsAreCutTo255Characters)
{
    TChartSettingsRec rec = distinctSettings();
    rec.TitleText = QString(300, QLatin1Char('t'));
    rec.LeftAxis.AxisValuesFormat = QString(300, QLatin1Char('0'));
    rec.BottomAxis.TitleCaption = QString(300, QLatin1Char('v'));
    const QByteArray bytes = EncodeChartSettings(rec);
    EXPECT_EQ(uint8_t(bytes[RecordBytes::TitleText]), 255);
    EXPECT_EQ(uint8_t(bytes[RecordBytes::LeftAxis + RecordBytes::Format]), 255);
    const TChartSettingsRec back = DecodeChartSettings(bytes);
    EXPECT_EQ(back.TitleText, QString(255, QLatin1Char('t')));
    EXPECT_EQ(back.LeftAxis.AxisValuesFormat, QString(255, QLatin1Char('0')));
    EXPECT_EQ(back.BottomAxis.TitleCaption, QString(255, QLatin1Char('v')));
}

TEST(ChartSettingsRecord, TextOutsideTheCodePageIsRefusedNotReplaced)
{
    TChartSettingsRec rec = distinctSettings();
    rec.BottomAxis.TitleCaption = QStringLiteral("Значение");
    try {
        EncodeChartSettings(rec);
        FAIL() << "a Cyrillic axis title was written";
    } catch (const EChartSettingsError &error) {
        EXPECT_TRUE(error.Message().contains(QStringLiteral("Значение"))) << error.what();
    }
}

struct RefusedCase
{
    const char *name;
    void (*spoil)(RecordBytes &);
};

class RefusedRecord : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedRecord, IsRefusedWithAReason)
{
    RecordBytes r = distinctRecord();
    GetParam().spoil(r);
    EXPECT_THROW(DecodeChartSettings(r.bytes), EChartSettingsError);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RefusedRecord,
    ::testing::Values(
        RefusedCase{"shortRecord", [](RecordBytes &r) { r.bytes.chop(1); }},
        RefusedCase{"negativeTitleFontSize", [](RecordBytes &r) { r.int32(RecordBytes::TitleFont + RecordBytes::FontSize, -8); }},
        RefusedCase{"zeroLegendFontSize", [](RecordBytes &r) { r.int32(RecordBytes::LegendFont + RecordBytes::FontSize, 0); }},
        RefusedCase{"negativeAxisLabelsSize",
                    [](RecordBytes &r) { r.int32(RecordBytes::BottomAxis + RecordBytes::LabelsFont + RecordBytes::FontSize, -1); }},
        RefusedCase{"minimumAboveMaximum", [](RecordBytes &r) { r.float64(RecordBytes::LeftAxis + RecordBytes::Minimum, 8); }},
        RefusedCase{"negativeIncrement", [](RecordBytes &r) { r.float64(RecordBytes::BottomAxis + RecordBytes::Increment, -1); }},
        RefusedCase{"rangeNotANumber", [](RecordBytes &r) { r.float64(RecordBytes::LeftAxis + RecordBytes::Maximum, std::nan("")); }},
        RefusedCase{"negativeColorWidth", [](RecordBytes &r) { r.int32(RecordBytes::ColorWidth, -2); }},
        RefusedCase{"negativeBevel", [](RecordBytes &r) { r.int32(RecordBytes::Bevel, -3); }},
        // Numbers no chart can draw, which would overflow where they are used.
        RefusedCase{"hugeBevel", [](RecordBytes &r) { r.int32(RecordBytes::Bevel, 2147483647); }},
        RefusedCase{"colorWidthTwoToThe30", [](RecordBytes &r) { r.int32(RecordBytes::ColorWidth, 1 << 30); }},
        RefusedCase{"hugeColorWidth", [](RecordBytes &r) { r.int32(RecordBytes::ColorWidth, 2147483647); }},
        RefusedCase{"hugeTitleFontSize",
                    [](RecordBytes &r) { r.int32(RecordBytes::TitleFont + RecordBytes::FontSize, 2147483647); }},
        RefusedCase{"hugeAxisTitleFontSize",
                    [](RecordBytes &r) { r.int32(RecordBytes::LeftAxis + RecordBytes::AxisTitleFont + RecordBytes::FontSize, 100000); }},
        RefusedCase{"boundBeyondTheDrawing", [](RecordBytes &r) { r.float64(RecordBytes::BottomAxis + RecordBytes::Maximum, 1e251); }},
        RefusedCase{"lowBoundBeyondTheDrawing",
                    [](RecordBytes &r) { r.float64(RecordBytes::LeftAxis + RecordBytes::Minimum, -1e300); }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ChartSettingsRecord, RangeOfAnAutomaticAxisIsNotChecked)
{
    RecordBytes r = distinctRecord();
    r.byte(RecordBytes::LeftAxis + RecordBytes::Automatic, 1).float64(RecordBytes::LeftAxis + RecordBytes::Minimum, 99);
    EXPECT_NO_THROW(DecodeChartSettings(r.bytes));
}

class ChartSettingsFiles : public ::testing::Test
{
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(ChartSettingsFiles, BytesAfterTheRecordAreIgnored)
{
    const QString path = write(QStringLiteral("long.gsf"), distinctRecord().bytes + QByteArray(8, 'x'));
    EXPECT_EQ(ReadChartSettingsFile(path), distinctSettings());
}

TEST_F(ChartSettingsFiles, ShortFileIsRefusedNamingTheFile)
{
    const QString path = write(QStringLiteral("short.gsf"), distinctRecord().bytes.left(2000));
    try {
        ReadChartSettingsFile(path);
        FAIL() << "a short file was read";
    } catch (const EChartSettingsError &error) {
        EXPECT_TRUE(error.Message().contains(QStringLiteral("short.gsf"))) << error.what();
    }
}

TEST_F(ChartSettingsFiles, NumberNoChartCanDrawIsRefusedNamingTheFileAndTheField)
{
    RecordBytes r = distinctRecord();
    r.int32(RecordBytes::Bevel, 2147483647);
    const QString path = write(QStringLiteral("bevel.gsf"), r.bytes);
    try {
        ReadChartSettingsFile(path);
        FAIL() << "a bevel of 2147483647 pixels was read";
    } catch (const EChartSettingsError &error) {
        EXPECT_TRUE(error.Message().contains(QStringLiteral("bevel.gsf"))) << error.what();
        EXPECT_TRUE(error.Message().contains(QStringLiteral("bevel width"))) << error.what();
        EXPECT_TRUE(error.Message().contains(QStringLiteral("2147483647"))) << error.what();
    }
}

// System colours (high byte 0xFF) and the default colour 0x20000000 of the desktop the files
// come from, in every colour field: drawn in this desktop's palette, written back unchanged.
TEST_F(ChartSettingsFiles, SystemColoursAreDrawnFromThePaletteAndSavedBackByteForByte)
{
    RecordBytes r = distinctRecord();
    r.int32(RecordBytes::Color, int32_t(0xFF00000F)) // the button face
        .int32(RecordBytes::TitleFont + RecordBytes::FontColor, int32_t(0xFF000008)) // window text
        .int32(RecordBytes::LegendFont + RecordBytes::FontColor, 0x20000000)
        .int32(RecordBytes::LeftAxis + RecordBytes::LabelsFont + RecordBytes::FontColor, int32_t(0xFF00000D))
        .int32(RecordBytes::BottomAxis + RecordBytes::AxisTitleFont + RecordBytes::FontColor, 0x02123456);
    const QString path = write(QStringLiteral("system.gsf"), r.bytes);
    chart::TChart chart;
    chart.resize(400, 300);
    ApplySettings(chart, ReadChartSettingsFile(path));
    const QPalette palette = QGuiApplication::palette();
    EXPECT_EQ(chart.Color(), palette.color(QPalette::Button));
    EXPECT_EQ(chart.TitleFont().Color, palette.color(QPalette::Text));
    EXPECT_EQ(chart.LeftAxis().LabelsFont().Color, palette.color(QPalette::Highlight));
    EXPECT_EQ(chart.BottomAxis().TitleFont().Color, QColor(0x56, 0x34, 0x12));

    const QString saved = dir.filePath(QStringLiteral("saved.gsf"));
    WriteChartSettingsFile(saved, StoreSettings(chart));
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toHex().toStdString(), r.bytes.toHex().toStdString());

    // A colour chosen afterwards is the chosen one, whatever the file said.
    chart.SetColor(QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(StoreSettings(chart).Color, 0x302010);
}

// Loading applies the whole file, whatever the file before it left on the chart.
TEST_F(ChartSettingsFiles, FileLoadedAfterAnotherIsSavedBackByteForByte)
{
    RecordBytes fixed = distinctRecord();
    fixed.float64(RecordBytes::LeftAxis + RecordBytes::Minimum, 0)
        .float64(RecordBytes::LeftAxis + RecordBytes::Maximum, 1)
        .float64(RecordBytes::LeftAxis + RecordBytes::Increment, 0.001);
    chart::TChart fresh;
    fresh.resize(400, 300);
    const QString freshPath = dir.filePath(QStringLiteral("fresh.gsf"));
    WriteChartSettingsFile(freshPath, StoreSettings(fresh));

    chart::TChart chart;
    chart.resize(400, 300);
    ApplySettings(chart, ReadChartSettingsFile(write(QStringLiteral("fixed.gsf"), fixed.bytes)));
    ApplySettings(chart, ReadChartSettingsFile(freshPath));
    const QString saved = dir.filePath(QStringLiteral("saved.gsf"));
    WriteChartSettingsFile(saved, StoreSettings(chart));
    QFile freshFile(freshPath), savedFile(saved);
    ASSERT_TRUE(freshFile.open(QIODevice::ReadOnly) && savedFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(savedFile.readAll().toHex().toStdString(), freshFile.readAll().toHex().toStdString());
}

TEST_F(ChartSettingsFiles, SavedFileHasExactlyOneRecordAndReplacesAnOldOne)
{
    const QString path = write(QStringLiteral("old.gsf"), QByteArray(5000, 'x'));
    WriteChartSettingsFile(path, distinctSettings());
    EXPECT_EQ(QFileInfo(path).size(), 2992);
    EXPECT_EQ(ReadChartSettingsFile(path), distinctSettings());
}

TEST_F(ChartSettingsFiles, SaveStoppedByAFileSizeLimitSaysWhyAndKeepsTheOldFile)
{
    const QString path = write(QStringLiteral("old.gsf"), distinctRecord().bytes);
    WithFileSizeLimit(1024, [&] {
        try {
            WriteChartSettingsFile(path, TChartSettingsRec{});
            ADD_FAILURE() << "a cut-off file was reported as saved";
        } catch (const EChartSettingsError &error) {
            EXPECT_TRUE(error.Message().endsWith(QStringLiteral("old.gsf: File too large"))) << error.what();
        }
    });
    EXPECT_EQ(ReadChartSettingsFile(path), distinctSettings());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("old.gsf")});
}

// ---- the record and the chart

TEST(ChartSettingsOnChart, EveryFieldComesBackThroughAChart)
{
    chart::TChart chart;
    chart.resize(400, 300);
    ApplySettings(chart, distinctSettings());
    EXPECT_EQ(StoreSettings(chart), distinctSettings());
}

TEST(ChartSettingsOnChart, TwoTitleLinesAreStoredWithTheirLineBreaks)
{
    chart::TChart chart;
    chart.SetTitle({QStringLiteral("A"), QStringLiteral("B")});
    const QByteArray bytes = EncodeChartSettings(StoreSettings(chart));
    EXPECT_EQ(bytes.mid(0, 7), QByteArray("\x06" "A\r\nB\r\n"));
    chart::TChart other;
    ApplySettings(other, DecodeChartSettings(bytes));
    EXPECT_EQ(other.Title(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));

    // Cut to 255 characters between CR and LF, the text ends in a lone CR, which ends the line.
    const QString longLine(254, QLatin1Char('x'));
    chart.SetTitle({longLine, QStringLiteral("C")});
    ApplySettings(other, DecodeChartSettings(EncodeChartSettings(StoreSettings(chart))));
    EXPECT_EQ(other.Title(), QStringList{longLine});
}

TEST(ChartSettingsOnChart, RangeAboveTheCurrentOneIsSetMaximumFirst)
{
    chart::TChart chart;
    chart.LeftAxis().SetAutomatic(false);
    chart.LeftAxis().SetMaximum(10);
    chart.LeftAxis().SetMinimum(0);
    chart.BottomAxis().SetAutomatic(false);
    chart.BottomAxis().SetMaximum(10);
    chart.BottomAxis().SetMinimum(0);
    TChartSettingsRec rec = distinctSettings();
    rec.LeftAxis.Minimum = 20, rec.LeftAxis.Maximum = 30;
    rec.BottomAxis.Minimum = 20, rec.BottomAxis.Maximum = 30;
    ASSERT_NO_THROW(ApplySettings(chart, rec));
    EXPECT_EQ(chart.LeftAxis().Minimum(), 20);
    EXPECT_EQ(chart.LeftAxis().Maximum(), 30);
    EXPECT_EQ(chart.BottomAxis().Minimum(), 20);
    EXPECT_EQ(chart.BottomAxis().Maximum(), 30);
}

TEST(ChartSettingsOnChart, AutomaticAxisKeepsItsRangeButTakesTheRestWithTheIncrement)
{
    chart::TChart chart;
    chart.resize(400, 300);
    auto *series = new chart::TLineSeries(&chart);
    series->SetPoints({0, 1}, {100, 200});
    chart.AddSeries(series);
    chart.LeftAxis().SetIncrement(25);
    TChartSettingsRec rec = distinctSettings(); // left axis -1.5 to 7.25 by 0.5
    rec.LeftAxis.Automatic = true;
    ApplySettings(chart, rec);
    EXPECT_TRUE(chart.LeftAxis().Automatic());
    EXPECT_LE(chart.LeftAxis().Minimum(), 100);
    EXPECT_GE(chart.LeftAxis().Maximum(), 200);
    EXPECT_EQ(chart.LeftAxis().Increment(), 0.5);
    EXPECT_EQ(chart.LeftAxis().AxisValuesFormat(), QStringLiteral("0.00"));
    EXPECT_EQ(chart.LeftAxis().TitleCaption(), QStringLiteral("Probability"));
    EXPECT_FALSE(chart.BottomAxis().Automatic());
    EXPECT_EQ(chart.BottomAxis().Minimum(), 2);
}

TEST(ChartSettingsOnChart, BevelWidthZeroMeansNoBevel)
{
    chart::TChart chart;
    chart.SetBevelOuter(chart::TPanelBevel::bvRaised);
    chart.SetBevelWidth(3);
    EXPECT_EQ(StoreSettings(chart).BevelWidth, 3);
    chart.SetBevelInner(chart::TPanelBevel::bvLowered);
    chart.SetBevelOuter(chart::TPanelBevel::bvNone);
    EXPECT_EQ(StoreSettings(chart).BevelWidth, 3);

    TChartSettingsRec rec = StoreSettings(chart);
    rec.BevelWidth = 0;
    ApplySettings(chart, rec);
    EXPECT_EQ(chart.BevelInner(), chart::TPanelBevel::bvNone);
    EXPECT_EQ(chart.BevelOuter(), chart::TPanelBevel::bvNone);
    EXPECT_EQ(StoreSettings(chart).BevelWidth, 0);

    rec.BevelWidth = 4; // a lowered or inner bevel comes back as a raised outer one
    ApplySettings(chart, rec);
    EXPECT_EQ(chart.BevelOuter(), chart::TPanelBevel::bvRaised);
    EXPECT_EQ(chart.BevelWidth(), 4);
}

TEST(ChartSettingsOnChart, SystemColourReadsAsThePaletteColour)
{
    chart::TChart chart;
    TChartSettingsRec rec = distinctSettings();
    rec.Color = -16777201; // the button face
    ApplySettings(chart, rec);
    EXPECT_EQ(chart.Color(), QGuiApplication::palette().color(QPalette::Button));
}

} // namespace
