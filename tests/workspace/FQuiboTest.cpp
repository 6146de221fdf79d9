#include "MainWindowFixture.h"

#include "charts/FChartProp.h"

#include <QFocusEvent>
#include <QListWidget>

namespace {

using ui::mrNo;
using ui::mrYes;

TEST_F(MainWindowTest, OpensTextFileAndListsDifferencesLargestFirst)
{
    openText("A;1;3;3;7\n");
    EXPECT_TRUE(dialogs.lastFileDialog()->Filter.startsWith(QStringLiteral("Text data files (CSV,TXT)|*.csv;*.txt")));
    EXPECT_EQ(grid().RowCount(), 3);
    EXPECT_EQ(row(0), (QStringList{QString(), QStringLiteral("4"), QStringLiteral("2/3")}));
    EXPECT_EQ(row(1), (QStringList{QString(), QStringLiteral("2"), QStringLiteral("0/1")}));
    EXPECT_EQ(row(2), (QStringList{QString(), QStringLiteral("0"), QStringLiteral("1/2")}));
    EXPECT_TRUE(form->windowTitle().startsWith(QStringLiteral("Quibo [")));
    EXPECT_EQ(form->Results().Values(QStringLiteral("log")), QStringLiteral("0"));
}

TEST_F(MainWindowTest, GridShowsFifteenDigitsWithLocaleSeparator)
{
    rtl::SetFormatLocale(QLocale(QLocale::Czech));
    openText("a;0,1;0,4\n");
    EXPECT_EQ(grid().Cells(1, 0), QStringLiteral("0,3"));
}

TEST_F(MainWindowTest, LogTransformationSetsTitleAndResults)
{
    openText("a;10;1000\n", true);
    EXPECT_EQ(form->TransformText(), QStringLiteral("Transformation: LOG(y)"));
    EXPECT_EQ(chart().Title(), QStringList{QStringLiteral("Transformation: LOG(y)")});
    EXPECT_EQ(form->Results().Values(QStringLiteral("log")), QStringLiteral("1"));
    EXPECT_EQ(grid().Cells(1, 0), QStringLiteral("2"));
}

TEST_F(MainWindowTest, SecondOpenWarnsWhileAFileIsOpen)
{
    openText("a;1;2\n");
    dialogs.expectMessage(QStringLiteral("Firstly you must close opened file"));
    form->BtnOpenClick();
}

TEST_F(MainWindowTest, CancelledOpenChangesNothing)
{
    dialogs.expectFile(QString());
    form->BtnOpenClick();
    EXPECT_TRUE(form->FileName().isEmpty());
    EXPECT_TRUE(f().BtnOpen->isEnabled());
}

TEST_F(MainWindowTest, BadPieceStopsReadingAndLeavesWindowReadyToOpen)
{
    f().CB_log->setChecked(false);
    const QString path = writeFile(QStringLiteral("bad.txt"), "a;1;2\nb;1.2.3\n");
    dialogs.expectFile(path);
    dialogs.expectMessage(QStringLiteral("Reading of the data stopped at line 2: '1.2.3' is not a valid floating point value"));
    form->BtnOpenClick();
    EXPECT_TRUE(form->FileName().isEmpty());
    EXPECT_EQ(form->ItemCount(), 0);
    EXPECT_TRUE(form->Ordered().empty());
    EXPECT_TRUE(f().BtnOpen->isEnabled());
    EXPECT_TRUE(f().CB_log->isEnabled());
    openText("a;1;2\n");
    EXPECT_EQ(grid().RowCount(), 1);
}

TEST_F(MainWindowTest, LogOfZeroIsRefusedWithLineNumber)
{
    f().CB_log->setChecked(true);
    const QString path = writeFile(QStringLiteral("zero.csv"), "a;0\n");
    dialogs.expectFile(path);
    dialogs.expectMessage(QStringLiteral("line 1: the value '0' has no logarithm"));
    form->BtnOpenClick();
    EXPECT_TRUE(form->FileName().isEmpty());
}

TEST_F(MainWindowTest, FileWithoutValuesOrOtherExtensionIsRefused)
{
    const QString empty = writeFile(QStringLiteral("names.csv"), "only names\n;1;2\n");
    dialogs.expectFile(empty);
    dialogs.expectMessage(QStringLiteral("No data values in ") + empty);
    form->BtnOpenClick();
    EXPECT_TRUE(form->FileName().isEmpty());

    const QString other = writeFile(QStringLiteral("data.dat"), "a;1;2\n");
    dialogs.expectFile(other);
    dialogs.expectMessage(QStringLiteral("No data values in ") + other);
    form->BtnOpenClick();
    EXPECT_TRUE(f().BtnOpen->isEnabled());
}

TEST_F(MainWindowTest, LongLineKeeps255ValuesAfterAWarning)
{
    QByteArray line = "x";
    for (int v = 0; v < 260; ++v)
        line += ";" + QByteArray::number(v);
    f().CB_log->setChecked(false);
    dialogs.expectFile(writeFile(QStringLiteral("long.csv"), "a;1\n" + line + "\n"));
    dialogs.expectMessage(QStringLiteral("Line 2 holds more than 255 values in"));
    form->BtnOpenClick();
    ASSERT_EQ(form->Items().size(), 2u);
    EXPECT_EQ(form->Items()[1].Count, 255);
    EXPECT_EQ(form->Ordered().size(), 256u);
}

TEST_F(MainWindowTest, DoubleClickSetsAndRemovesLimitLine)
{
    openText("a;1;2;4;8\n");
    f().RB_distribution->setChecked(true);
    form->RB_distributionClick();
    grid().SetRow(0); // gap 2/3 = 4
    form->DistGridDblClick();
    EXPECT_EQ(grid().Cells(0, 0), QStringLiteral("+"));
    chart::TChartSeries *line = seriesNamed(QStringLiteral("Limit_2_3"));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(grid().Objects(0, 0), line);
    EXPECT_EQ(line->Title(), QStringLiteral("Limit 2/3"));
    ASSERT_EQ(line->Count(), 2);
    EXPECT_EQ(line->YValue(0), 6.0);
    EXPECT_EQ(line->XValue(1), 3.0);

    form->DistGridDblClick();
    EXPECT_TRUE(grid().Cells(0, 0).isEmpty());
    EXPECT_EQ(grid().Objects(0, 0), nullptr);
    EXPECT_EQ(seriesNamed(QStringLiteral("Limit_2_3")), nullptr);
}

TEST_F(MainWindowTest, LimitLineDeletedInTheChartPropertiesIsGoneForTheLimitToo)
{
    openText("a;1;2;4;8\n");
    grid().SetRow(0); // gap 2/3
    form->DistGridDblClick();
    f().Graphproperties1->trigger();
    ASSERT_NE(FormChartProp, nullptr);
    FormChartProp->FormActivate();
    auto *list = FormChartProp->findChild<QListWidget *>(QStringLiteral("ListSeries"));
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("0 Line: Limit 2/3"));
    // The right click on the row that opens the series menu, then its Delete.
    list->setCurrentRow(0);
    emit list->customContextMenuRequested(list->visualItemRect(list->item(0)).center());
    ASSERT_NE(FormChartProp->AttachedPopup(), nullptr);
    FormChartProp->PopupSeries()->findChild<QAction *>(QStringLiteral("Delete1"))->trigger();
    FormChartProp->PopupSeries()->hide();
    EXPECT_EQ(chart().SeriesCount(), 0);
    EXPECT_EQ(grid().Cells(0, 0), QStringLiteral("+")) << "the user's limit stays";
    EXPECT_EQ(grid().Objects(0, 0), nullptr) << "the row must not keep the freed line";

