// The chart properties dialog driven through its handlers and the dialog seam, on two charts.

#include "charts/FChartProp.h"
#include "charts/FMemoDlg.h"
#include "statistics/FGraph.h"
#include "ui_FChartProp.h"

#include "LocaleGuard.h"
#include "ScriptedDialogs.h"

#include "platform/chart/Chart.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Help.h"

#include <QFileInfo>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <qcustomplot.h>

#include <gtest/gtest.h>

namespace {

// A series of a class derived from the point series, as bubble series are.
class BubbleSeries : public chart::TPointSeries
{
public:
    using TPointSeries::TPointSeries;
};

// A series of a kind the dialog does not know.
class OtherSeries : public chart::TChartSeries
{
public:
    using TChartSeries::TChartSeries;

protected:
    void applyStyle(chart::SeriesGraph &) const override {}
};

class ChartPropTest : public ::testing::Test
{
protected:
    ChartPropTest() : locale(QLocale(QLocale::English, QLocale::UnitedStates))
    {
        chart.resize(400, 300);
        form.SetChart(&chart);
    }

    template <class T> T *widget(const char *name) { return form.findChild<T *>(QLatin1String(name)); }
    QLineEdit *edit(const char *name) { return widget<QLineEdit>(name); }
    QCheckBox *check(const char *name) { return widget<QCheckBox>(name); }
    QListWidget *list() { return widget<QListWidget>("ListSeries"); }
    QAction *item(const char *name) { return form.PopupSeries()->findChild<QAction *>(QLatin1String(name)); }

    template <class S> S *addSeries(const QString &title, std::vector<double> x = {}, std::vector<double> y = {})
    {
        auto *series = new S(&chart);
        series->SetTitle(title);
        series->SetPoints(std::move(x), std::move(y));
        chart.AddSeries(series);
        return series;
    }

    void selectRow(int row)
    {
        form.FormActivate();
        list()->setCurrentRow(row);
        form.ListSeriesClick();
        form.PopupSeriesPopup();
    }

    QStringList rows()
    {
        QStringList texts;
        for (int i = 0; i < list()->count(); ++i)
            texts << list()->item(i)->text();
        return texts;
    }

