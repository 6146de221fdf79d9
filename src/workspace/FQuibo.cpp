#include "FQuibo.h"

#include "FDataItems.h"
#include "FHistory.h"
#include "FInfo.h"
#include "FReport.h"
#include "TextData.h"
#include "ui_FQuibo.h"

#include "charts/FChartProp.h"
#include "platform/chart/Chart.h"
#include "platform/chart/Color.h"
#include "platform/rtl/Random.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Help.h"
#include "platform/ui/StringGrid.h"

#include "statistics/CriticalValueSource.h"
#include "statistics/FStat.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QShortcut>

TFormQuibo *FormQuibo = nullptr;
QString HelpFilePath;
const char *const OnlineHelpUrl = "http://quibo.example/software/hlp_quibo/quibo.htm";

namespace {

const QString kTextDataFilter = QStringLiteral("Text data files (CSV,TXT)|*.csv;*.txt|DBF tables|*.dbf|All files|*.*");
const QString kChartImageFilter = QStringLiteral(
    "Windows bitmap|*.bmp|Windows enhanced metafile|*.wmf|Windows enhanced metafile|*.emf|All files|*.*");
constexpr int kDistGridDefaultColWidth = 44;
constexpr int kDistGridValueColWidth = 84;
constexpr int kDistGridRowHeight = 20;
constexpr int kDistGridTopGap = 145;

// Half-open [0.5, 1) draws give limit lines light, distinct colours.
double RandomHalf() { return (rtl::Random() + 1.0) / 2.0; }

QString gapText(int32_t position) { return QStringLiteral("%1/%2").arg(position - 1).arg(position); }

// Focus that leaves for another window or a popup (a message box, another program) is not the user
// leaving the box; only a move to another control of this window is.
bool leavesForAnotherControl(QEvent *event)
{
    const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

QString upperExtension(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix();
    return suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix.toUpper();
}

} // namespace

TFormQuibo::TFormQuibo(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::FormQuibo>())
{
    ui->setupUi(this);
    // No system menu, so no close box: the user quits with Cancel or Esc.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowMaximizeButtonHint);
    ui->DistGrid->SetColCount(3);
    ui->DistGrid->SetDefaultColWidth(kDistGridDefaultColWidth);
    ui->DistGrid->SetDefaultRowHeight(kDistGridRowHeight);
    ui->DistGrid->SetRowSelect(true);
    ui->DistGrid->SetRowCount(2);
    OpenDlg.Filter = kTextDataFilter;
    SaveDlg.DefaultExt = QStringLiteral("bmp");
    SaveDlg.Filter = kChartImageFilter;
    SaveDlg.OnTypeChange = [this](ui::TFileDialog &) { SaveDlgTypeChange(); };
    buildPopupMenu();
    connectHandlers();
    setHelpContexts();
    Panel1()->installEventFilter(this);
    ui->EditMinDev->installEventFilter(this);
    FormCreate();
}

TFormQuibo::~TFormQuibo()
{
    // The about box lives as long as this window; the global must not outlive it.
    if (FormInfo && FormInfo->parent() == this)
        FormInfo = nullptr;
}

chart::TChart *TFormQuibo::Chart1() const { return ui->Chart1; }

QWidget *TFormQuibo::Panel1() const { return ui->Panel1; }

void TFormQuibo::buildPopupMenu()
{
    PopupFunctions = new QMenu(this);
    PopupFunctions->setObjectName(QStringLiteral("PopupFunctions"));
    const QList<QAction *> groups[] = {
        {ui->Dataitems1, ui->Statistics1, ui->Dataregression1, ui->Runregressionscript1, ui->Readclasslimits1,
         ui->Setfactor1, ui->SaveClassification1, ui->Resultsintoclipboard1},
        {ui->Graphproperties1, ui->Graphsave1, ui->Copytoclipboard1},
        {ui->Print1},
        {ui->Tables1},
        {ui->Importeditdata1, ui->ImportTalnex1, ui->SQLcommand1, ui->Closedatabase1},
        {ui->History1, ui->Help1, ui->I_Helponline, ui->AboutQuibo1},
    };
    const char *separators[] = {"N1", "N2", "N3", "N4", "N5"};
    for (size_t g = 0; g < std::size(groups); ++g) {
        if (g > 0)
            PopupFunctions->addSeparator()->setObjectName(QLatin1String(separators[g - 1]));
        PopupFunctions->addActions(groups[g]);
        addActions(groups[g]); // short-cuts work while the menu is closed
    }
    ui->Runregressionscript1->setVisible(false);
    ui->Readclasslimits1->setVisible(false);
}

void TFormQuibo::connectHandlers()
{
    connect(ui->BtnOpen, &QPushButton::clicked, this, &TFormQuibo::BtnOpenClick);
    connect(ui->BtnClose, &QPushButton::clicked, this, [this] { BtnCloseClick(ui->BtnClose); });
    connect(ui->BtnCancel, &QPushButton::clicked, this, [this] { BtnCancelClick(ui->BtnCancel); });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            [this] { BtnCancelClick(ui->BtnCancel); });
    connect(ui->BtnFunctions, &QPushButton::clicked, this, &TFormQuibo::BtnFunctionsClick);
    connect(ui->EditProbab, &QLineEdit::textChanged, this, &TFormQuibo::EditProbabChange);
    connect(ui->DistGrid, &ui::TStringGrid::DblClick, this, &TFormQuibo::DistGridDblClick);
    connect(ui->RB_distribution, &QRadioButton::clicked, this, &TFormQuibo::RB_distributionClick);
    connect(ui->RB_Cases, &QRadioButton::clicked, this, &TFormQuibo::RB_CasesClick);
    connect(ui->Statistics1, &QAction::triggered, this, &TFormQuibo::Statistics1Click);
    connect(ui->Dataitems1, &QAction::triggered, this, &TFormQuibo::DataItems1Click);
    connect(ui->History1, &QAction::triggered, this, &TFormQuibo::History1Click);
    connect(ui->Tables1, &QAction::triggered, this, &TFormQuibo::Tables1Click);
    connect(ui->Help1, &QAction::triggered, this, &TFormQuibo::Help1Click);
    connect(ui->I_Helponline, &QAction::triggered, this, &TFormQuibo::I_HelponlineClick);
    connect(ui->AboutQuibo1, &QAction::triggered, this, &TFormQuibo::AboutQuibo1Click);
    connect(ui->Graphsave1, &QAction::triggered, this, &TFormQuibo::GraphSave1Click);
    connect(ui->Graphproperties1, &QAction::triggered, this, &TFormQuibo::Graphproperties1Click);
    connect(ui->Copytoclipboard1, &QAction::triggered, this, &TFormQuibo::Copytoclipboard1Click);
    connect(ui->Chart1, &chart::TChart::ClickSeries, this, &TFormQuibo::Chart1ClickSeries);
}

