#pragma once
// The window "Import/edit data": the import grid with its row, column and cell operations,
// reading a file into it, saving it as semicolon-separated text, and storing its rows into the
// table open in the main window.

#include "ImportGrid.h"

#include "platform/db/Table.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Dialogs.h"

#include <QDialog>

#include <cstdint>
#include <memory>

namespace Ui {
class TFormImport;
}

class QListWidget;
class QPushButton;
class TImportGridView;

class TFormImport : public QDialog
{
    Q_OBJECT
public:
    explicit TFormImport(QWidget *parent = nullptr);
    ~TFormImport() override;

    /// Empties the grid to one named column and one numbered row; the file name, read mode,
    /// caption and target table stay. The data count as saved.
    void BtnClearClick(QObject *Sender = nullptr);
    /// Makes the table file TableName (full name) the target of "Store in DB".
    void PrepareStoreTable(const QString &TableName);
    /// The file last read or saved; '' when none.
    void GetFileName(QString &FileName) const;

    void DeleteColumn(int Col);
    void DeleteRow(int Row);
    /// Throws rtl::EInOutError when the file cannot be written; an earlier file stays intact.
    void SaveCSV(const QString &FileName, bool WithNames, bool WithNumbers);

    void DataGridSelectCell(int ACol, int ARow);
    void CB_ShiftBtnClick();
    void BtnLeftClick();
    void BtnRightClick();
    /// Moves the value of (Col, Row) one place in Direction (-1 or +1), pushing a run of filled
    /// cells before it; the selection follows. False, nothing changed, at the grid's edge.
    bool ShiftCell(int Row, int Col, int Direction);
    void BtnColAddClick();
    void BtnColDelClick();
    /// Sender is the button itself when the user pressed it; then a target table's fields are
    /// offered in ListBoxFields.
    void BtnColRenameClick(QObject *Sender);
    void SetColumnName(const QString &Name);
    void BtnRowAddClick();
    void BtnRowDelClick();
    void BtnReadClick();
    void BtnSaveClick();
    void BtnStoreInDBFClick();
    /// The Talnex import into this window, which it shows modeless and leaves shown. TargetTable
    /// becomes the store's target when it is a table; HistoryText is '' when the user stopped.
    void ImportTalnex(const QString &TargetTable, QString &HistoryText);
    /// Reads "row;column;value" lines into the grid and warns of the lines that gave no cell.
    void ReadContingencyTable(const QString &FileName);
    void BtnCancelClick();

    TImportGrid &Grid() { return m_grid; }
    const TImportGrid &Grid() const { return m_grid; }
    TImportGridView *DataGrid() const;
    QListWidget *ListBoxFields() const;
    QPushButton *BtnStoreInDBF() const;
    bool Saved() const { return FSaved; }
    uint8_t ReadMode() const { return FReadMode; }
    void SetReadMode(uint8_t mode) { FReadMode = mode; }
    /// The column waiting for a name from ListBoxFields; 0 when none.
    int RenameCol() const { return FRenameCol; }
    Ui::TFormImport &Form() const { return *ui; }

    /// Esc and the Cancel button ask before the window closes.
    void reject() override;

protected:
    /// The close box asks nothing; every close ends here.
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    void FormCreate();
    void FormClose();
    void FitPanelToTexts();
    void PlaceShiftButtons(int ACol, int ARow);
    void ShowFieldList();
    void HideFieldList();
    void RenameByInput(int Col);
    void SetCaptionFromFileName();
    void bringToFront();

    std::unique_ptr<Ui::TFormImport> ui;
    TImportGrid m_grid;
    ui::TSaveDialog SaveDlg;
    /// The target of "Store in DB", on the database "DBFtables"; open from PrepareStoreTable until
    /// the window closes.
    db::TTable Table;

    QString FFileName;
    /// The target table's storable field names; null until PrepareStoreTable.
    std::unique_ptr<rtl::TStringList> FStoreFields;
    int FRenameCol = 0;
    /// Shift, Ctrl and Alt as they were when BtnLeft or BtnRight was last pressed.
    Qt::KeyboardModifiers FShiftState;
    bool FSaved = true;
    /// How "Read" opens a file: 0 the open-text dialog as the user left it, 1 preset to
    /// TAB-delimited text with names in the first line.
    uint8_t FReadMode = 0;
};

extern TFormImport *FormImport;