    form->DistGridDblClick(); // removes the limit whose line is gone
    EXPECT_TRUE(grid().Cells(0, 0).isEmpty());
    EXPECT_EQ(chart().SeriesCount(), 0);
    form->DistGridDblClick();
    EXPECT_EQ(grid().Cells(0, 0), QStringLiteral("+"));
    EXPECT_NE(seriesNamed(QStringLiteral("Limit_2_3")), nullptr);
    delete FormChartProp;
}

TEST_F(MainWindowTest, LimitWithoutViewHasOnePointUntilAViewIsChosen)
{
    openText("a;1;2;4\nb;10\n");
    form->ToggleLimit(0);
    chart::TChartSeries *line = seriesNamed(QStringLiteral("Limit_2_3"));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->Count(), 1);
    f().RB_Cases->setChecked(true);
    form->RB_CasesClick();
    line = seriesNamed(QStringLiteral("Limit_2_3"));
    ASSERT_NE(line, nullptr);
    ASSERT_EQ(line->Count(), 2);
    EXPECT_EQ(line->XValue(1), 1.0); // the last item's index
    EXPECT_EQ(grid().Cells(0, 0), QStringLiteral("+"));
}

TEST_F(MainWindowTest, SetLimitAfterTogglesByPosition)
{
    openText("a;1;2;4;8;16\n");
    EXPECT_EQ(form->SetLimitAfter(4), 0);
    EXPECT_EQ(form->SetLimitAfter(5), -1);
    EXPECT_EQ(form->SetLimitAfter(-3), -1);
    EXPECT_EQ(form->SetLimitAfter(3), 1);
    EXPECT_EQ(grid().Cells(0, 0), QStringLiteral("+"));
    EXPECT_EQ(grid().Cells(2, 0), QStringLiteral("3/4"));
    EXPECT_EQ(form->SetLimitAfter(3), 1);
    EXPECT_TRUE(grid().Cells(0, 0).isEmpty());
}

