#pragma once
// The query builder: the user composes the SELECT statement by which one dBASE or Paradox
// table is read, from fields, values, operators, parameter conditions and relations; the
// statement can be saved and loaded as ".sql" files, and the table viewed and edited. After OK
// the window stays, hidden, with its query open (or only prepared when it has parameters).

#include "QueryText.h"

#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/rtl/StringList.h"

#include <QDialog>

#include <cstdint>
#include <memory>

namespace Ui {
class TFormSetQuery;
}

namespace ui {
class TDataSource;
}

class TFormSetQuery : public QDialog
{
    Q_OBJECT
public:
    explicit TFormSetQuery(QWidget *parent = nullptr);
    ~TFormSetQuery() override;

    /// The query the builder hands over after OK: open, or only prepared.
    db::TQuery &Query() { return m_query; }
    /// The table of the field list and of the table view.
    db::TTable &Table() { return m_table; }
    const QString &FTableName() const { return m_tableName; }

    /// Sets the database of table and query, lists the fields of `TableName` (when given) and
    /// empties the conditions. Throws EDatabaseError when the table cannot be read.
    void InitQuery(const QString &DatabaseName, const QString &TableName);
    /// Puts the memo's statement into the query and opens it, or only prepares it when it has
    /// parameters. Throws EDatabaseError when the engine rejects it.
    void ApplySQL();

    void ListFieldsClick();
    void ListFieldsDblClick();
    void ListValsDblClick();
    void CBoperChange();
    void BtnCondsClick();
    void SpeedButton1Click();
    void BtnRelationClick();
    void M_Edit1Click();
    void M_Delete1Click();
    void BtnAddAtribClick();
    void BtnSQLClick();
    void MemoSQLDblClick();
    void MemoSQLChange();
    void PopSaveClick();
    void PopLoadClick();
    void BtnShowTableClick();
    void FormResize();

    Ui::TFormSetQuery &form() { return *ui; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void LoadTableFields(const QString &TableName);
    QString GetFromClause() const;
    QString currentField() const;
    QStringList conditions() const;
    QString conditionValue(int row) const;
    void addCondition(const TConditionText &condition);
    void showPopupConds(const QPoint &position);
    void showPopupQuery(const QPoint &position);
    void setFormHeight(int height);

    std::unique_ptr<Ui::TFormSetQuery> ui;
    std::unique_ptr<ui::TDataSource> m_dataSource;
    db::TTable m_table;
    db::TQuery m_query;
    QString m_tableName;
    /// The listed values as the engine holds them, where that is not the text shown (dates and
    /// times); empty for other fields.
    QStringList m_engineValueTexts;
};

/// Runs the builder on table `TableName` of database `DatabaseName` (a full path when the
/// database name is ''). With `SQL` lines they fill the statement, and with `AutoRun` as well
/// the window is never shown. `QueryFields` is the select list, in and out (unchanged when
/// cancelled). Answers the record count of the open query, 0 when the statement has parameters
/// and was only prepared, -1 when the user cancelled. After OK the window stays in
/// FormSetQuery. Throws EDatabaseError when the table or the statement fails.
int32_t ExecuteQueryBuilder(const QString &DatabaseName, const QString &TableName, const rtl::TStringList *SQL,
                            QString &QueryFields, bool AutoRun);

/// The statement of the builder's query, line by line: into `List`, cleared first, or into a
/// new list handed to the caller when `List` is empty.
void GetQuerySQL(TFormSetQuery *Form, std::unique_ptr<rtl::TStringList> &List);

/// The field names of the builder's query, in the order of its result.
void GetQueryFieldNames(TFormSetQuery *Form, rtl::TStringList &List);

/// The builder's window after its last OK; nullptr after Cancel.
extern TFormSetQuery *FormSetQuery;