    LocaleGuard locale;
    ScriptedDialogs dialogs;
    chart::TChart chart;
    TFormChartProp form;
};

TEST_F(ChartPropTest, AutomaticAxisShowsItsRangeInDisabledEditsAndUncheckingKeepsIt)
{
    addSeries<chart::TLineSeries>(QStringLiteral("l"), {0, 10}, {1, 3});
    form.FormActivate();
    EXPECT_TRUE(check("CB_LeftAutomatic")->isChecked());
    EXPECT_FALSE(edit("EditLeftMin")->isEnabled());
    const QString shownMax = edit("EditLeftMax")->text();
    EXPECT_EQ(rtl::StrToFloat(shownMax), chart.LeftAxis().Maximum());
    EXPECT_GE(chart.LeftAxis().Maximum(), 3);

    check("CB_LeftAutomatic")->setChecked(false);
    form.CB_LeftAutomaticClick();
    EXPECT_TRUE(edit("EditLeftMin")->isEnabled());
    EXPECT_FALSE(chart.LeftAxis().Automatic());
    form.FormActivate();
    EXPECT_EQ(edit("EditLeftMax")->text(), shownMax);
}

TEST_F(ChartPropTest, RangeAboveTheMaximumNeedsTheMaximumFirst)
{
    chart.BottomAxis().SetAutomatic(false);
    chart.BottomAxis().SetMaximum(10);
    chart.BottomAxis().SetMinimum(0);
    form.FormActivate();

    edit("EditBottomMin")->setText(QStringLiteral("20"));
    try {
        form.EditBottomMinExit();
        FAIL() << "a minimum above the maximum was taken";
    } catch (const chart::EAxisError &error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Axis Minimum Value must be <= Maximum"));
    }
    EXPECT_EQ(chart.BottomAxis().Minimum(), 0);

    edit("EditBottomMax")->setText(QStringLiteral("30"));
    form.EditBottomMaxExit();
    form.EditBottomMinExit();
    EXPECT_EQ(chart.BottomAxis().Minimum(), 20);
    EXPECT_EQ(chart.BottomAxis().Maximum(), 30);

    edit("EditBottomMax")->setText(QStringLiteral("5"));
    EXPECT_THROW(form.EditBottomMaxExit(), chart::EAxisError);
    edit("EditBottomIncrement")->setText(QStringLiteral("-1"));
    EXPECT_THROW(form.EditBottomIncrementExit(), chart::EAxisError);
    edit("EditBottomIncrement")->setText(QStringLiteral("1,5"));
    EXPECT_THROW(form.EditBottomIncrementExit(), rtl::EConvertError);
    EXPECT_EQ(chart.BottomAxis().Maximum(), 30);
    EXPECT_EQ(chart.BottomAxis().Increment(), 0);

    // Closing the error box activates the dialog again: the refused entry keeps its text once.
    form.FormActivate();
    EXPECT_EQ(edit("EditBottomIncrement")->text(), QStringLiteral("1,5"));
    EXPECT_EQ(edit("EditBottomMax")->text(), QStringLiteral("30"));
    form.FormActivate();
    EXPECT_EQ(edit("EditBottomIncrement")->text(), QStringLiteral("0"));
}

TEST_F(ChartPropTest, LegendColourWidthFollowsEveryKeystroke)
{
    form.FormActivate();
    QLineEdit *width = edit("EditColorWidth");
    width->selectAll();
    QTest::keyClick(width, Qt::Key_Delete);
    EXPECT_EQ(chart.LegendColorWidth(), 12); // an empty text changes nothing
    QTest::keyClick(width, Qt::Key_3);
    EXPECT_EQ(chart.LegendColorWidth(), 3);
    width->clear();
    // The application's handler shows the conversion error of that keystroke.
    dialogs.expectMessage(QStringLiteral("'-' is not a valid integer value"));
    QTest::keyClick(width, Qt::Key_Minus);
    EXPECT_EQ(chart.LegendColorWidth(), 3);
}

TEST_F(ChartPropTest, BevelStepsItsWidthAtEachChecking)
{
    chart.SetBevelWidth(5);
    form.FormActivate();
    QCheckBox *bevel = check("CB_bevel");
    bevel->setChecked(true);
    form.CB_bevelClick();
    EXPECT_EQ(chart.BevelWidth(), 1);
    EXPECT_EQ(chart.BevelOuter(), chart::TPanelBevel::bvRaised);
    bevel->setChecked(false);
    form.CB_bevelClick();
    EXPECT_EQ(chart.BevelOuter(), chart::TPanelBevel::bvNone);
    bevel->setChecked(true);
    form.CB_bevelClick();
    EXPECT_EQ(chart.BevelWidth(), 2);
}

TEST_F(ChartPropTest, TitleAlignmentShowsAndSets)
{
    chart.SetTitleAlignment(chart::TAlignment::taLeftJustify);
    form.FormActivate();
    auto *alignment = widget<QComboBox>("CB_TitleAlignment");
    EXPECT_EQ(alignment->currentText(), QStringLiteral("left"));
    alignment->setCurrentText(QStringLiteral("center"));
    form.CB_TitleAlignmentChange();
    EXPECT_EQ(chart.TitleAlignment(), chart::TAlignment::taCenter);
}

TEST_F(ChartPropTest, TitleMemoIsAppliedWhenLeft)
{
    form.FormActivate();
    widget<QPlainTextEdit>("MemoTitle")->setPlainText(QStringLiteral("First\nSecond"));
    form.MemoTitleExit();
    EXPECT_EQ(chart.Title(), (QStringList{QStringLiteral("First"), QStringLiteral("Second")}));
    // The break typed after the last line ends it, as in the text lines dialog; it adds no empty line.
    widget<QPlainTextEdit>("MemoTitle")->setPlainText(QStringLiteral("First\n"));
    form.MemoTitleExit();
    EXPECT_EQ(chart.Title(), QStringList{QStringLiteral("First")});
}

TEST_F(ChartPropTest, FontButtonsTakeTheConfirmedFontOnly)
{
    form.FormActivate();
    QFont chosen(QStringLiteral("DejaVu Serif"), 15);
    chosen.setItalic(true);
    dialogs.expectFont(chosen, Qt::darkGreen);
    form.BtnLeftTFontClick();
    EXPECT_EQ(chart.LeftAxis().TitleFont().Size, 15);
    EXPECT_TRUE(chart.LeftAxis().TitleFont().Italic);
    EXPECT_EQ(chart.LeftAxis().TitleFont().Color, QColor(Qt::darkGreen));

    const chart::TChartFont before = chart.LegendFont();
    dialogs.expectFont(chosen, Qt::red, false);
    form.BtnLegendFontClick();
    EXPECT_EQ(chart.LegendFont(), before);
    EXPECT_EQ(dialogs.lastFontDialog()->Font.pointSize(), before.Size);
}

TEST_F(ChartPropTest, ChartWithoutSeriesGivesAnEmptyList)
{
    form.FormActivate();
    EXPECT_EQ(list()->count(), 0);
}

TEST_F(ChartPropTest, RowsNameIndexKindAndTitle)
{
    addSeries<chart::TPointSeries>(QStringLiteral("points"));
    addSeries<chart::TLineSeries>(QStringLiteral("line"));
    addSeries<chart::TFastLineSeries>(QStringLiteral("fast"));
    addSeries<chart::TBarSeries>(QStringLiteral("bars"));
    addSeries<chart::TArrowSeries>(QStringLiteral("arrows"));
    addSeries<chart::TChartShape>(QStringLiteral("shape"));
    addSeries<BubbleSeries>(QStringLiteral("bubbles"));
    addSeries<OtherSeries>(QStringLiteral("other"));
    form.FormActivate();
    EXPECT_EQ(rows(), (QStringList{"0 Point: points", "1 Line: line", "2 FLine: fast", "3 Bar: bars", "4 Arrow: arrows",
                                   "5 Shape: shape", "6 Point: bubbles", "7 ?: other"}));
}

TEST_F(ChartPropTest, PopupShowsTheSubmenuOfTheSeriesKind)
{
    addSeries<BubbleSeries>(QStringLiteral("bubbles"));
    addSeries<chart::TArrowSeries>(QStringLiteral("arrows"));
    addSeries<OtherSeries>(QStringLiteral("other"));
    addSeries<chart::TFastLineSeries>(QStringLiteral("fast"));
    const auto visible = [this] {
        QStringList names;
        for (const char *name : {"Pointseries1", "Lineseries1", "Arrowseries1", "Chartshape1", "RenameSeries", "Delete1"})
            if (item(name)->isVisible())
                names << QLatin1String(name);
        return names;
    };
    form.FormActivate();
    EXPECT_EQ(form.AttachedPopup(), nullptr);
    selectRow(0);
    EXPECT_NE(form.AttachedPopup(), nullptr);
    EXPECT_EQ(visible(), (QStringList{"Pointseries1", "RenameSeries", "Delete1"}));
    EXPECT_TRUE(item("Rectangle1")->isChecked());
    selectRow(1);
    EXPECT_EQ(visible(), (QStringList{"Arrowseries1", "RenameSeries", "Delete1"}));
    selectRow(2);
    EXPECT_EQ(visible(), (QStringList{"RenameSeries", "Delete1"}));
    selectRow(3);
    EXPECT_EQ(visible(), (QStringList{"Lineseries1", "RenameSeries", "Delete1"}));
    EXPECT_TRUE(item("Solid1")->isChecked());
}

TEST_F(ChartPropTest, ClearLineStyleHidesTheLineAndMovesTheCheckMark)
{
    auto *line = addSeries<chart::TLineSeries>(QStringLiteral("l"), {0, 1}, {0, 1});
    selectRow(0);
    item("Clear1")->trigger();
    EXPECT_EQ(line->LinePen().Style, chart::TPenStyle::psClear);
    EXPECT_EQ(line->graph()->pen().style(), Qt::NoPen);
    EXPECT_TRUE(item("Clear1")->isChecked());
    EXPECT_FALSE(item("Solid1")->isChecked());
}

TEST_F(ChartPropTest, PointToArrowStretchesFromTheOrigin)
{
    addSeries<chart::TLineSeries>(QStringLiteral("first"));
    addSeries<chart::TPointSeries>(QStringLiteral("marks"), {1, 2}, {1, 3});
    addSeries<chart::TLineSeries>(QStringLiteral("last"));
    selectRow(1);
    for (const char *answer : {"0", "0", "2.0", "2"})
        dialogs.expectInput(QLatin1String(answer));
    item("Pointtoarrow1")->trigger();
    ASSERT_EQ(chart.SeriesCount(), 3);
    auto *arrows = qobject_cast<chart::TArrowSeries *>(chart.Series(2));
    ASSERT_NE(arrows, nullptr);
    EXPECT_EQ(arrows->Title(), QStringLiteral("marks"));
    EXPECT_FALSE(arrows->ShowInLegend());
    EXPECT_EQ(arrows->parent(), &chart);
    ASSERT_EQ(arrows->Count(), 2);
    EXPECT_EQ(arrows->XValue(0), 0);
    EXPECT_EQ(arrows->EndXValue(0), 2);
    EXPECT_EQ(arrows->EndYValue(0), 2);
    EXPECT_EQ(arrows->EndXValue(1), 4);
    EXPECT_EQ(arrows->EndYValue(1), 6);
    EXPECT_EQ(arrows->Pointer().Pen.Width, 2);
    EXPECT_EQ(arrows->ArrowWidth(), 8);
    EXPECT_EQ(arrows->ArrowHeight(), 8);
    EXPECT_EQ(rows(), (QStringList{"0 Line: first", "1 Line: last", "2 Arrow: marks"}));
    EXPECT_EQ(dialogs.shown()[2].text, QStringLiteral("Multiplier"));
}

TEST_F(ChartPropTest, PointToArrowWithAWrongAnswerBuildsNothing)
{
    addSeries<chart::TPointSeries>(QStringLiteral("marks"), {1}, {1});
    selectRow(0);
    dialogs.expectInput(QStringLiteral("0"));
    dialogs.expectInput(QStringLiteral("zero"));
    EXPECT_THROW(item("Pointtoarrow1")->trigger(), rtl::EConvertError);
    // A width whose heads, four times as wide, no integer holds.
    for (const char *answer : {"0", "0", "1", "536870912"})
        dialogs.expectInput(QLatin1String(answer));
    EXPECT_THROW(item("Pointtoarrow1")->trigger(), chart::EChartError);
    ASSERT_EQ(chart.SeriesCount(), 1);
    EXPECT_EQ(SeriesKind(chart.Series(0)), TSeriesKind::Point);
}

TEST_F(ChartPropTest, TypedSizesNoChartCanDrawAreRefusedAndChangeNothing)
{
    auto *arrows = addSeries<chart::TArrowSeries>(QStringLiteral("a"));
    arrows->AddArrow(1, 1, 3, 5);
    auto *line = addSeries<chart::TLineSeries>(QStringLiteral("l"), {0, 1}, {0, 1});
    auto *points = addSeries<chart::TPointSeries>(QStringLiteral("p"), {0, 1}, {0, 1});
    const auto refused = [this](const char *menuItem, const char *answer) {
        dialogs.expectInput(QLatin1String(answer));
        try {
            item(menuItem)->trigger();
            ADD_FAILURE() << menuItem << " took " << answer;
            return QString();
        } catch (const chart::EChartError &error) {
            return error.Message();
        }
    };
    selectRow(0);
    EXPECT_EQ(refused("ArrowWidth1", "536870912"), QStringLiteral("The pen width must be 0 to 1000."));
    EXPECT_EQ(refused("ArrowWidth1", "-1"), QStringLiteral("The pen width must be 0 to 1000."));
    EXPECT_EQ(refused("Arrowsize1", "2147483647"), QStringLiteral("The arrow size must be 0 to 4000."));
    EXPECT_EQ(arrows->Pointer().Pen.Width, 1);
    EXPECT_EQ(arrows->ArrowWidth(), 4);
    EXPECT_EQ(arrows->ArrowHeight(), 4);
    dialogs.expectInput(QStringLiteral("1000"));
    item("ArrowWidth1")->trigger();
    EXPECT_EQ(arrows->ArrowWidth(), 4000);

    selectRow(1);
    EXPECT_FALSE(refused("Width1", "2147483647").isEmpty());
    EXPECT_EQ(line->LinePen().Width, 1);
    selectRow(2);
    EXPECT_FALSE(refused("Horizontalsize1", "2147483647").isEmpty());
    EXPECT_FALSE(refused("Verticalsize1", "1001").isEmpty());
    EXPECT_EQ(points->Pointer().HorizSize, 4);
    EXPECT_EQ(points->Pointer().VertSize, 4);
    chart.grab(); // the axes keep room for the marks it still has
}

TEST_F(ChartPropTest, LengthMultiplierMovesArrowEnds)
{
    auto *arrows = addSeries<chart::TArrowSeries>(QStringLiteral("a"));
    arrows->AddArrow(1, 1, 3, 5);
    selectRow(0);
    dialogs.expectInput(QStringLiteral("0.5"));
    item("Lengthmultiplier1")->trigger();
    EXPECT_EQ(arrows->EndXValue(0), 2);
    EXPECT_EQ(arrows->EndYValue(0), 3);
    dialogs.expectInput(QStringLiteral("1"), false); // cancelled: the default 1.0 changes nothing
    item("Lengthmultiplier1")->trigger();
    EXPECT_EQ(arrows->EndXValue(0), 2);
}

TEST_F(ChartPropTest, DeletedRowLeavesTheOthersActingOnTheirSeries)
{
    addSeries<chart::TLineSeries>(QStringLiteral("a"));
    auto *b = addSeries<chart::TLineSeries>(QStringLiteral("b"));
    addSeries<chart::TLineSeries>(QStringLiteral("c"));
    selectRow(0);
    item("Delete1")->trigger();
    EXPECT_EQ(rows(), (QStringList{"1 Line: b", "2 Line: c"}));
    ASSERT_EQ(chart.SeriesCount(), 2);
    EXPECT_TRUE(list()->selectedItems().isEmpty());
    item("Delete1")->trigger(); // the menu stays attached, but no row is selected any more
    ASSERT_EQ(chart.SeriesCount(), 2);
    list()->setCurrentRow(0);
    dialogs.expectInput(QStringLiteral("renamed"));
    item("RenameSeries")->trigger();
    EXPECT_EQ(b->Title(), QStringLiteral("renamed"));
    EXPECT_EQ(rows(), (QStringList{"0 Line: renamed", "2 Line: c"}));
    EXPECT_EQ(dialogs.shown().back().text, QStringLiteral("Series title [0]"));
}

TEST_F(ChartPropTest, ActiveAndLegendItemsSetTheSeries)
{
    auto *series = addSeries<chart::TLineSeries>(QStringLiteral("a"), {0, 1}, {0, 1});
    selectRow(0);
    item("ActiveNo")->trigger();
    item("InLegendNo")->trigger();
    EXPECT_FALSE(series->Active());
    EXPECT_FALSE(series->graph()->visible());
    EXPECT_FALSE(series->ShowInLegend());
    item("ActiveYes")->trigger();
    EXPECT_TRUE(series->graph()->visible());
}

TEST_F(ChartPropTest, ShapeTextIsReplacedOnlyOnOk)
{
    auto *shape = addSeries<chart::TChartShape>(QStringLiteral("s"), {0, 1}, {0, 1});
    shape->SetText({QStringLiteral("old")});
    selectRow(0);
    dialogs.expectModal([](QDialog &form) {
        static_cast<TFormMemoDialog &>(form).Memo()->setPlainText(QStringLiteral("new\nlines"));
        return int(ui::mrCancel);
    });
    item("Text1")->trigger();
    EXPECT_EQ(shape->Text(), QStringList{QStringLiteral("old")});
    dialogs.expectModal([](QDialog &form) {
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Edit chart shape text"));
        static_cast<TFormMemoDialog &>(form).Memo()->setPlainText(QStringLiteral("new\nlines"));
        return int(ui::mrOk);
    });
    item("Text1")->trigger();
    EXPECT_EQ(shape->Text(), (QStringList{QStringLiteral("new"), QStringLiteral("lines")}));
}

TEST_F(ChartPropTest, SavedSettingsLoadIntoTheOtherChart)
{
    QTemporaryDir dir;
    chart.SetTitle({QStringLiteral("Saved")});
    chart.BottomAxis().SetTitleCaption(QStringLiteral("Gap"));
    chart.SetBorderVisible(true);
    dialogs.expectFile(dir.filePath(QStringLiteral("look")));
    form.BtnSaveClick();
    EXPECT_EQ(dialogs.lastFileDialog()->Title, QStringLiteral("Save setting to file"));
    EXPECT_EQ(dialogs.lastFileDialog()->Filter, QStringLiteral("Setting file|*.gsf|Any file|*.*"));
    EXPECT_EQ(QFileInfo(dir.filePath(QStringLiteral("look.gsf"))).size(), 2992);

    chart::TChart other;
    form.SetChart(&other);
    dialogs.expectFile(dir.filePath(QStringLiteral("look.gsf")));
    form.BtnLoadClick();
    EXPECT_EQ(other.Title(), QStringList{QStringLiteral("Saved")});
    EXPECT_EQ(other.BottomAxis().TitleCaption(), QStringLiteral("Gap"));
    EXPECT_TRUE(other.BorderVisible());
    EXPECT_TRUE(check("CB_Border")->isChecked()); // the controls show the loaded settings
}

TEST_F(ChartPropTest, RefusedFileLeavesChartAndControlsAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.gsf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(2992, '\0')); // fonts of size 0
    file.close();
    chart.SetTitle({QStringLiteral("Kept")});
    form.FormActivate();
    try {
        form.LoadSettingsFile(path);
        FAIL() << "a spoilt file was loaded";
    } catch (const rtl::Exception &error) {
        EXPECT_TRUE(error.Message().contains(QStringLiteral("bad.gsf"))) << error.what();
    }
    EXPECT_EQ(chart.Title(), QStringList{QStringLiteral("Kept")});
    EXPECT_EQ(widget<QPlainTextEdit>("MemoTitle")->toPlainText(), QStringLiteral("Kept"));
}

