#include "FQuibo.h"

#include "DataFileKind.h"
#include "FHistory.h"
#include "FInfo.h"
#include "FQuiboHelpers.h"
#include "ui_FQuibo.h"

#include "platform/ui/Application.h"
#include "platform/ui/Help.h"

#include "statistics/FStat.h"

#include <QDir>
#include <QMenu>
#include <QShortcut>

TFormQuibo *FormQuibo = nullptr;
const char *const OnlineHelpUrl = "http://quibo.example/software/hlp_quibo/quibo.htm";

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
    Panel1()->setMinimumHeight(kDistGridTopGap + kDistGridMinRows * kDistGridRowHeight + 2 * ui->DistGrid->frameWidth());
    ui->Chart1->setMinimumWidth(kChartMinWidth);
    OpenDlg.Filter = kTextDataFilter;
    OpenDlg.FileMustExist = false; // a table named that does not exist yet is offered to be created
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
    connect(ui->Importeditdata1, &QAction::triggered, this, &TFormQuibo::Importeditdata1Click);
    connect(ui->ImportTalnex1, &QAction::triggered, this, &TFormQuibo::ImportTalnex1Click);
    connect(ui->SQLcommand1, &QAction::triggered, this, &TFormQuibo::SQLcommand1Click);
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
    // The box starts at 0; an automation client may have set another value before this first
    // activation (its calls run while the start screen is shown), and the box shows it.
    FMinStd = rtl::StrToFloat(ui->EditMinDev->text());
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
        != ui::mrYes)
        return;
    if (!ui::CloseQuery())
        return;
    if (FormHistory && !FormHistory->SaveAndFree())
        return; // the history stays; the user can mend the cause and quit again
    if (!FFileName.isEmpty())
        BtnCloseClick(Sender);
    m_quitting = true;
    emit quitRequested();
    QCoreApplication::quit();
}