void TFormQuibo::setHelpContexts()
{
    ui::SetHelpContext(this, 20);
    ui::SetHelpContext(ui->Chart1, 20);
    ui::SetHelpContext(ui->Panel1, 20);
    ui::SetHelpContext(ui->BtnFunctions, 20);
    ui::SetHelpContext(ui->BtnOpen, 30);
    ui::SetHelpContext(ui->BtnQuery, 110);
    ui::SetHelpContext(ui->BtnClose, 40);
}

void TFormQuibo::FormCreate()
{
    FFileName.clear();
    FItemCount = 0;
    ui->DistGrid->SetColWidths(1, kDistGridValueColWidth);
    FRandomized = false;
    FProbability = 0.95;
    ui->EditProbab->setText(QStringLiteral("95"));
    FSkipValue = 0.0;
    FOutputTable.clear();
    FOutputMemoField.clear();
    FResults.Clear();
    FRegressionCount = 0;
    FAutomationQuery = false;
    FActivated = false;
    FHistoryFileName = QDir(ExecutableFolder()).filePath(QStringLiteral("history.txt"));
}

void TFormQuibo::FormActivate()
{
    if (FActivated)
        return;
    FActivated = true;
    if (!FormInfo) {
        FormInfo = new TFormInfo(this);
        FormInfo->SetProgramInfo(QString(), QString(), QString(), QString());
    }
    ui::ShowModal(*FormInfo);
    if (FormStat) // the critical-value tables lie beside the executable
        ui::HandleExceptions([] { FormStat->SetDatabasePath(ExecutableFolder()); });
    if (FormHistory) // an unreadable history is reported and the start goes on
        ui::HandleExceptions([this] { FormHistory->LoadHistory(FHistoryFileName); });
    UpdateControls();
    FMinStd = 0;
}