TEST_F(MainWindowTest, ViewsDrawBlackDashesPerItemWithClassLetters)
{
    openText("a;1;2\nskip\nc;5\n");
    f().RB_Cases->setChecked(true);
    form->RB_CasesClick();
    ASSERT_EQ(chart().SeriesCount(), 2);
    EXPECT_EQ(chart().Series(0)->Name(), QStringLiteral("Data0"));
    EXPECT_EQ(chart().Series(0)->Title(), QStringLiteral("a [A;A]"));
    EXPECT_EQ(chart().Series(1)->Name(), QStringLiteral("Data2"));
    EXPECT_EQ(chart().Series(1)->XValue(0), 2.0);
    EXPECT_EQ(chart().Series(1)->SeriesColor(), QColor(Qt::black));
    EXPECT_TRUE(chart().LegendVisible());
    EXPECT_EQ(form->ClassLetter(3, 0), QLatin1Char('?'));
    EXPECT_EQ(form->ClassLetter(0, 2), QLatin1Char('?'));

    f().RB_distribution->setChecked(true);
    form->RB_distributionClick();
    ASSERT_EQ(chart().SeriesCount(), 1);
    EXPECT_EQ(chart().Series(0)->Count(), 3);
    EXPECT_EQ(chart().Series(0)->YValue(2), 5.0);
    EXPECT_FALSE(chart().LegendVisible());
}

TEST_F(MainWindowTest, ViewButtonWithoutFileStaysUnchecked)
{
    f().RB_distribution->setChecked(true);
    form->RB_distributionClick();
    EXPECT_FALSE(f().RB_distribution->isChecked());
    EXPECT_EQ(chart().SeriesCount(), 0);
}

TEST_F(MainWindowTest, CloseAnsweredNoKeepsEverythingYesClearsTextFile)
{
    openText("a;1;2;4\n");
    form->ToggleLimit(0);
    dialogs.expectMessage(QStringLiteral("End of the data file processing?"), mrNo);
    form->BtnCloseClick(f().BtnClose);
    EXPECT_EQ(grid().Cells(0, 0), QStringLiteral("+"));

    dialogs.expectMessage(QStringLiteral("End of the data file processing?"), mrYes);
    form->BtnCloseClick(f().BtnClose);
    EXPECT_TRUE(form->FileName().isEmpty());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Quibo"));
    EXPECT_EQ(form->ItemCount(), 0);
    EXPECT_EQ(grid().RowCount(), 2);
    EXPECT_TRUE(grid().Cells(0, 0).isEmpty());
    EXPECT_EQ(chart().SeriesCount(), 0);
    EXPECT_EQ(grid().ColWidths(1), 84);
    form->DistGridDblClick(); // an empty row after closing holds no gap
    EXPECT_TRUE(grid().Cells(0, 0).isEmpty());
}

TEST_F(MainWindowTest, ClearingFromAnotherSenderKeepsItems)
{
    openText("a;1;2;4\n");
    QObject other;
    form->BtnCloseClick(&other);
    EXPECT_EQ(form->ItemCount(), 1);
    EXPECT_FALSE(form->FileName().isEmpty());
    EXPECT_TRUE(form->Differences().empty());
    form->Analyse();
    EXPECT_EQ(grid().RowCount(), 2);
}

TEST_F(MainWindowTest, UpdateControlsFollowsOpenData)
{
    EXPECT_TRUE(f().BtnOpen->isEnabled());
    EXPECT_FALSE(f().BtnClose->isEnabled());
    EXPECT_FALSE(f().Statistics1->isEnabled());
    EXPECT_TRUE(f().CB_log->isEnabled());
    EXPECT_FALSE(f().SQLcommand1->isEnabled());
    EXPECT_TRUE(f().History1->isEnabled());
    EXPECT_FALSE(f().Runregressionscript1->isVisible());
    openText("a;1;2\n");
    EXPECT_FALSE(f().BtnOpen->isEnabled());
    EXPECT_TRUE(f().BtnClose->isEnabled());
    EXPECT_TRUE(f().RB_Cases->isEnabled());
    EXPECT_FALSE(f().CB_log->isEnabled());
    EXPECT_TRUE(f().Statistics1->isEnabled());
    EXPECT_TRUE(f().Print1->isEnabled());
    EXPECT_FALSE(f().Setfactor1->isEnabled());
    EXPECT_FALSE(f().Closedatabase1->isEnabled());
    EXPECT_FALSE(form->IsDatabaseFile());
}

