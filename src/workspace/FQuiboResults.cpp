// The main window: the results list, the output table, the factor and the classification written back.
#include "FQuibo.h"

#include "FInfo.h"
#include "FQuiboHelpers.h"
#include "ResultsList.h"
#include "TableData.h"
#include "WriteBack.h"
#include "ui_FQuibo.h"

#include <QClipboard>

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
    FOutputQuery->SQL().Add(OutputRecordStatement(TableName, KeyField));
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
    int written = 0;
    {
        LiveQuery live(Query);
        if (Query.FindField(QStringLiteral("CLAS"))) {
            // Each item goes into the record it was read from, found by its place in the result:
            // identifiers need not be unique, nor be the field ID.
            const QString changed = RecordsChangedSinceRead(Query, FIdFieldName, FAnalysis, FFileName);
            if (!changed.isEmpty()) {
                ReportClassificationNotWritten(QStringLiteral("CLAS was not written: ") + changed);
                return;
            }
            const std::vector<TRecordWrite> writes = ClassificationWrites(FAnalysis);
            const TWriteOutcome outcome = WriteFieldValues(Query, QStringLiteral("CLAS"), writes);
            if (outcome.Failed) {
                ReportClassificationNotWritten(WriteFailureText(QStringLiteral("CLAS"), outcome));
                return;
            }
            written = int(writes.size());
        }
    }
    if (FOutputQuery)
        WriteResultsMemo(written);
}

void TFormQuibo::ReportClassificationNotWritten(const QString &reason)
{
    QString text = reason;
    if (FOutputQuery)
        text += QStringLiteral("\r\nThe results were not written into ") + FOutputTable + QLatin1Char('.');
    ui::MessageDlg(text, ui::TMsgDlgType::mtError, ui::TMsgDlgButtons::mbOK);
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