void TFormQuibo::FormResize() { ui->DistGrid->resize(ui->DistGrid->width(), Panel1()->height() - kDistGridTopGap); }

QString TFormQuibo::ExecutableFolder() { return QFileInfo(ui::TApplication::ExeName()).absolutePath(); }

bool TFormQuibo::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    else if (event->type() == QEvent::Show && !FActivated)
        // Without a window manager the window may never become active: run the first
        // activation once the window is on screen.
        QMetaObject::invokeMethod(this, &TFormQuibo::FormActivate, Qt::QueuedConnection);
    return QWidget::event(event);
}

bool TFormQuibo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Panel1() && event->type() == QEvent::Resize)
        FormResize();
    else if (watched == ui->EditMinDev && event->type() == QEvent::FocusOut && leavesForAnotherControl(event))
        EditMinDevExit();
    return QWidget::eventFilter(watched, event);
}

void TFormQuibo::closeEvent(QCloseEvent *event)
{
    // Closed by the system: no question, the history is not written.
    event->accept();
}

void TFormQuibo::EditProbabChange()
{
    const QString text = ui->EditProbab->text();
    if (!text.isEmpty())
        FProbability = rtl::StrToFloat(text) / 100.0;
}

void TFormQuibo::EditMinDevExit()
{
    double value = 0;
    if (rtl::TryStrToFloat(ui->EditMinDev->text(), value)) {
        FMinStd = value;
        return;
    }
    ui::MessageDlg(QStringLiteral("Wrog format of a real value for Minimal STD"), ui::TMsgDlgType::mtWarning,
                   ui::TMsgDlgButtons::mbOK);
    ui->EditMinDev->setFocus();
}

void TFormQuibo::BtnFunctionsClick()
{
    PopupFunctions->popup(Panel1()->mapToGlobal(QPoint(20, ui->BtnFunctions->y())));
}

bool TFormQuibo::IsDatabaseFile() const
{
    const QString extension = upperExtension(FFileName);
    return extension == QLatin1String(".DBF") || extension == QLatin1String(".DB");
}

void TFormQuibo::UpdateControls()
{
    const bool isDb = !FFileName.isEmpty() && IsDatabaseFile();
    const bool has = FItemCount > 0;
    ui->BtnOpen->setEnabled(FFileName.isEmpty());
    ui->BtnQuery->setVisible(isDb);
    ui->BtnClose->setEnabled(has);
    ui->RB_distribution->setEnabled(has);
    ui->RB_Cases->setEnabled(has);
    ui->CB_log->setEnabled(!has);
    for (QAction *action : {ui->Dataitems1, ui->Statistics1, ui->Dataregression1, ui->Graphsave1, ui->Print1})
        action->setEnabled(has);
    ui->Setfactor1->setEnabled(isDb && has);
    ui->SaveClassification1->setEnabled(isDb && has);
    ui->SQLcommand1->setEnabled(isDb);
    ui->Closedatabase1->setEnabled(isDb);
}

