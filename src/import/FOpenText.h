#pragma once
// The dialog "Open text file": reads a fixed-column text through a mask, a delimited text, or a
// table through the query builder into the import grid. Its options are kept in the settings
// store between runs.

#include "OpenTextOptions.h"

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class TFormOpenText;
}

class QCheckBox;
class TImportGrid;

class TFormOpenText : public QDialog
{
    Q_OBJECT
public:
    /// Reads the options from the settings store of FormInfo (the defaults when there is none).
    explicit TFormOpenText(QWidget *parent = nullptr);
    ~TFormOpenText() override;

    /// Delimited reading with `Delimiter`, names in the first line as `VarNames` says.
    void Preset(QChar Delimiter, bool VarNames);
    /// Reads the file of the file name box into Grid by the checked way of reading. False (the
    /// dialog is to be shown again) when the file does not exist or cannot be read; each
    /// failure has been shown to the user, and the grid is unchanged.
    bool LoadIntoGrid(TImportGrid &Grid);
    /// The file read last.
    const QString &FileName() const { return FFileName; }

    void CB_ASCIIClick();
    void CBdelimitedClick();
    void CB_databaseClick();
    /// Takes the delimiter from its box; false (with a warning, focus back on the box) when the
    /// text gives none.
    bool EditCharExit();
    void FormActivate();
    void BtnListFileClick();
    void BtnOKClick();

    QChar Delimiter() const { return FDelimiter; }
    Ui::TFormOpenText &form() { return *ui; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void LoadSettings();
    void SaveSettings();
    TOpenTextOptions options() const;
    void showOptions(const TOpenTextOptions &options);
    /// The three ways of reading only.
    void showWays(const TOpenTextOptions &options);
    /// A click on one of the three ways of reading.
    void clickWay(void (TOpenTextOptions::*check)(bool), const QCheckBox *box);
    void ReadFixedColumns(TImportGrid &Grid);
    void ReadDelimited(TImportGrid &Grid);
    void ReadDatabase(TImportGrid &Grid);

    std::unique_ptr<Ui::TFormOpenText> ui;
    QChar FDelimiter = u';';
    QString FLastDir;
    QString FLastExt;
    QString FFileName;
};

/// Shows the dialog until a file has been read into `grid` or the user cancels; `fileName` is the
/// file read, or empty after a cancel. Uses FormOpenText when it exists, else a new dialog; the
/// dialog is freed at the end.
void OpenTextFile(TImportGrid &grid, QString &fileName);
/// The same, preset to TAB-delimited text with the names in the first line.
void OpenTabTextFile(TImportGrid &grid, QString &fileName);

extern TFormOpenText *FormOpenText;
