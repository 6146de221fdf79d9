// The main window: opening text files and data tables, the query and its automation form.
#include "FQuibo.h"

#include "DataFileKind.h"
#include "FQuiboHelpers.h"
#include "FReport.h"
#include "FSetQuery.h"
#include "ResultsList.h"
#include "TableData.h"
#include "TextData.h"
#include "ui_FQuibo.h"

#include "platform/db/DatabaseError.h"

#include <QScopeGuard>

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
    FIdFieldName = QStringLiteral("ID");
    ResetResults(FResults, logTransform);
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

QString TFormQuibo::OpenDatabaseTable(const QString &Name)
{
    if (Query.Active())
        Query.Close();
    if (Database1.Connected())
        Database1.Close();
    if (const QString unfit = UnfitTableName(Name); !unfit.isEmpty())
        return CloseUnopenedTable(unfit, true);
    const QString folder = Name.left(Name.lastIndexOf(QLatin1Char('/')) + 1);
    Database1.Params().SetValues(QStringLiteral("PATH"), folder);
    try {
        Database1.Open();
    } catch (const db::EDatabaseError &error) {
        FFileName.clear();
        UpdateControls();
        throw;
    }
    if (!QFileInfo::exists(Name)) {
        QString failure;
        bool created = false;
        try {
            created = CreateDatabaseTable(Name);
        } catch (const rtl::Exception &error) {
            failure = QStringLiteral("The table %1 was not created: %2").arg(Name, error.Message());
        }
        if (!created) {
            if (failure.isEmpty()) // declined: the user has answered already, the client gets told
                return CloseUnopenedTable(QStringLiteral("The table %1 was not created: \"%2\" was answered No")
                                              .arg(Name, CreateQuestion(Name)),
                                          false);
            return CloseUnopenedTable(failure, true);
        }
    }
    AddHistoryItem(QStringLiteral("Open"), QStringLiteral("DBF:") + Name);
    QString failure;
    if (Name == FFileName)
        failure = ReadByQuery(ui->BtnOpen);
    else
        FFileName = Name;
    FOutputQuery.reset();
    FOutputTable.clear();
    FOutputMemoField.clear();
    UpdateControls();
    return failure;
}

QString TFormQuibo::UnfitTableName(const QString &Name)
{
    // The folder of the name becomes the database's: a relative one would depend on where the
    // program happened to start.
    if (!QFileInfo(Name).isAbsolute())
        return QStringLiteral("The table name %1 is not a full path").arg(Name);
    if (!IsTableFile(Name))
        return QStringLiteral("%1 is not a dBASE or Paradox table (\".dbf\" or \".db\")").arg(Name);
    if (QFileInfo::exists(Name) && !QFileInfo(Name).isFile())
        return QStringLiteral("%1 is no table file").arg(Name);
    return QString();
}

QString TFormQuibo::CloseUnopenedTable(const QString &failure, bool showBox)
{
    // The window goes back to no open file.
    FFileName.clear();
    UpdateControls();
    if (showBox)
        ui::MessageDlg(failure, ui::TMsgDlgType::mtError, ui::TMsgDlgButtons::mbOK);
    return failure;
}

QString TFormQuibo::CreateQuestion(const QString &Name)
{
    return QStringLiteral("File ") + Name + QStringLiteral(" does not exists. Create new?");
}

