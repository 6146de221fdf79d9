// Storing the import grid's rows into the table open in the main window.

#include "FImport.h"

#include "FExportParams.h"
#include "StoreTable.h"
#include "ui_FImport.h"

#include <QListWidget>

void TFormImport::PrepareStoreTable(const QString &TableName)
{
    if (Table.Active())
        Table.Close();
    Table.SetTableName(TableName);
    Table.Open();
    ui->BtnStoreInDBF->setEnabled(true);
    if (!FStoreFields)
        FStoreFields = std::make_unique<rtl::TStringList>();
    FStoreFields->Clear();
    for (const QString &name : StorableFieldNames(Table))
        FStoreFields->Add(name);
    QStringList names = FStoreFields->Lines();
    names << QStringLiteral("[NEW]");
    names.sort(Qt::CaseInsensitive);
    ui->ListBoxFields->clear();
    ui->ListBoxFields->addItems(names);
}

void TFormImport::BtnStoreInDBFClick()
{
    if (ui::MessageDlg(QStringLiteral("Store data into DBF table?"), ui::TMsgDlgType::mtConfirmation, ui::TMsgDlgButtons::mbYesNo)
        != ui::mrYes)
        return;
    QStringList columns;
    for (int column = 0; column < m_grid.ColCount(); ++column)
        columns << m_grid.Cells(column, 0);
    const QStringList fieldNames = FStoreFields ? FStoreFields->Lines() : QStringList();
    std::vector<TFieldRecord> fields;
    {
        TFormExportParams dialog(this);
        dialog.Execute(fieldNames, columns);
        for (int i = 0; i < fieldNames.size(); ++i) {
            QString value;
            const int column = dialog.GetParam(i, value);
            if (column >= 0 || !value.isEmpty())
                fields.push_back({column, value, Table.FieldByName(fieldNames[i])});
        }
    }
    if (fields.empty()) {
        ui::MessageDlg(QStringLiteral("No record was stored into DBF table."), ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbOK);
        return;
    }
    // An error ends the store with the records before it kept and the failing one dropped
    // (EStoreError, shown by the application's handler); no success is reported then.
    StoreGridRows(m_grid, Table, fields);
    FSaved = true;
    ui::MessageDlg(QStringLiteral("Data were stored into DBF table successfully."), ui::TMsgDlgType::mtInformation,
                   ui::TMsgDlgButtons::mbOK);
}