void TFormQuibo::BtnCancelClick(QObject *Sender)
{
    if (ui::MessageDlg(QStringLiteral("Quit of Quibo?"), ui::TMsgDlgType::mtConfirmation, ui::TMsgDlgButtons::mbYesNo)
        == ui::mrNo)
        return;
    if (FormHistory)
        FormHistory->SaveAndFree();
    if (!FFileName.isEmpty())
        BtnCloseClick(Sender);
    emit quitRequested();
    QCoreApplication::quit();
}

// ---- Opening data ----

void TFormQuibo::BtnOpenClick()
{
    if (!FFileName.isEmpty()) {
        ui::MessageDlg(QStringLiteral("Firstly you must close opened file"), ui::TMsgDlgType::mtWarning,
                       ui::TMsgDlgButtons::mbOK);
        return;
    }
    if (!OpenDlg.Execute())
        return;
    FFileName = OpenDlg.FileName;
    const QString extension = upperExtension(FFileName);
    if (extension == QLatin1String(".DBF") || extension == QLatin1String(".DB")) {
        OpenDatabaseTable(FFileName);
        return;
    }
    if (extension == QLatin1String(".CSV") || extension == QLatin1String(".TXT")) {
        if (!OpenTextFile())
            return;
    }
    if (!HasUsedValue()) {
        AbandonReading(QStringLiteral("No data values in ") + FFileName);
        return;
    }
    Analyse();
    setWindowTitle(QStringLiteral("Quibo [") + FFileName + QLatin1Char(']'));
    UpdateControls();
    AddHistoryItem(QStringLiteral("Open"), FFileName);
}

bool TFormQuibo::OpenTextFile()
{
    const bool logTransform = ui->CB_log->isChecked();
    FTransformText = logTransform ? QStringLiteral("Transformation: LOG(y)") : QString();
    Chart1()->SetTitle({FTransformText});
    FIdFieldName = QStringLiteral("ID");

    QFile file(FFileName);
    if (!file.open(QIODevice::ReadOnly)) {
        AbandonReading(QStringLiteral("Cannot open the file %1: %2").arg(FFileName, file.errorString()));
        return false;
    }
    TextDataFile data;
    try {
        data = ReadTextData(SplitTextLines(QString::fromLocal8Bit(file.readAll())), logTransform);
    } catch (const ETextDataError &error) {
        AbandonReading(error.Message());
        return false;
    } catch (const std::bad_alloc &) {
        AbandonReading(QStringLiteral("Not enough memory to read ") + FFileName);
        return false;
    }
    FItems = std::move(data.items);
    FItemCount = int(FItems.size());
    FResults.Clear();
    FResults.SetValues(QStringLiteral("log"), logTransform ? QStringLiteral("1") : QStringLiteral("0"));
    FRegressionCount = 0;
    if (!data.truncatedLines.isEmpty())
        WarnTruncatedLines(data.truncatedLines);
    return true;
}

void TFormQuibo::WarnTruncatedLines(const QList<int> &lines)
{
    const QString which = lines.size() == 1
                              ? QStringLiteral("Line %1 holds").arg(lines.first())
                              : QStringLiteral("Line %1 and %2 more lines hold").arg(lines.first()).arg(lines.size() - 1);
    ui::MessageDlg(QStringLiteral("%1 more than %2 values in %3; only the first %2 values of a line are kept.")
                       .arg(which)
                       .arg(MaxItemValues)
                       .arg(FFileName),
                   ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbOK);
}

void TFormQuibo::OpenDatabaseTable(const QString &FileName)
{
    AbandonReading(QStringLiteral("The table %1 cannot be opened: tables are not supported yet.").arg(FileName));
}

bool TFormQuibo::HasUsedValue() const
{
    return std::any_of(FItems.begin(), FItems.end(), [](const TDataItem &item) { return item.Used && item.Count > 0; });
}

void TFormQuibo::AbandonReading(const QString &warning)
{
    // Nothing half-read stays: the window goes back to "no data", ready to open a file again.
    ClearData();
    FFileName.clear();
    FTransformText.clear();
    setWindowTitle(QStringLiteral("Quibo"));
    ResetView(true);
    UpdateControls();
    ui::MessageDlg(warning, ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbOK);
}

