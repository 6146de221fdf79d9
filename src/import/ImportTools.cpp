#include "ImportTools.h"

#include "FImport.h"
#include "FSQL.h"

#include "platform/ui/Dialogs.h"

#include <memory>

namespace {

/// The import window left by "Import Talnex", emptied, or a new one.
TFormImport &ClearedImportWindow()
{
    if (FormImport)
        FormImport->BtnClearClick(nullptr);
    else
        FormImport = new TFormImport;
    return *FormImport;
}

std::optional<QString> ImportEditData(const QString &TableName)
{
    if (FormImport && FormImport->isVisible()) {
        // Left shown by "Import Talnex": a shown window cannot become modal, and its grid may
        // hold an import not yet stored or saved. It stays as it is and comes to the front.
        if (!TableName.isEmpty())
            FormImport->PrepareStoreTable(TableName);
        FormImport->raise();
        FormImport->activateWindow();
        return std::nullopt;
    }
    TFormImport &window = ClearedImportWindow();
    if (!TableName.isEmpty())
        window.PrepareStoreTable(TableName);
    ui::ShowModal(window);
    QString fileName;
    window.GetFileName(fileName);
    delete FormImport;
    FormImport = nullptr;
    return fileName;
}

QString ImportTalnex(const QString &TargetTable)
{
    QString historyText;
    ClearedImportWindow().ImportTalnex(TargetTable, historyText);
    return historyText;
}

void SqlCommand(const QString &DatabaseName, const QString &Folder, const QString &TableFile)
{
    // A new window on every use; freeing it forgets it.
    FormSQL = new TFormSQL;
    const std::unique_ptr<TFormSQL> window(FormSQL);
    window->SetTable(DatabaseName, Folder, TableFile);
    if (ui::ShowModal(*window) == ui::mrOk)
        window->ExecSQL();
}

} // namespace

TToolWindows ImportToolWindows()
{
    return {.ImportEditData = ImportEditData, .ImportTalnex = ImportTalnex, .SqlCommand = SqlCommand};
}
