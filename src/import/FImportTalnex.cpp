// The Talnex import: the export read into the grid, passed through "im.csv" as row, column and
// value lines, and turned into one row of ordered values per item.

#include "FImport.h"

#include "Talnex.h"
#include "ui_FImport.h"

#include <QFileInfo>

void TFormImport::ImportTalnex(const QString &TargetTable, QString &HistoryText)
{
    const QString extension = QFileInfo(TargetTable).suffix().toUpper();
    if (extension == QLatin1String("DBF") || extension == QLatin1String("DB"))
        PrepareStoreTable(TargetTable);
    show();
    FReadMode = 1;
    BtnReadClick();
    const QString exportFile = FFileName;
    if (ui::MessageDlg(QStringLiteral("Continue in preparation of data from Talnex?"), ui::TMsgDlgType::mtConfirmation,
                       ui::TMsgDlgButtons::mbYesNo)
        != ui::mrYes) {
        HistoryText.clear();
        bringToFront();
        return;
    }
    KeepTalnexColumns(m_grid);
    const QString temporary = TalnexTempFileName();
    // Every line keeps its three fields: an empty value still gives its row and column.
    ::SaveCSV(m_grid, temporary, false, false, TSavedLineEnd::LastColumn);
    BtnClearClick(nullptr);
    ReadContingencyTable(temporary);
    m_grid.SetCells(0, 0, QStringLiteral("ID"));
    const bool startGiven = ui::MessageDlg(QStringLiteral("Is START value in first data column?"), ui::TMsgDlgType::mtConfirmation,
                                           ui::TMsgDlgButtons::mbYesNo)
                            != ui::mrNo;
    OrderTalnexRows(m_grid, startGiven);
    HistoryText = exportFile + QLatin1Char('(') + FFileName + QLatin1Char(')');
    bringToFront();
}

// Each box of the import gives the activation back to the main window it was opened over; the
// window the import leaves for checking and storing must stand in front of it.
void TFormImport::bringToFront()
{
    raise();
    activateWindow();
}

void TFormImport::ReadContingencyTable(const QString &FileName)
{
    const int errors = ::ReadContingencyTable(m_grid, FileName);
    if (errors > 0)
        ui::MessageDlg(QStringLiteral("Error of construction of contingency table in %1 lines").arg(errors),
                       ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbOK);
    else
        FSaved = false;
}