void TFormQuibo::ClearData()
{
    FItems.clear();
    FItems.shrink_to_fit();
    FItemCount = 0;
}

// ---- Ordered differences and class limits ----

double TFormQuibo::OrderedValue(int position) const { return ValueOf(FItems, FOrdered[size_t(position)]); }

void TFormQuibo::Analyse()
{
    FOrdered = OrderValues(FItems);
    FDifferences = OrderDifferences(FItems, FOrdered);
    FClasses.clear();
    FillDistGrid();
}

void TFormQuibo::FillDistGrid()
{
    ui::TStringGrid &grid = *ui->DistGrid;
    grid.BeginUpdate();
    grid.SetRowCount(int(FDifferences.size()));
    for (int r = 0; r < int(FDifferences.size()); ++r) {
        grid.SetCells(1, r, rtl::FloatToStr(FDifferences[size_t(r)].Diff));
        grid.SetCells(2, r, gapText(FDifferences[size_t(r)].Position));
    }
    grid.EndUpdate();
}

void TFormQuibo::BtnCloseClick(QObject *Sender)
{
    const bool byUser = Sender == ui->BtnClose;
    if (byUser
        && ui::MessageDlg(QStringLiteral("End of the data file processing?"), ui::TMsgDlgType::mtConfirmation,
                          ui::TMsgDlgButtons::mbYesNo)
               == ui::mrNo)
        return;
    FDifferences.clear();
    FDifferences.shrink_to_fit();
    FOrdered.clear();
    FOrdered.shrink_to_fit();
    ClearDistGrid();
    FClasses.clear();
    if (FormReport) {
        FormReport->ResetGrid(0);
        FormReport->close();
    }
    if (!byUser) {
        ResetView(true);
        UpdateControls();
        return;
    }
    ClearData();
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
    if (Clear) {
        SetViewChecked(ui->RB_distribution, false);
        SetViewChecked(ui->RB_Cases, false);
        Chart1()->SetTitle(FTransformText.isEmpty() ? QStringList() : QStringList{FTransformText});
    }
    ui::TStringGrid &grid = *ui->DistGrid;
    for (int row = 0; row < grid.RowCount(); ++row) {
        if (grid.Cells(0, row).isEmpty())
            continue;
        if (Clear) {
            grid.SetCells(0, row, QString());
            grid.SetObjects(0, row, nullptr);
        } else {
            AddLimitLine(row);
        }
    }
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
    if (Row < 0 || Row >= int(FDifferences.size()))
        return; // an empty row after closing the data holds no gap
    ui::TStringGrid &grid = *ui->DistGrid;
    if (grid.Cells(0, Row).isEmpty()) {
        AddLimitLine(Row);
        return;
    }
    delete grid.Objects(0, Row);
    grid.SetObjects(0, Row, nullptr);
    grid.SetCells(0, Row, QString());
}

void TFormQuibo::AddLimitLine(int Row)
{
    if (Row < 0 || Row >= int(FDifferences.size()))
        return;
    const int32_t k = FDifferences[size_t(Row)].Position;
    const double level = (OrderedValue(k - 1) + OrderedValue(k)) / 2.0;

    auto *series = new chart::TLineSeries(this);
    if (!FRandomized) {
        rtl::Randomize();
        FRandomized = true;
    }
    const double h1 = RandomHalf(), h2 = RandomHalf(), h3 = RandomHalf();
    series->SetSeriesColor(chart::ColorFromTColor(int64_t(((h1 * 256 + h2) * 256 + h3) * 256)));
    series->SetName(QStringLiteral("Limit_%1_%2").arg(k - 1).arg(k));
    series->SetTitle(QStringLiteral("Limit %1/%2").arg(k - 1).arg(k));
    series->AddXY(0, level);
    if (ui->RB_distribution->isChecked())
        series->AddXY(double(FOrdered.size()) - 1, level);
    if (ui->RB_Cases->isChecked())
        series->AddXY(double(FItemCount) - 1, level);
    Chart1()->AddSeries(series);

    ui::TStringGrid &grid = *ui->DistGrid;
    if (grid.Cells(0, Row).isEmpty())
        grid.SetCells(0, Row, QStringLiteral("+"));
    grid.SetObjects(0, Row, series);
}