TEST_F(ChartPropTest, ActivationWithoutChartWarns)
{
    TFormChartProp empty;
    dialogs.expectMessage(QStringLiteral("No initialization of the form"));
    empty.FormActivate();
    EXPECT_FALSE(empty.isVisible());
}

TEST_F(ChartPropTest, F1OpensTheChartPropertiesPage)
{
    ui::SetHelpFolder(QStringLiteral(QUIBO_SOURCE_DIR "/help"));
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    edit("EditLeftTitle")->setFocus();
    dialogs.expectUrl();
    QTest::keyClick(edit("EditLeftTitle"), Qt::Key_F1);
    ASSERT_EQ(dialogs.urls().size(), 1);
    EXPECT_EQ(QFileInfo(dialogs.urls().constFirst().toLocalFile()).fileName(), QStringLiteral("context-100.html"));
    ui::SetHelpFolder(QString());
}

TEST_F(ChartPropTest, EscClosesTheDialogFromEveryKindOfControl)
{
    addSeries<chart::TLineSeries>(QStringLiteral("curve"));
    for (const char *control : {"EditLeftMin", "MemoTitle", "ListSeries", "CB_Legend", "CB_TitleAlignment", "BtnColor"}) {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        auto *focused = widget<QWidget>(control);
        focused->setFocus();
        QTest::keyClick(focused, Qt::Key_Escape);
        EXPECT_FALSE(form.isVisible()) << control;
    }
}