TEST_F(MainWindowTest, ProbabilityBoxConvertsPercentWithLocaleSeparator)
{
    f().EditProbab->setText(QStringLiteral("99"));
    EXPECT_DOUBLE_EQ(form->Probability(), 0.99);
    f().EditProbab->blockSignals(true);
    f().EditProbab->setText(QString());
    f().EditProbab->blockSignals(false);
    form->EditProbabChange();
    EXPECT_DOUBLE_EQ(form->Probability(), 0.99);
    rtl::SetFormatLocale(QLocale(QLocale::Czech));
    f().EditProbab->setText(QStringLiteral("99,9"));
    EXPECT_DOUBLE_EQ(form->Probability(), 0.999);
    f().EditProbab->blockSignals(true);
    f().EditProbab->setText(QStringLiteral("-"));
    f().EditProbab->blockSignals(false);
    EXPECT_THROW(form->EditProbabChange(), rtl::EConvertError);
    EXPECT_DOUBLE_EQ(form->Probability(), 0.999);
}

TEST_F(MainWindowTest, MinimalStdWarnsOnBadTextAndKeepsOldValue)
{
    f().EditMinDev->setText(QStringLiteral("-0.5"));
    form->EditMinDevExit();
    EXPECT_DOUBLE_EQ(form->MinStd(), -0.5);
    f().EditMinDev->setText(QString());
    dialogs.expectMessage(QStringLiteral("Wrog format of a real value for Minimal STD"));
    form->EditMinDevExit();
    EXPECT_DOUBLE_EQ(form->MinStd(), -0.5);
}

TEST_F(MainWindowTest, MinimalStdIsCheckedWhenFocusMovesToAnotherControlOnly)
{
    f().EditMinDev->setText(QStringLiteral("x"));
    QFocusEvent toOtherWindow(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(f().EditMinDev, &toOtherWindow);
    dialogs.expectMessage(QStringLiteral("Wrog format of a real value for Minimal STD"));
    QFocusEvent toNextControl(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(f().EditMinDev, &toNextControl);
}

TEST_F(MainWindowTest, QuitAsksAndClearsTheAnalysisOnYes)
{
    openText("a;1;2;4\n");
    dialogs.expectMessage(QStringLiteral("Quit of Quibo?"), mrNo);
    form->BtnCancelClick(f().BtnCancel);
    EXPECT_EQ(grid().RowCount(), 2);
    EXPECT_FALSE(form->Differences().empty());

    int quits = 0;
    QObject::connect(form.get(), &TFormQuibo::quitRequested, [&] { ++quits; });
    dialogs.expectMessage(QStringLiteral("Quit of Quibo?"), mrYes);
    form->BtnCancelClick(f().BtnCancel);
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(form->Differences().empty());
    EXPECT_EQ(form->ItemCount(), 1); // the quit clears the analysis, not the items
    EXPECT_EQ(dialogs.shown().back().buttons, ui::TMsgDlgButtons::mbYesNo);
}

TEST_F(MainWindowTest, FirstActivationRunsOnceAndSetsMinimalStdToZero)
{
    EXPECT_TRUE(form->Activated());
    f().EditMinDev->setText(QStringLiteral("2"));
    form->EditMinDevExit();
    form->FormActivate();
    EXPECT_DOUBLE_EQ(form->MinStd(), 2.0);
}

TEST_F(MainWindowTest, PopupMenuHoldsTheFunctionsInOrder)
{
    QStringList names;
    for (QAction *action : form->popupFunctions()->actions())
        names << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    EXPECT_EQ(names.join(QLatin1Char(' ')),
              QStringLiteral("Dataitems1 Statistics1 Dataregression1 Runregressionscript1 Readclasslimits1 Setfactor1 "
                             "SaveClassification1 Resultsintoclipboard1 - Graphproperties1 Graphsave1 Copytoclipboard1 - "
                             "Print1 - Tables1 - Importeditdata1 ImportTalnex1 SQLcommand1 Closedatabase1 - History1 "
                             "Help1 I_Helponline AboutQuibo1"));
    EXPECT_EQ(f().Dataregression1->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
}

} // namespace
