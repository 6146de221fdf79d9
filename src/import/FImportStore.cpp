// Storing the import grid's rows into the table open in the main window.

#include "FImport.h"

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
    // Every field is offered for now; the store narrows this to the types it writes.
    Table.GetFieldNames(*FStoreFields);
    QStringList names = FStoreFields->Lines();
    names << QStringLiteral("[NEW]");
    names.sort(Qt::CaseInsensitive);
    ui->ListBoxFields->clear();
    ui->ListBoxFields->addItems(names);
}

void TFormImport::BtnStoreInDBFClick()
{
    // The store of the grid's rows into Table comes with the export parameters dialog.
}