TEST(ShowChartProperties, OneDialogFollowsTheLastChart)
{
    chart::TChart mainChart, graphChart;
    ShowChartProperties(&mainChart);
    TFormChartProp *first = FormChartProp;
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(first->windowFlags() & Qt::WindowStaysOnTopHint);
    first->BtnCloseClick();
    EXPECT_FALSE(first->isVisible());
    ShowChartProperties(&graphChart);
    EXPECT_EQ(FormChartProp, first);
    EXPECT_EQ(first->FChart(), &graphChart);
    EXPECT_TRUE(first->isVisible());
    delete FormChartProp;
    EXPECT_EQ(FormChartProp, nullptr);
}

TEST(ShowChartProperties, ChartFreedWhileTheDialogIsOpenIsForgotten)
{
    auto *chart = new chart::TChart;
    TFormChartProp form;
    form.SetChart(chart);
    form.FormActivate();
    delete chart;
    EXPECT_EQ(form.FChart(), nullptr);
    // The controls' last signals, as leaving an edit sends them, do nothing.
    auto *minimum = form.findChild<QLineEdit *>(QStringLiteral("EditLeftMin"));
    minimum->setText(QStringLiteral("3"));
    emit minimum->editingFinished();
    form.findChild<QCheckBox *>(QStringLiteral("CB_Border"))->click();
}

} // namespace

namespace {

TEST(GraphWindowProperties, ButtonOpensTheDialogOnTheGraphChart)
{
    TFormGraph graph;
    chart::TChart mainChart;
    ShowChartProperties(&mainChart);
    QTest::mouseClick(graph.findChild<QPushButton *>(QStringLiteral("BtnProperties")), Qt::LeftButton);
    ASSERT_NE(FormChartProp, nullptr);
    EXPECT_EQ(FormChartProp->FChart(), graph.Chart1());
    EXPECT_EQ(graph.Chart1()->LeftAxis().TitleCaption(), QStringLiteral("Probability"));
    EXPECT_TRUE(graph.Chart1()->LeftAxis().TitleFont().Bold);
    delete FormChartProp;
}

} // namespace
