#include "FQuibo.h"

#include "AnalysisChart.h"
#include "DataFileKind.h"
#include "Detrend.h"
#include "FDataItems.h"
#include "FHistory.h"
#include "FInfo.h"
#include "FReport.h"
#include "FSetQuery.h"
#include "PrintReport.h"
#include "ResultsList.h"
#include "StoredResults.h"
#include "TableData.h"
#include "TextData.h"
#include "WriteBack.h"
#include "ui_FQuibo.h"

#include "charts/FChartProp.h"
#include "platform/chart/Chart.h"
#include "platform/db/DatabaseError.h"
#include "platform/rtl/Random.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Help.h"
#include "platform/ui/StringGrid.h"

#include "statistics/CriticalValues.h"
#include "statistics/FStat.h"
#include "statistics/RegressionChart.h"
#include "statistics/Ustatistics.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QPrinter>
#include <QShortcut>

#include <cmath>

TFormQuibo *FormQuibo = nullptr;
const char *const OnlineHelpUrl = "http://quibo.example/software/hlp_quibo/quibo.htm";

namespace {

const QString kTextDataFilter = QStringLiteral("Text data files (CSV,TXT)|*.csv;*.txt|DBF tables|*.dbf|All files|*.*");
const QString kChartImageFilter = QStringLiteral(
    "Windows bitmap|*.bmp|Windows enhanced metafile|*.wmf|Windows enhanced metafile|*.emf|All files|*.*");
constexpr int kDistGridDefaultColWidth = 44;
constexpr int kDistGridMarkColWidth = 26; // two mark characters leave the numbers more room
constexpr int kDistGridValueColWidth = 84;
constexpr int kDistGridRowHeight = 20;
constexpr int kDistGridTopGap = 145;
const QString kTablesDatabase = QStringLiteral("DBFtables");

// Focus that leaves for another window or a popup (a message box, another program) is not the user
// leaving the box; only a move to another control of this window is.
bool leavesForAnotherControl(QEvent *event)
{
    const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

bool IsProbabilityPercent(double percent) { return percent > 0 && percent < 100; }
// A query opened live for writing, closed and set back to not live however the work ends.
class LiveQuery
{
public:
    explicit LiveQuery(db::TQuery &query) : m_query(query)
    {
        if (query.Active())
            query.Close();
        query.SetRequestLive(true);
        try {
            query.Open();
        } catch (...) {
            query.SetRequestLive(false);
            throw;
        }
    }
    ~LiveQuery()
    {
        m_query.Close();
        m_query.SetRequestLive(false);
    }
    LiveQuery(const LiveQuery &) = delete;
    LiveQuery &operator=(const LiveQuery &) = delete;

private:
    db::TQuery &m_query;
};

// The output query holds its one record only while it is used.
class OpenedQuery
{
public:
    explicit OpenedQuery(db::TQuery &query) : m_query(query) { query.Open(); }
    ~OpenedQuery() { m_query.Close(); }
    OpenedQuery(const OpenedQuery &) = delete;
    OpenedQuery &operator=(const OpenedQuery &) = delete;

private:
    db::TQuery &m_query;
};

void warn(const QString &text) { ui::MessageDlg(text, ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbOK); }

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
    ui->DistGrid->SetColWidths(0, kDistGridMarkColWidth);
    ui->DistGrid->SetDefaultRowHeight(kDistGridRowHeight);
    ui->DistGrid->SetRowSelect(true);
    ui->DistGrid->SetColSizing(true);
    ui->DistGrid->SetRowCount(2);
    OpenDlg.Filter = kTextDataFilter;
    SaveDlg.DefaultExt = QStringLiteral("bmp");
    SaveDlg.Filter = kChartImageFilter;
    SaveDlg.OnTypeChange = [this](ui::TFileDialog &) { SaveDlgTypeChange(); };
    buildPopupMenu();
    setUpDatabase();
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
    // F1 is the window's help key (the page of the focused control); the menu shows it beside "Help".
    removeAction(ui->Help1);
    ui::InstallMenuHelp(PopupFunctions);
    ui->Runregressionscript1->setVisible(false);
    ui->Readclasslimits1->setVisible(false);
}

void TFormQuibo::setUpDatabase()
{
    Database1.SetDatabaseName(kTablesDatabase);
    Database1.SetDriverName(QStringLiteral("STANDARD"));
    Database1.Params().Add(QStringLiteral("PATH="));
    Database1.Params().Add(QStringLiteral("DEFAULT DRIVER=DBASE"));
    Database1.Params().Add(QStringLiteral("ENABLE BCD=FALSE"));
    Database1.SetLoginPrompt(false);
    Query.SetDatabaseName(kTablesDatabase);
}

void TFormQuibo::connectHandlers()
{
    connect(ui->BtnOpen, &QPushButton::clicked, this, &TFormQuibo::BtnOpenClick);
    connect(ui->BtnClose, &QPushButton::clicked, this, [this] { BtnCloseClick(ui->BtnClose); });
    connect(ui->BtnCancel, &QPushButton::clicked, this, [this] { BtnCancelClick(ui->BtnCancel); });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, [this] {
        if (ui->BtnCancel->isEnabled()) // a program serving an automation client does not quit
            BtnCancelClick(ui->BtnCancel);
    });
    connect(ui->BtnQuery, &QPushButton::clicked, this, [this] { BtnQueryClick(ui->BtnQuery); });
    connect(ui->Closedatabase1, &QAction::triggered, this, &TFormQuibo::Closedatabase1Click);
    connect(ui->Resultsintoclipboard1, &QAction::triggered, this, &TFormQuibo::Resultsintoclipboard1Click);
    // Alt+F4 reaches the window only where no window manager takes it; it asks like the close box.
    connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this), &QShortcut::activated, this, &QWidget::close);
    connect(ui->Dataregression1, &QAction::triggered, this, &TFormQuibo::Dataregression1Click);
    connect(ui->Runregressionscript1, &QAction::triggered, this, &TFormQuibo::Runregressionscript1Click);
    connect(ui->Readclasslimits1, &QAction::triggered, this, &TFormQuibo::Readclasslimits1Click);
    connect(ui->Setfactor1, &QAction::triggered, this, &TFormQuibo::Setfactor1Click);
    connect(ui->SaveClassification1, &QAction::triggered, this, &TFormQuibo::SaveClassification1Click);
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
    connect(ui->Print1, &QAction::triggered, this, &TFormQuibo::Print1Click);
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
    const std::pair<QAction *, int> entries[] = {
        {ui->Dataitems1, 60},       {ui->Statistics1, 70},          {ui->Dataregression1, 90},
        {ui->Runregressionscript1, 999}, {ui->Readclasslimits1, 999}, {ui->Setfactor1, 80},
        {ui->SaveClassification1, 75}, {ui->Resultsintoclipboard1, 76}, {ui->Graphproperties1, 100},
        {ui->Graphsave1, 105},      {ui->Copytoclipboard1, 106},    {ui->Print1, 120},
        {ui->Tables1, 130},         {ui->Importeditdata1, 140},     {ui->ImportTalnex1, 150},
        {ui->SQLcommand1, 180},     {ui->Closedatabase1, 160},      {ui->History1, 190},
        {ui->Help1, 10},            {ui->AboutQuibo1, 10},
    };
    for (const auto &[action, context] : entries)
        ui::SetHelpContext(action, context);
}