int TFormQuibo::SetLimitAfter(int Position)
{
    const int64_t count = int64_t(FOrdered.size());
    if (Position == count - 1)
        return 0;
    // The gap Position/Position+1 is the one that ends at ordered position Position + 1.
    if (Position < 0 || Position + 1 >= count)
        return -1;
    ToggleLimit(FOrdered[size_t(Position) + 1].Row);
    return 1;
}

// ---- Views ----

QChar TFormQuibo::ClassLetter(int Item, int ValueIndex) const
{
    if (Item < 0 || Item >= FItemCount || ValueIndex < 0 || ValueIndex >= FItems[size_t(Item)].Count)
        return QLatin1Char('?');
    return QChar(u'A' + FItems[size_t(Item)].Classes[size_t(ValueIndex)]);
}

chart::TPointSeries *TFormQuibo::NewDataSeries()
{
    auto *series = new chart::TPointSeries(this);
    series->SetSeriesColor(Qt::black);
    chart::TSeriesPointer pointer;
    pointer.Style = chart::TSeriesPointerStyle::psRectangle;
    pointer.HorizSize = 8;
    pointer.VertSize = 1;
    series->SetPointer(pointer);
    return series;
}

void TFormQuibo::RB_distributionClick()
{
    ResetView(false);
    if (FFileName.isEmpty()) {
        SetViewChecked(ui->RB_distribution, false);
        return;
    }
    chart::TPointSeries *series = NewDataSeries();
    std::vector<double> x(FOrdered.size()), y(FOrdered.size());
    for (size_t k = 0; k < FOrdered.size(); ++k) {
        x[k] = double(k);
        y[k] = OrderedValue(int(k));
    }
    series->SetPoints(std::move(x), std::move(y));
    Chart1()->SetLegendVisible(false);
    Chart1()->AddSeries(series);
}

void TFormQuibo::RB_CasesClick()
{
    ResetView(false);
    if (FFileName.isEmpty()) {
        SetViewChecked(ui->RB_Cases, false);
        return;
    }
    for (int i = 0; i < FItemCount; ++i) {
        const TDataItem &item = FItems[size_t(i)];
        if (!item.Used || item.Count == 0)
            continue;
        chart::TPointSeries *series = NewDataSeries();
        series->SetName(QStringLiteral("Data%1").arg(i));
        QStringList letters;
        for (int j = 0; j < item.Count; ++j)
            letters << ClassLetter(i, j);
        series->SetTitle(item.Id + QStringLiteral(" [") + letters.join(QLatin1Char(';')) + QLatin1Char(']'));
        series->SetPoints(std::vector<double>(item.Count, double(i)), item.Values);
        Chart1()->AddSeries(series);
    }
    Chart1()->SetLegendVisible(true);
}

// ---- Class statistics ----

void TFormQuibo::Statistics1Click() { ComputeStatistics(); }

std::vector<int> TFormQuibo::MarkedLimitRows() const
{
    std::vector<int> rows;
    const ui::TStringGrid &grid = *ui->DistGrid;
    const int count = std::min(grid.RowCount(), int(FDifferences.size()));
    for (int r = 0; r < count; ++r) {
        if (!grid.Cells(0, r).isEmpty())
            rows.push_back(r);
    }
    return rows;
}

