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
        return;
    }
    KeepTalnexColumns(m_grid);
    const QString temporary = TalnexTempFileName();
    SaveCSV(temporary, false, false);
    BtnClearClick(nullptr);
    ReadContingencyTable(temporary);
    m_grid.SetCells(0, 0, QStringLiteral("ID"));
    const bool startGiven = ui::MessageDlg(QStringLiteral("Is START value in first data column?"), ui::TMsgDlgType::mtConfirmation,
                                           ui::TMsgDlgButtons::mbYesNo)
                            != ui::mrNo;
    OrderTalnexRows(m_grid, startGiven);
    HistoryText = exportFile + QLatin1Char('(') + FFileName + QLatin1Char(')');
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
