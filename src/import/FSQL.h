#pragma once
// The window "SQL command edit": one statement typed by the user, helped by templates and the
// field names of a table, run as a command on the main window's database; no result is shown.

#include "SqlTemplates.h"

#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include <QDialog>

#include <memory>

class QAction;
class QComboBox;
class QMenu;
class QPlainTextEdit;

namespace Ui {
class TFormSQL;
}

/// Made for one use: the caller creates it, calls SetTable (for the open table: the database's
/// name, FolderOf(the file) and the file's bare name), shows it with ui::ShowModal, calls ExecSQL
/// when the result is ui::mrOk, and frees it.
class TFormSQL : public QDialog
{
    Q_OBJECT
public:
    explicit TFormSQL(QWidget *parent = nullptr);
    ~TFormSQL() override;

    /// Points the table and the statement at database DatabaseName; Directory is the folder of
    /// the main window's file with its trailing "/" ('' when none is open) and TableName that
    /// file's bare name ('' for none). Lists the table's fields in the field box. Throws
    /// db::EDatabaseError when they cannot be read.
    void SetTable(const QString &DatabaseName, const QString &Directory, const QString &TableName);
    /// Runs the memo's lines as one statement, a command without a result. Throws
    /// db::EDatabaseError with the database's message when it is rejected or fails; a failed
    /// statement changes no file.
    void ExecSQL();

    void FormActivate();
    void BtnChoiceClick();
    void MemoDblClick();
    void BtnInsertClick();
    void CREATETABLE1Click();
    void ALTERTABLE1Click();
    void DROPTABLE1Click();
    void CREATEINDEX1Click();
    void DROPINDEX1Click();
    void DELETE1Click();
    void INSERT1Click();
    void UPDATE1Click();
    void Choicetable1Click();

    /// The table the templates name: a bare file name in the database's folder, a full path, or ''.
    QString TableName() const { return Table.TableName(); }
    QPlainTextEdit *Memo() const;
    QComboBox *CBfields() const;
    QMenu *PopupMenu() const { return m_popupMenu; }

    /// Cancel, Esc and the close box end the window with mrCancel, as the Cancel button's result.
    void reject() override;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildPopupMenu();
    void connectHandlers();
    void writeTemplate(TSqlTemplate kind);
    void fillFields();

    std::unique_ptr<Ui::TFormSQL> ui;
    QMenu *m_popupMenu = nullptr;
    QString FDirectory;
    db::TTable Table;
    db::TQuery Query;
};

extern TFormSQL *FormSQL;