void TFormQuibo::ComputeStatistics()
{
    if (FOrdered.empty())
        return;
    const std::vector<int> limitRows = MarkedLimitRows();
    if (int(limitRows.size()) + 1 > MaxClasses) {
        ui::MessageDlg(QStringLiteral("%1 limits give more than %2 classes; remove limits until at most %2 classes remain.")
                           .arg(limitRows.size())
                           .arg(MaxClasses),
                       ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbOK);
        return;
    }
    for (const int row : limitRows)
        ui->DistGrid->SetCells(0, row, QStringLiteral("__"));
    FClasses = BuildClasses(limitRows, FDifferences, int(FOrdered.size()));

    ui::TStringGrid *report = FormReport ? &FormReport->Grid() : nullptr;
    if (FormReport) {
        FormReport->ResetGrid(int(FClasses.size()));
        for (int c = 0; c < int(FClasses.size()); ++c) {
            report->SetCells(TFormReport::ColClass, c + 1, QChar(u'A' + c));
            report->SetCells(TFormReport::ColFirst, c + 1, QString::number(FClasses[size_t(c)].First));
            report->SetCells(TFormReport::ColLast, c + 1, QString::number(FClasses[size_t(c)].Last));
        }
        FormReport->show();
    }
    QString history = QString::number(FClasses.size());
    for (int c = 0; c < int(FClasses.size()); ++c)
        JudgeClass(c, history);
    if (ui->RB_distribution->isChecked())
        RB_distributionClick();
    else
        RB_CasesClick();
    AddHistoryItem(QStringLiteral("Statistics"), history);
}

double TFormQuibo::CriticalValue(int32_t cases)
{
    CriticalValueSource *source = FCriticalValues ? FCriticalValues : FormStat;
    if (!source)
        throw rtl::EInvalidOperation(QStringLiteral("No critical values are available"));
    return source->GetCriticalValue(dkNormal, 0, 0, cases, FProbability, 100000);
}

void TFormQuibo::JudgeClass(int c, QString &history)
{
    TClassRec &cls = FClasses[size_t(c)];
    history += QStringLiteral(" (%1,%2)").arg(cls.First).arg(cls.Last);
    long double sum = 0, sumOfSquares = 0;
    for (int k = cls.First; k <= cls.Last; ++k) {
        const TValueRef &ref = FOrdered[size_t(k)];
        const long double value = FItems[size_t(ref.Item)].Values[ref.ValueIndex];
        sum += value;
        sumOfSquares += value * value;
        FItems[size_t(ref.Item)].Classes[ref.ValueIndex] = uint8_t(c);
    }
    const int32_t n = cls.Last - cls.First + 1;
    const ClassMoments moments = ComputeMoments(sum, sumOfSquares, n);
    cls.Average = moments.average;
    cls.Std = moments.std;
    cls.InnerCrit = -1;
    if (n > 1) {
        const double t = CriticalValue(n);
        if (cls.Std > FMinStd)
            cls.InnerCrit = cls.Std * t;
        else if (FMinStd > 0)
            cls.InnerCrit = FMinStd * t;
    }
    ui::TStringGrid *report = FormReport ? &FormReport->Grid() : nullptr;
    if (cls.InnerCrit > 0 && report) {
        QStringList important;
        for (int m = cls.First + 1; m <= cls.Last; ++m) {
            if (FDifferences[size_t(FOrdered[size_t(m)].Row)].Diff >= cls.InnerCrit)
                important << QStringLiteral("%1/%2").arg(m - 1).arg(m);
        }
        report->SetCells(TFormReport::ColImportant, c + 1, important.join(QLatin1Char(';')));
    }
    const double s = cls.Std > FMinStd ? cls.Std : FMinStd;
    if (s > 0) {
        cls.OuterCrit = s * CriticalValue(n + 1);
        if (cls.LowerRow >= 0)
            MarkLimit(cls.LowerRow, 1, FDifferences[size_t(cls.LowerRow)].Diff >= cls.OuterCrit ? u'x' : u'o');
        if (cls.UpperRow >= 0)
            MarkLimit(cls.UpperRow, 0, FDifferences[size_t(cls.UpperRow)].Diff >= cls.OuterCrit ? u'x' : u'o');
    } else {
        cls.OuterCrit = -1;
    }
    if (report) {
        report->SetCells(TFormReport::ColAverage, c + 1, rtl::FloatToStrF(cls.Average, 6));
        report->SetCells(TFormReport::ColStd, c + 1,
                         rtl::FloatToStrF(cls.Std, 6) + (cls.Std < FMinStd ? QStringLiteral(" !") : QString()));
        report->SetCells(TFormReport::ColCritVal, c + 1, rtl::FloatToStrF(cls.InnerCrit, 6));
        report->SetCells(TFormReport::ColOuter, c + 1, rtl::FloatToStrF(cls.OuterCrit, 6));
    }
}

