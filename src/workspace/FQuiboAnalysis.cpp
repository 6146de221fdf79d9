// The main window: ordered differences, class limits, the views and the class statistics.
#include "FQuibo.h"

#include "AnalysisChart.h"
#include "FHistory.h"
#include "FQuiboHelpers.h"
#include "FReport.h"
#include "ui_FQuibo.h"

#include "platform/rtl/Random.h"
#include "platform/ui/Application.h"

#include "statistics/FGraph.h"
#include "statistics/FStat.h"

// ---- Ordered differences and class limits ----

void TFormQuibo::Analyse()
{
    FAnalysis.Analyse();
    FillDistGrid();
}

void TFormQuibo::FillDistGrid()
{
    // Millions of rows: the texts are made for the rows shown, from the differences as they stand.
    ui::TStringGrid &grid = *ui->DistGrid;
    grid.BeginUpdate();
    grid.SetRowCount(int(FAnalysis.Differences().size()));
    // Formatted when shown or read: a million rows cost nothing until they are seen.
    grid.SetColumnText(1, [this](int row) { return DifferenceText(FAnalysis, row); });
    grid.SetColumnText(2, [this](int row) { return DifferenceGapText(FAnalysis, row); });
    grid.EndUpdate();
    // Wide enough for 15 digits after leading zeros or with an exponent, and for the highest positions.
    grid.FitColumnToText(1, rtl::FloatToStr(0.000123456789012345));
    grid.FitColumnToText(1, rtl::FloatToStr(1.23456789012345E-10));
    grid.FitColumnToText(2, GapText(int32_t(FAnalysis.Ordered().size()) - 1));
}

void TFormQuibo::BtnCloseClick(QObject *Sender)
{
    const bool byUser = Sender == ui->BtnClose;
    if (byUser
        && ui::MessageDlg(QStringLiteral("End of the data file processing?"), ui::TMsgDlgType::mtConfirmation,
                          ui::TMsgDlgButtons::mbYesNo)
               != ui::mrYes)
        return;
    FAnalysis.ClearAnalysis();
    m_limitLines.clear(); // the lines go with the chart's series below
    ClearDistGrid();
    if (FormReport) {
        FormReport->ResetGrid(0);
        FormReport->close();
    }
    if (!byUser) {
        ResetView(true);
        UpdateControls();
        return;
    }
    FAnalysis.ClearData();
    if (!IsDatabaseFile()) {
        FFileName.clear();
        setWindowTitle(QStringLiteral("Quibo"));
    }
    FTransformText.clear();
    ResetView(true);
    UpdateControls();
}

void TFormQuibo::ClearDistGrid()
{
    ui::TStringGrid &grid = *ui->DistGrid;
    grid.BeginUpdate();
    grid.SetRowCount(0);
    grid.SetRowCount(2);
    grid.EndUpdate();
    grid.SetColWidths(1, kDistGridValueColWidth);
}

void TFormQuibo::ResetView(bool Clear)
{
    Chart1()->FreeAllSeries();
    m_limitLines.clear();
    if (Clear) {
        SetViewChecked(ui->RB_distribution, false);
        SetViewChecked(ui->RB_Cases, false);
        Chart1()->SetTitle(FTransformText.isEmpty() ? QStringList() : QStringList{FTransformText});
        const std::vector<int> rows = FAnalysis.LimitRows();
        FAnalysis.ClearLimits();
        for (const int row : rows) {
            ui->DistGrid->SetCells(0, row, QString());
            ui->DistGrid->SetObjects(0, row, nullptr);
        }
        return;
    }
    for (const int row : FAnalysis.LimitRows())
        AddLimitLine(row);
}

void TFormQuibo::SetViewChecked(QRadioButton *button, bool checked)
{
    // Exclusive radio buttons cannot be unchecked directly.
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(checked);
    button->setAutoExclusive(exclusive);
}

void TFormQuibo::DistGridDblClick() { ToggleLimit(ui->DistGrid->Row()); }

void TFormQuibo::ToggleLimit(int Row)
{
    if (Row < 0 || Row >= int(FAnalysis.Differences().size()))
        return; // an empty row after closing the data holds no gap
    if (!FAnalysis.HasLimit(Row)) {
        AddLimitLine(Row);
        return;
    }
    RemoveLimitLine(Row);
    FAnalysis.RemoveLimit(Row);
    ui->DistGrid->SetObjects(0, Row, nullptr);
    ui->DistGrid->SetCells(0, Row, QString());
}

void TFormQuibo::RemoveLimitLine(int row)
{
    const auto found = m_limitLines.find(row);
    if (found == m_limitLines.end())
        return;
    delete found->second.data(); // none when the chart properties deleted the line
    m_limitLines.erase(found);
}

