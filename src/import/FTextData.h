#pragma once
// The window "Import text file": a text under a one-line mask in which the user marks which
// text columns form which fields, by clicks and by typing x; masks and column names are read
// from and saved to mask files.

#include "platform/rtl/StringList.h"
#include "platform/ui/Dialogs.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <memory>

namespace Ui {
class TFormTextData;
}

class QMenu;

class TFormTextData : public QDialog
{
    Q_OBJECT
public:
    explicit TFormTextData(QWidget *parent = nullptr);
    ~TFormTextData() override;

    /// The text's lines as the memo holds them, with the user's edits.
    QStringList Lines() const;
    void SetLines(const QStringList &lines);
    /// The folder of the text: where both mask dialogs start.
    void SetDirectory(const QString &folder) { FDirectory = folder; }

    /// The accepted mask: the mask's text at OK, empty after Cancel.
    const QString &Mask() const { return FMask; }
    /// "including row names" at OK.
    bool RowNames() const { return FRowNames; }
    /// The mask file's lines; nullptr until read, saved into or edited.
    const rtl::TStringList *Descriptors() const { return FDescriptors.get(); }

    /// One field over the longest line; false (nothing changes) when the text has no character.
    bool InitMask();
    /// A click in the mask with `caret` characters left of the caret.
    void EditMaskClick(int caret);
    /// "x" typed in the mask: the selection, or the character right of the caret, become
    /// single-column fields.
    void EditMaskKeyPress();
    void BtnMaskClick();
    void BtnFontClick();
    void MaskInitialize1Click();
    void ReadFromFile1Click();
    void SaveToFile1Click();
    void EditDescriptors1Click();
    void BtnOKClick();
    void BtnCancelClick();
    /// Writes the descriptors to the file chosen with "Save to file", when there are both.
    void WriteChosenMaskFile();

    QMenu *PopupMenuMask() const { return m_popupMenuMask; }
    Ui::TFormTextData &form() { return *ui; }

    /// Esc: as Cancel.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setMaskText(const QString &mask, int caret);

    std::unique_ptr<Ui::TFormTextData> ui;
    QMenu *m_popupMenuMask = nullptr;
    QString FDirectory;
    QString FMask;
    bool FRowNames = false;
    std::unique_ptr<rtl::TStringList> FDescriptors;
    /// The file chosen with "Save to file" in this run; written when the window closes.
    QString m_saveMaskFileName;
};

/// Shows the window on the text file `FileName`; answers whether the mask is not empty at the
/// end. The window then stays in FormTextData for the caller, which reads it and frees it. An
/// empty file is reported ("Empty data file") and answers false without a window; a missing file
/// answers false. Throws rtl::EInOutError naming the file when it cannot be read.
bool ExecuteTextData(const QString &FileName);

extern TFormTextData *FormTextData;