bool TFormQuibo::CreateDatabaseTable(const QString &Name)
{
    if (ui::MessageDlg(CreateQuestion(Name), ui::TMsgDlgType::mtConfirmation, ui::TMsgDlgButtons::mbYesNo)
        != ui::mrYes)
        return false;
    if (Query.Active())
        Query.Close();
    Query.SQL().Clear();
    const auto clearStatement = qScopeGuard([this] { Query.SQL().Clear(); });
    const QString caption = QStringLiteral("Create new DBF table");
    NewTableSpec spec;
    spec.FileName = QFileInfo(Name).fileName();
    for (;;) {
        const QString field = ui::InputBox(caption, QStringLiteral("Optional field specification"), QString());
        if (field.isEmpty())
            break;
        spec.OptionalFields << field;
    }
    spec.RfCount = rtl::StrToInt(ui::InputBox(caption, QStringLiteral("Number of Rf values"), QStringLiteral("3")));
    // No item holds more values, and a larger count would only build a statement no table takes.
    if (spec.RfCount > MaxItemValues)
        throw rtl::EConvertError(QStringLiteral("Number of Rf values must be at most %1").arg(MaxItemValues));
    spec.RfFormat = ui::InputBox(caption, QStringLiteral("Format of Rf fields"), QStringLiteral("DECIMAL(6,3)"));
    // A question the ending program closed leaves the table undecided: it is not created.
    spec.WithFactor = ui::ConfirmAnswered(QStringLiteral("Include FACTOR variable field?"));
    spec.WithClass = ui::ConfirmAnswered(QStringLiteral("Include Classification variable field?"));
    Query.SQL().Lines() = CreateTableStatement(spec);
    Query.ExecSQL();
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

void TFormQuibo::BtnQueryClick(QObject *Sender) { ReadByQuery(Sender); }

QString TFormQuibo::ReadByQuery(QObject *Sender)
{
    ResetForQuery();
    const bool reread = Sender == ui->BtnQuery;
    int32_t n = -1;
    try {
        n = ExecuteQueryBuilder(Database1.DatabaseName(), QFileInfo(FFileName).fileName(),
                                reread ? FSqlLines.get() : nullptr, FIdFieldName, reread && FAutomationQuery);
    } catch (const rtl::Exception &error) {
        return FailQuery(QStringLiteral("The query on %1 failed: %2").arg(FFileName, error.Message()));
    }
    if (n < 1) {
        AbandonQuery(QStringLiteral("No active data"), ui::TMsgDlgType::mtWarning);
        return QString();
    }
    GetQuerySQL(FormSetQuery, FSqlLines);
    try {
        ReadQueryRecords(n);
    } catch (const ETableDataError &error) {
        return FailQuery(error.Message());
    } catch (const rtl::Exception &error) {
        return FailQuery(QStringLiteral("The table %1 cannot be read: %2").arg(FFileName, error.Message()));
    } catch (const std::bad_alloc &) {
        return FailQuery(QStringLiteral("Not enough memory to read ") + FFileName);
    }
    Analyse();
    setWindowTitle(QStringLiteral("Quibo [query of ") + FFileName + QLatin1Char(']'));
    UpdateControls();
    QString detail;
    for (const QString &line : FSqlLines->Lines())
        detail += line + QLatin1Char(' ');
    AddHistoryItem(QStringLiteral("SQL"), detail);
    return QString();
}

void TFormQuibo::ReadQueryRecords(int32_t expectedRecords)
{
    Query.SQL().Lines() = SelectAllColumns(FSqlLines->Lines());
    Query.Open();
    const TableLayout layout = DescribeTable(Query.Fields());
    TableReadOptions options;
    options.IdFieldName = FIdFieldName;
    options.LogTransform = ui->CB_log->isChecked();
    options.SkipValue = FSkipValue;
    options.ExpectedRecords = expectedRecords;
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

QString TFormQuibo::FailQuery(const QString &message)
{
    AbandonQuery(message, ui::TMsgDlgType::mtError);
    return message;
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

QString TFormQuibo::QueryWhere(const QString &Where)
{
    if (!IsDatabaseFile()) {
        const QString failure = QStringLiteral("No data table is open to read by the condition ") + Where;
        ui::MessageDlg(failure, ui::TMsgDlgType::mtError, ui::TMsgDlgButtons::mbOK);
        return failure;
    }
    if (!FSqlLines)
        FSqlLines = std::make_unique<rtl::TStringList>();
    FSqlLines->Lines() = SelectIdsWhere(QFileInfo(FFileName).fileName(), Where);
    FAutomationQuery = true;
    const QString failure = [this] {
        const auto unseen = qScopeGuard([this] { FAutomationQuery = false; });
        return ReadByQuery(ui->BtnQuery);
    }();
    if (!failure.isEmpty())
        return failure;
    if (FAnalysis.IsAnalysed()) {
        ui->RB_Cases->setChecked(true);
        RB_CasesClick();
    }
    setWindowTitle(QStringLiteral("Quibo [query of ") + FFileName + QStringLiteral(" on ") + Where + QLatin1Char(']'));
    return QString();
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