void TFormQuibo::AddLimitLine(int Row)
{
    if (Row < 0 || Row >= int(FAnalysis.Differences().size()))
        return;
    if (!FRandomized) {
        rtl::Randomize();
        FRandomized = true;
    }
    const TLimitSpan span = ui->RB_distribution->isChecked() ? TLimitSpan::Distribution
                            : ui->RB_Cases->isChecked()      ? TLimitSpan::Cases
                                                             : TLimitSpan::None;
    chart::TLineSeries *series = NewLimitLine(this, FAnalysis, Row, span, RandomLimitColor());
    Chart1()->AddSeries(series);

    RemoveLimitLine(Row);
    m_limitLines[Row] = series;
    FAnalysis.SetLimit(Row);
    ui->DistGrid->SetCells(0, Row, FAnalysis.LimitMark(Row));
    ui->DistGrid->SetObjects(0, Row, series);
}

int TFormQuibo::SetLimitAfter(int Position)
{
    if (Position == int64_t(FAnalysis.Ordered().size()) - 1)
        return 0;
    const int row = FAnalysis.RowOfGapAfter(Position);
    if (row < 0)
        return -1;
    ToggleLimit(row);
    return 1;
}

// ---- Views ----

QChar TFormQuibo::ClassLetter(int Item, int ValueIndex) const { return FAnalysis.ClassLetter(Item, ValueIndex); }

void TFormQuibo::RB_distributionClick()
{
    ResetView(false);
    if (FFileName.isEmpty()) {
        SetViewChecked(ui->RB_distribution, false);
        return;
    }
    DrawDistributionView(*Chart1(), FAnalysis);
}

void TFormQuibo::RB_CasesClick()
{
    ResetView(false);
    if (FFileName.isEmpty()) {
        SetViewChecked(ui->RB_Cases, false);
        return;
    }
    DrawCasesView(*Chart1(), FAnalysis);
}

// ---- Class statistics ----

void TFormQuibo::Statistics1Click() { ComputeStatistics(); }

CriticalValueSource &TFormQuibo::CriticalValues() const
{
    CriticalValueSource *source = FCriticalValues ? FCriticalValues : nullptr;
    if (!source && FormStat)
        source = &FormStat->criticalValues();
    if (!source)
        throw rtl::EInvalidOperation(QStringLiteral("No critical values are available"));
    return *source;
}

void TFormQuibo::showReport()
{
    FormReport->ShowBeside(*this);
    // The report stays on top: under it, the buttons of these windows could not be reached.
    for (QWidget *window : std::initializer_list<QWidget *>{FormHistory, FormStat, FormGraph}) {
        if (window && window->isVisible())
            ui::MoveClearOf(*window, *FormReport, ui::FrameMargins(*this));
    }
}

bool TFormQuibo::ComputeStatistics()
{
    if (!FAnalysis.IsAnalysed())
        return true;
    const size_t limitCount = FAnalysis.LimitRows().size();
    if (int(limitCount) + 1 > MaxClasses) {
        ui::MessageDlg(QStringLiteral("%1 limits give more than %2 classes; remove limits until at most %2 classes remain.")
                           .arg(limitCount)
                           .arg(MaxClasses),
                       ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbOK);
        return false;
    }
    double percent = 0;
    const QString probability = ui->EditProbab->text();
    if (!probability.isEmpty() && !(rtl::TryStrToFloat(probability, percent) && IsProbabilityPercent(percent))) {
        ui::MessageDlg(QStringLiteral("The probability must lie above 0 and below 100 %, not ") + probability,
                       ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbOK);
        return false;
    }
    CriticalValueSource &source = CriticalValues();
    if (FormReport)
        showReport();
    try {
        FAnalysis.JudgeClasses(source, FProbability, FMinStd);
    } catch (...) {
        // What was judged before the failure stays on view.
        ShowLimitMarks();
        if (FormReport)
            FormReport->ShowJudgement(FAnalysis.Judgement());
        throw;
    }
    ShowLimitMarks();
    if (FormReport)
        FormReport->ShowJudgement(FAnalysis.Judgement());
    if (ui->RB_distribution->isChecked()) {
        RB_distributionClick();
    } else {
        ui->RB_Cases->setChecked(true); // the cases view is drawn: its button says so
        RB_CasesClick();
    }
    AddHistoryItem(QStringLiteral("Statistics"), FAnalysis.Judgement().HistoryText);
    return true;
}

void TFormQuibo::ShowLimitMarks()
{
    for (const int row : FAnalysis.LimitRows())
        ui->DistGrid->SetCells(0, row, FAnalysis.LimitMark(row));
}

void TFormQuibo::AddHistoryItem(const QString &Action, const QString &Detail)
{
    if (FormHistory)
        FormHistory->AddItem(Action, Detail);
}