void TFormQuibo::MarkLimit(int row, int side, QChar judgement)
{
    // The first character judges the class below the limit, the second the class above it.
    QString mark = ui->DistGrid->Cells(0, row).leftJustified(2, u'_', true);
    mark[side] = judgement;
    ui->DistGrid->SetCells(0, row, mark);
}

void TFormQuibo::AddHistoryItem(const QString &Action, const QString &Detail)
{
    if (FormHistory)
        FormHistory->AddItem(Action, Detail);
}

// ---- Commands that open other windows ----

void TFormQuibo::DataItems1Click()
{
    BtnCloseClick(ui->Dataitems1);
    const QString used = ExecuteDataItems(FItems, FItemCount);
    if (HasUsedValue()) {
        Analyse();
    } else {
        // The analysis stays cleared; the user can choose items again or close the data.
        UpdateControls();
        ui::MessageDlg(QStringLiteral("No data item is in use. Mark items in \"Data items\" or close the data."),
                       ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbOK);
    }
    AddHistoryItem(QStringLiteral("Set_items"), used);
}

void TFormQuibo::Tables1Click()
{
    if (!FormStat || FormStat->isVisible())
        return;
    FormStat->show();
    FormStat->raise();
    FormStat->activateWindow();
}

void TFormQuibo::History1Click()
{
    if (!FormHistory)
        return;
    FormHistory->show();
    FormHistory->raise();
}

void TFormQuibo::Help1Click() { ui::ShowHelpContext(10); }

void TFormQuibo::I_HelponlineClick() { ui::OpenUrl(QUrl(QString::fromLatin1(OnlineHelpUrl))); }

void TFormQuibo::AboutQuibo1Click()
{
    if (FormInfo)
        ui::ShowModal(*FormInfo);
}

// ---- Chart images and clipboard ----

void TFormQuibo::GraphSave1Click()
{
    if (!SaveDlg.Execute())
        return;
    const QString extension = upperExtension(SaveDlg.FileName);
    if (extension == QLatin1String(".BMP"))
        Chart1()->SaveToBitmapFile(SaveDlg.FileName);
    else if (extension == QLatin1String(".WMF"))
        Chart1()->SaveToMetafile(SaveDlg.FileName);
    else if (extension == QLatin1String(".EMF"))
        Chart1()->SaveToMetafileEnh(SaveDlg.FileName);
}

void TFormQuibo::SaveDlgTypeChange()
{
    // The filter entries: 1 bitmap, 2 Windows metafile, 3 enhanced metafile, 4 all files.
    switch (SaveDlg.FilterIndex) {
    case 1: SaveDlg.DefaultExt = QStringLiteral("bmp"); break;
    case 2: SaveDlg.DefaultExt = QStringLiteral("wmf"); break;
    default: SaveDlg.DefaultExt.clear(); break;
    }
}

void TFormQuibo::Copytoclipboard1Click() { Chart1()->CopyToClipboardMetafile(); }

void TFormQuibo::Graphproperties1Click() { ShowChartProperties(Chart1()); }

void TFormQuibo::Chart1ClickSeries(chart::TChartSeries *Series, int ValueIndex)
{
    ui::ShowMessage(QStringLiteral("Series: ") + (Series ? Series->Name() : QString()) + QStringLiteral(" at point: ")
                    + QString::number(ValueIndex));
}