void TFormQuibo::FormCreate()
{
    FFileName.clear();
    ui->DistGrid->SetColWidths(1, kDistGridValueColWidth);
    FRandomized = false;
    FProbability = 0.95;
    ui->EditProbab->setText(QStringLiteral("95"));
    FResults.Clear();
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
    // Window managers show a close box whatever the window asks: it quits the way Cancel does.
    if (m_quitting) {
        event->accept(); // the application ends and closes its windows
        return;
    }
    event->ignore();
    BtnCancelClick(this);
}

void TFormQuibo::EditProbabChange()
{
    const QString text = ui->EditProbab->text();
    if (text.isEmpty())
        return;
    const double percent = rtl::StrToFloat(text);
    if (IsProbabilityPercent(percent)) // outside, the statistics refuse to run
        FProbability = percent / 100.0;
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

bool TFormQuibo::IsDatabaseFile() const { return IsTableFile(FFileName); }

void TFormQuibo::UpdateControls()
{
    const bool isDb = !FFileName.isEmpty() && IsDatabaseFile();
    const bool has = FAnalysis.ItemCount() > 0;
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
    if (FormHistory && !FormHistory->SaveAndFree())
        return; // the history stays; the user can mend the cause and quit again
    if (!FFileName.isEmpty())
        BtnCloseClick(Sender);
    m_quitting = true;
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
    const TDataFileKind kind = DataFileKind(FFileName);
    if (kind == TDataFileKind::DBase || kind == TDataFileKind::Paradox) {
        OpenDatabaseTable(FFileName);
        return;
    }
    if (kind == TDataFileKind::Text && !OpenTextFile())
        return;
    if (!FAnalysis.HasUsedValue()) {
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

    QFile file(FFileName);
    if (!file.open(QIODevice::ReadOnly)) {
        AbandonReading(QStringLiteral("Cannot open the file %1: %2").arg(FFileName, file.errorString()));
        return false;
    }
    TextDataFile data;
    try {
        data = ReadTextData(file.readAll(), logTransform);
    } catch (const ETextDataError &error) {
        AbandonReading(error.Message());
        return false;
    } catch (const std::bad_alloc &) {
        AbandonReading(QStringLiteral("Not enough memory to read ") + FFileName);
        return false;
    }
    FAnalysis.SetItems(std::move(data.items));
    FResults.Clear();
    FResults.SetValues(QStringLiteral("log"), logTransform ? QStringLiteral("1") : QStringLiteral("0"));
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

void TFormQuibo::AbandonReading(const QString &warning)
{
    // Nothing half-read stays: the window goes back to "no data", ready to open a file again.
    FAnalysis.ClearData();
    FFileName.clear();
    FTransformText.clear();
    setWindowTitle(QStringLiteral("Quibo"));
    ResetView(true);
    UpdateControls();
    ui::MessageDlg(warning, ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbOK);
}

// ---- Data tables ----

void TFormQuibo::OpenDatabaseTable(const QString &Name)
{
    if (Query.Active())
        Query.Close();
    if (Database1.Connected())
        Database1.Close();
    const QString folder = Name.left(Name.lastIndexOf(QLatin1Char('/')) + 1);
    Database1.Params().SetValues(QStringLiteral("PATH"), folder);
    try {
        Database1.Open();
    } catch (const db::EDatabaseError &error) {
        FFileName.clear();
        UpdateControls();
        throw;
    }
    if (!QFileInfo::exists(Name) && !CreateDatabaseTable(Name)) {
        FFileName.clear();
        UpdateControls();
        return;
    }
    AddHistoryItem(QStringLiteral("Open"), QStringLiteral("DBF:") + Name);
    if (Name == FFileName)
        BtnQueryClick(ui->BtnOpen);
    else
        FFileName = Name;
    FOutputQuery.reset();
    FOutputTable.clear();
    FOutputMemoField.clear();
    UpdateControls();
}

bool TFormQuibo::CreateDatabaseTable(const QString &Name)
{
    if (ui::MessageDlg(QStringLiteral("File ") + Name + QStringLiteral(" does not exists. Create new?"),
                       ui::TMsgDlgType::mtConfirmation, ui::TMsgDlgButtons::mbYesNo)
        == ui::mrNo)
        return false;
    if (Query.Active())
        Query.Close();
    Query.SQL().Clear();
    const QString caption = QStringLiteral("Create new DBF table");
    NewTableSpec spec;
    spec.FileName = QFileInfo(Name).fileName();
    for (;;) {
        const QString field = ui::InputBox(caption, QStringLiteral("Optional field specification"), QString());
        if (field.isEmpty())
            break;
        spec.OptionalFields << field;
    }
    try {
        spec.RfCount = rtl::StrToInt(ui::InputBox(caption, QStringLiteral("Number of Rf values"), QStringLiteral("3")));
        spec.RfFormat = ui::InputBox(caption, QStringLiteral("Format of Rf fields"), QStringLiteral("DECIMAL(6,3)"));
        spec.WithFactor = ui::MessageDlg(QStringLiteral("Include FACTOR variable field?"), ui::TMsgDlgType::mtConfirmation,
                                         ui::TMsgDlgButtons::mbYesNo)
                          == ui::mrYes;
        spec.WithClass = ui::MessageDlg(QStringLiteral("Include Classification variable field?"),
                                        ui::TMsgDlgType::mtConfirmation, ui::TMsgDlgButtons::mbYesNo)
                         == ui::mrYes;
        Query.SQL().Lines() = CreateTableStatement(spec);
        Query.ExecSQL();
    } catch (const rtl::Exception &error) {
        // Nothing was created; the window goes back to no open file.
        Query.SQL().Clear();
        ui::MessageDlg(QStringLiteral("The table %1 was not created: %2").arg(Name, error.Message()),
                       ui::TMsgDlgType::mtError, ui::TMsgDlgButtons::mbOK);
        return false;
    }
    Query.SQL().Clear();
    return true;
}

void TFormQuibo::ResetForQuery()
{
    FTransformText = ui->CB_log->isChecked() ? QStringLiteral("Transformation: LOG(y)") : QString();
    ResetView(true);
    if (FormReport)
        FormReport->ResetGrid(0);
    FAnalysis.ClearData();
    if (Query.Active())
        Query.Close();
    Query.SQL().Clear();
    FIdFieldName = QStringLiteral("ID");
}

void TFormQuibo::BtnQueryClick(QObject *Sender)
{
    ResetForQuery();
    const bool reread = Sender == ui->BtnQuery;
    int32_t n = -1;
    try {
        n = ExecuteQueryBuilder(Database1.DatabaseName(), QFileInfo(FFileName).fileName(),
                                reread ? FSqlLines.get() : nullptr, FIdFieldName, reread && FAutomationQuery);
    } catch (const rtl::Exception &error) {
        AbandonQuery(QStringLiteral("The query on %1 failed: %2").arg(FFileName, error.Message()), ui::TMsgDlgType::mtError);
        return;
    }
    if (n < 1) {
        AbandonQuery(QStringLiteral("No active data"), ui::TMsgDlgType::mtWarning);
        return;
    }
    GetQuerySQL(FormSetQuery, FSqlLines);
    try {
        ReadQueryRecords();
    } catch (const ETableDataError &error) {
        AbandonQuery(error.Message(), ui::TMsgDlgType::mtError);
        return;
    } catch (const rtl::Exception &error) {
        AbandonQuery(QStringLiteral("The table %1 cannot be read: %2").arg(FFileName, error.Message()),
                     ui::TMsgDlgType::mtError);
        return;
    } catch (const std::bad_alloc &) {
        AbandonQuery(QStringLiteral("Not enough memory to read ") + FFileName, ui::TMsgDlgType::mtError);
        return;
    }
    Analyse();
    setWindowTitle(QStringLiteral("Quibo [query of ") + FFileName + QLatin1Char(']'));
    UpdateControls();
    QString detail;
    for (const QString &line : FSqlLines->Lines())
        detail += line + QLatin1Char(' ');
    AddHistoryItem(QStringLiteral("SQL"), detail);
}

void TFormQuibo::ReadQueryRecords()
{
    Query.SQL().Lines() = SelectAllColumns(FSqlLines->Lines());
    Query.Open();
    const TableLayout layout = DescribeTable(Query.Fields());
    TableReadOptions options;
    options.IdFieldName = FIdFieldName;
    options.LogTransform = ui->CB_log->isChecked();
    options.SkipValue = FSkipValue;
    options.UseFactor = layout.HasFactor
                        && ui::MessageDlg(QStringLiteral("To use factor variable?"), ui::TMsgDlgType::mtConfirmation,
                                          ui::TMsgDlgButtons::mbYesNo)
                               != ui::mrNo;
    FTransformText = options.LogTransform ? QStringLiteral("Transformation: LOG(y)") : QString();
    if (options.UseFactor)
        FTransformText += (FTransformText.isEmpty() ? QStringLiteral("Transformation: ") : QStringLiteral("; "))
                          + QStringLiteral("FACTOR*y");
    Chart1()->SetTitle(FTransformText.isEmpty() ? QStringList() : QStringList{FTransformText});
    TableData data = ReadTableData(Query, options);
    Query.Close();
    FAnalysis.SetItems(std::move(data.items));
    ResetResults(FResults, options.LogTransform);
    FRegressionCount = 0;
    if (!data.truncatedItems.isEmpty())
        WarnTruncatedRecords(data.truncatedItems);
}

void TFormQuibo::AbandonQuery(const QString &message, ui::TMsgDlgType type)
{
    // Nothing half-read stays; the table stays open to be queried again or closed.
    if (Query.Active())
        Query.Close();
    FAnalysis.ClearData();
    ClearDistGrid();
    UpdateControls();
    ui::MessageDlg(message, type, ui::TMsgDlgButtons::mbOK);
}

void TFormQuibo::WarnTruncatedRecords(const QStringList &ids)
{
    constexpr int kNamed = 10;
    QString which = ids.mid(0, kNamed).join(QStringLiteral(", "));
    if (ids.size() > kNamed)
        which += QStringLiteral(" and %1 more").arg(ids.size() - kNamed);
    ui::MessageDlg(QStringLiteral("The records %1 hold more than %2 values; only the first %2 values of a record are kept.")
                       .arg(which)
                       .arg(MaxItemValues),
                   ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbOK);
}

void TFormQuibo::QueryWhere(const QString &Where)
{
    if (!FSqlLines)
        FSqlLines = std::make_unique<rtl::TStringList>();
    FSqlLines->Clear();
    FSqlLines->Add(QStringLiteral("SELECT ID FROM '") + QFileInfo(FFileName).fileName() + QLatin1Char('\''));
    FSqlLines->Add(QStringLiteral("WHERE ") + Where);
    FAutomationQuery = true;
    try {
        BtnQueryClick(ui->BtnQuery);
    } catch (...) {
        FAutomationQuery = false;
        throw;
    }
    FAutomationQuery = false;
    if (FAnalysis.IsAnalysed()) {
        ui->RB_Cases->setChecked(true);
        RB_CasesClick();
    }
    setWindowTitle(QStringLiteral("Quibo [query of ") + FFileName + QStringLiteral(" on ") + Where + QLatin1Char(']'));
}

void TFormQuibo::Closedatabase1Click()
{
    BtnCloseClick(ui->BtnClose);
    Database1.Close();
    FFileName.clear();
    if (FAnalysis.ItemCount() == 0) // after a No the items stay on view under their title
        setWindowTitle(QStringLiteral("Quibo"));
    UpdateControls();
}

// ---- Results list and output table ----

void TFormQuibo::StoreClassResults() { ::StoreClassResults(FResults, FAnalysis.Classes()); }

void TFormQuibo::StoreRegression(int Number, const TStatistics &Stat) { ::StoreRegression(FResults, Number, Stat); }

void TFormQuibo::Resultsintoclipboard1Click()
{
    StoreClassResults();
    const QString text = ResultsText(FResults);
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

void TFormQuibo::SetOutputTable(const QString &TableName, const QString &KeyField, const QString &MemoField)
{
    if (!FOutputQuery) {
        FOutputQuery = std::make_unique<db::TQuery>();
        FOutputQuery->SetDatabaseName(kTablesDatabase);
        FOutputQuery->SetRequestLive(true);
    }
    if (TableName == FOutputTable)
        return;
    FOutputQuery->Close();
    FOutputQuery->SQL().Clear();
    FOutputQuery->SQL().Add(QStringLiteral("SELECT * FROM '%1' WHERE %2= :%2").arg(TableName, KeyField));
    FOutputTable = TableName;
    FOutputMemoField = MemoField;
    ui->Runregressionscript1->setVisible(true);
    ui->Readclasslimits1->setVisible(true);
}

void TFormQuibo::SetOutputKey(int ItemType, const QString &ItemText)
{
    if (!FOutputQuery)
        throw rtl::EInvalidOperation(QStringLiteral("No output table has been named"));
    FOutputQuery->Prepare();
    db::TParams &params = FOutputQuery->Params();
    if (params.Count() != 1)
        throw rtl::EInvalidOperation(QStringLiteral("The output table's statement has no key parameter"));
    db::TParam &key = params[0];
    const bool known = ItemType >= db::ftUnknown && ItemType <= db::ftDataSet;
    key.Clear();
    key.SetDataType(known ? db::TFieldType(ItemType) : db::ftUnknown);
    key.SetText(ItemText);
}

void TFormQuibo::PrepareAutomation()
{
    if (FormInfo && FormInfo->isVisible())
        FormInfo->reject();
    ui->BtnCancel->setEnabled(false);
}

// ---- Regression ----

void TFormQuibo::Dataregression1Click()
{
    if (FAnalysis.Classes().empty()) {
        warn(QStringLiteral("Run statistics firstly"));
        return;
    }
    const std::optional<int> index = AskRegressionClass();
    if (!index)
        return;
    const std::optional<int> degree = AskRegressionDegree();
    if (!degree)
        return;
    TStatistics statistics;
    statistics.FMissingX = -9999.9999L;
    statistics.FMissingY = -9999.9999L;
    // Every predictor is read first: an identifier that is no number stops the command before
    // anything is fitted or changed.
    const std::vector<double> xs = Predictors(FAnalysis.Items(), PredictorFor(FFileName));
    AddClassPoints(statistics, FAnalysis.Items(), *index, xs);
    statistics.Compute(uint8_t(*degree));
    // A fit whose system could not be solved has no polynomial to show, subtract or store.
    bool applied = false;
    if (statistics.FComputed && statistics.HasPolynomial() && statistics.FCountX > *degree + 2) {
        DrawRegressionToChart(statistics, *Chart1(), false);
        if (ui::MessageDlg(QStringLiteral("Coefficient of determination Sqr(r)=")
                               + rtl::FloatToStr(double(statistics.FDetermination))
                               + QStringLiteral("\r\nDo you accept regression line?"),
                           ui::TMsgDlgType::mtConfirmation, ui::TMsgDlgButtons::mbYesNo)
            == ui::mrYes) {
            const std::vector<double> coefficients(statistics.FCoefficients.begin(), statistics.FCoefficients.end());
            Detrend(ui->Dataregression1, statistics.FOrder, coefficients, xs,
                    [&statistics](double x) { return double(statistics.Evaluate(x)); });
            StoreRegression(FRegressionCount, statistics);
            applied = true;
        }
    }
    if (applied)
        AddHistoryItem(QStringLiteral("Regression"), QStringLiteral("Class=%1,Degree=%2").arg(*index).arg(*degree));
    else
        ui::MessageDlg(QStringLiteral("Regression was not calculated"), ui::TMsgDlgType::mtInformation,
                       ui::TMsgDlgButtons::mbOK);
}

std::optional<int> TFormQuibo::AskRegressionClass()
{
    const int classCount = int(FAnalysis.Classes().size());
    for (;;) {
        QString answer = QStringLiteral("A");
        if (!ui::InputQuery(QStringLiteral("Regression setting"), QStringLiteral("Index of class"), answer))
            return std::nullopt;
        answer = answer.toUpper();
        if (answer.isEmpty())
            continue;
        const int index = answer[0].unicode() - u'A';
        if (index < classCount)
            return index;
        warn(QStringLiteral("Class must be less or equal to ") + ClassResultLetter(classCount - 1));
    }
}

std::optional<int> TFormQuibo::AskRegressionDegree()
{
    for (;;) {
        QString answer = QStringLiteral("1");
        if (!ui::InputQuery(QStringLiteral("Regression setting"), QStringLiteral("Polynom degree (1-9)"), answer))
            return std::nullopt;
        const int degree = rtl::StrToInt(answer);
        if (degree >= 1 && degree <= 9)
            return degree;
        warn(QStringLiteral("Index must be between 1 and 9"));
    }
}

void TFormQuibo::Detrend(QObject *Sender, int Degree, const std::vector<double> &Coefficients,
                         const std::vector<double> &xs, const std::function<double(double)> &curve)
{
    SubtractCurve(FAnalysis.Items(), xs, curve);
    FTransformText = TransformTextWithRegression(FTransformText, Degree);
    BtnCloseClick(Sender);
    Analyse();
    Chart1()->SetTitle(Chart1()->Title() << RegressionTitleLine(Coefficients, FIdFieldName));
    ++FRegressionCount;
}

void TFormQuibo::ApplyRegression(int32_t Degree, const std::vector<double> &Coefficients)
{
    if (Degree < 0 || int64_t(Coefficients.size()) < int64_t(Degree) + 1)
        throw rtl::EInvalidOperation(QStringLiteral("A regression of degree %1 needs %2 coefficients, not %3")
                                         .arg(Degree)
                                         .arg(int64_t(Degree) + 1)
                                         .arg(Coefficients.size()));
    const std::vector<double> c(Coefficients.begin(), Coefficients.begin() + Degree + 1);
    Detrend(ui->Runregressionscript1, Degree, c, Predictors(FAnalysis.Items(), PredictorFor(FFileName)),
            [&c](double x) { return PolynomialValue(c, x); });
}

void TFormQuibo::Runregressionscript1Click() { RunRegressionScript(); }

int32_t TFormQuibo::RunRegressionScript()
{
    if (FRegressionCount != 0) {
        warn(QStringLiteral("Adding an automatic regression is not possible."));
        return -1;
    }
    if (!FOutputQuery) {
        warn(QStringLiteral("Error: Database configuration."));
        return -1;
    }
    rtl::TStringList stored;
    if (!ReadOutputMemo(stored)) {
        SelectCasesView();
        return -1;
    }
    const QString count = stored.Values(QStringLiteral("number_of_regression"));
    if (count.isEmpty())
        return 0;
    const int32_t N = rtl::StrToInt(count);
    for (int r = 1; r <= N; ++r) {
        TStoredRegression regression;
        try {
            regression = ReadStoredRegression(stored, r);
        } catch (const EStoredResultError &error) {
            warn(error.Message());
            return -1;
        }
        ApplyRegression(regression.Degree, regression.Coefficients);
        CopyRegressionEntries(stored, r, regression.Degree, FResults, FRegressionCount);
    }
    SelectCasesView();
    return FRegressionCount;
}

bool TFormQuibo::ReadOutputMemo(rtl::TStringList &memo)
{
    OpenedQuery opened(*FOutputQuery);
    db::TField *field = FOutputQuery->FindField(FOutputMemoField);
    if (!field)
        return false;
    if (!FOutputQuery->IsEmpty())
        field->AssignTo(memo);
    return true;
}

void TFormQuibo::SelectCasesView()
{
    if (!FAnalysis.IsAnalysed())
        return;
    ui->RB_Cases->setChecked(true);
    RB_CasesClick();
}

// ---- Class limits read back and services ----

void TFormQuibo::Readclasslimits1Click() { ReadClassLimits(); }

int32_t TFormQuibo::ReadClassLimits()
{
    if (!FOutputQuery) {
        warn(QStringLiteral("Error: Database configuration."));
        return -1;
    }
    rtl::TStringList memo;
    ReadOutputMemo(memo); // without the memo field no class is read and the rest still runs
    const int64_t orderedCount = int64_t(FAnalysis.Ordered().size());
    std::vector<TStoredClass> stored;
    int64_t cum = -1;
    for (int c = 0;; ++c) {
        const QString entry = ResultValue(memo, ClassResultKey(c));
        if (entry.isEmpty())
            break;
        TStoredClass cls;
        const int n = ParseClassStat(entry, cls.Average, cls.Std);
        stored.push_back(cls);
        if (n >= 1)
            cum += n;
        if (n < 1 || cum >= orderedCount || SetLimitAfter(int(cum)) < 0) {
            warn(QStringLiteral("Error: Class read: ") + ClassResultLetter(c));
            return -1;
        }
    }
    ComputeStatistics();
    const int32_t classCount = FAnalysis.ClassCount();
    const QStringList differences = ClassDifferenceLines(stored, FAnalysis.Classes(), cum, orderedCount);
    if (!differences.isEmpty())
        warn(QStringLiteral("Classes loaded with some differences:\r\n") + differences.join(QStringLiteral("\r\n")));
    return classCount;
}

void TFormQuibo::SetMinStd(double Value)
{
    FMinStd = Value;
    ui->EditMinDev->setText(rtl::FloatToStr(Value));
}

// ---- Factor and classification write-back ----

void TFormQuibo::Setfactor1Click()
{
    if (FAnalysis.Classes().empty()) {
        warn(QStringLiteral("Run statistics firstly"));
        return;
    }
    double factor = 0;
    TWriteOutcome outcome;
    std::optional<int> index;
    {
        LiveQuery live(Query);
        if (!Query.FindField(QStringLiteral("FACTOR"))) {
            ui::MessageDlg(QStringLiteral("Factor field does not exist"), ui::TMsgDlgType::mtError,
                           ui::TMsgDlgButtons::mbOK);
            return;
        }
        index = AskFactorClass();
        if (!index)
            return;
        double average = FAnalysis.Classes()[size_t(*index)].Average;
        if (ui->CB_log->isChecked())
            average = std::exp(2.30258509 * average); // the values are base-10 logarithms
        if (average == 0)
            throw rtl::EMathError(QStringLiteral("The average of class %1 is 0 and has no reciprocal; no record was changed.")
                                      .arg(ClassResultLetter(*index)));
        factor = 1.0 / average;
        outcome = WriteFieldValues(Query, QStringLiteral("FACTOR"), EveryRecordWrites(Query, factor));
    }
    if (outcome.Failed) {
        ui::MessageDlg(WriteFailureText(QStringLiteral("FACTOR"), outcome), ui::TMsgDlgType::mtError,
                       ui::TMsgDlgButtons::mbOK);
        return;
    }
    ui::MessageDlg(QStringLiteral("Factor was set to ") + rtl::FloatToStr(factor), ui::TMsgDlgType::mtInformation,
                   ui::TMsgDlgButtons::mbOK);
    AddHistoryItem(QStringLiteral("Set_factor"), QString::number(*index));
}

std::optional<int> TFormQuibo::AskFactorClass()
{
    const int classCount = int(FAnalysis.Classes().size());
    QString answer = QStringLiteral("A");
    for (;;) {
        if (!ui::InputQuery(QStringLiteral("Factor setting"), QStringLiteral("Class for average"), answer))
            return std::nullopt;
        answer = answer.toUpper();
        if (answer.size() != 1) {
            warn(QStringLiteral("Error of input value\r\nOnly one character is acceptable!"));
            continue;
        }
        const int index = answer[0].unicode() - u'A';
        if (index >= 0 && index < classCount)
            return index;
        warn(QStringLiteral("Index must be less or equal to ") + QString::number(classCount - 1));
    }
}

void TFormQuibo::SaveClassification1Click()
{
    QStringList skipped;
    int written = 0;
    {
        LiveQuery live(Query);
        if (Query.FindField(QStringLiteral("CLAS"))) {
            // Every ID is converted and located before the first record changes.
            const std::vector<TRecordWrite> writes
                = LocateRecords(Query, QStringLiteral("ID"), ClassificationWrites(FAnalysis), skipped);
            const TWriteOutcome outcome = WriteFieldValues(Query, QStringLiteral("CLAS"), writes);
            if (outcome.Failed) {
                QString text = WriteFailureText(QStringLiteral("CLAS"), outcome);
                if (FOutputQuery)
                    text += QStringLiteral("\r\nThe results were not written into ") + FOutputTable + QLatin1Char('.');
                ui::MessageDlg(text, ui::TMsgDlgType::mtError, ui::TMsgDlgButtons::mbOK);
                return;
            }
            written = int(writes.size());
        }
    }
    if (FOutputQuery)
        WriteResultsMemo(written);
    if (!skipped.isEmpty())
        warn(SkippedItemsText(QStringLiteral("CLAS"), skipped));
}

void TFormQuibo::WriteResultsMemo(int clasWritten)
{
    StoreClassResults();
    const QString text = ResultsText(FResults);
    try {
        OpenedQuery opened(*FOutputQuery);
        db::TField *memo = FOutputQuery->FindField(FOutputMemoField);
        if (!memo) {
            warn(QStringLiteral("Unable write processing message into %1 (%2) [%3 records]")
                     .arg(FOutputTable, FOutputMemoField)
                     .arg(FOutputQuery->RecordCount()));
            return;
        }
        try {
            FOutputQuery->Edit();
            memo->SetAsString(text);
            FOutputQuery->Post();
        } catch (...) {
            if (FOutputQuery->State() != db::dsBrowse)
                FOutputQuery->Cancel();
            throw;
        }
    } catch (const rtl::Exception &error) {
        QString message = QStringLiteral("The results could not be written into %1 (%2): %3")
                              .arg(FOutputTable, FOutputMemoField, error.Message());
        if (clasWritten > 0)
            message += QStringLiteral("\r\nCLAS was written into %1 record(s).").arg(clasWritten);
        ui::MessageDlg(message, ui::TMsgDlgType::mtError, ui::TMsgDlgButtons::mbOK);
    }
}

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
               == ui::mrNo)
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
    delete found->second;
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

void TFormQuibo::ComputeStatistics()
{
    if (!FAnalysis.IsAnalysed())
        return;
    const size_t limitCount = FAnalysis.LimitRows().size();
    if (int(limitCount) + 1 > MaxClasses) {
        ui::MessageDlg(QStringLiteral("%1 limits give more than %2 classes; remove limits until at most %2 classes remain.")
                           .arg(limitCount)
                           .arg(MaxClasses),
                       ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbOK);
        return;
    }
    double percent = 0;
    const QString probability = ui->EditProbab->text();
    if (!probability.isEmpty() && !(rtl::TryStrToFloat(probability, percent) && IsProbabilityPercent(percent))) {
        ui::MessageDlg(QStringLiteral("The probability must lie above 0 and below 100 %, not ") + probability,
                       ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbOK);
        return;
    }
    CriticalValueSource &source = CriticalValues();
    if (FormReport)
        FormReport->show();
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

// ---- Commands that open other windows ----

void TFormQuibo::DataItems1Click()
{
    BtnCloseClick(ui->Dataitems1);
    const QString used = ExecuteDataItems(FAnalysis.Items(), FAnalysis.ItemCount());
    if (FAnalysis.HasUsedValue()) {
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

void TFormQuibo::Print1Click()
{
    QPrinter printer(QPrinter::HighResolution);
    ui::TPrinterSetupDialog PrinterSetupDlg;
    PrinterSetupDlg.Printer = &printer;
    if (!PrinterSetupDlg.Execute())
        return;
    QString copyright;
    if (FormInfo)
        FormInfo->GetCopyright(copyright);
    PrintReport(printer, {.FileName = FFileName,
                          .IsTable = IsDatabaseFile(),
                          .SqlLines = Query.SQL().Lines(),
                          .Analysis = &FAnalysis,
                          .DrawChart = [this](QPainter &painter, const QRect &target) { Chart1()->Draw(painter, target); },
                          .Date = QDate::currentDate(),
                          .Copyright = copyright});
}

void TFormQuibo::Graphproperties1Click() { ShowChartProperties(Chart1()); }

void TFormQuibo::Chart1ClickSeries(chart::TChartSeries *Series, int ValueIndex)
{
    ui::ShowMessage(QStringLiteral("Series: ") + (Series ? Series->Name() : QString()) + QStringLiteral(" at point: ")
                    + QString::number(ValueIndex));
}
