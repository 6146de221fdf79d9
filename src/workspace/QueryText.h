#pragma once
// The texts of the query builder: conditions, parameter names, the SELECT statement and its
// split at WHERE, the names of query files. Plain functions over strings, with no window.

#include <QString>
#include <QStringList>

#include <functional>

/// The operators of the builder, in the order of its operator list.
enum class TQueryOperator { Equal, Less, LessEqual, NotEqual, GreaterEqual, Greater, Like, Between, In, IsNull };

/// The operator list's items, as they are written into a condition (" LIKE" with its blank).
const QStringList &QueryOperatorTexts();

/// "'" + Value + "'" when Quoted, else Value. A quote inside the value is doubled, so that
/// O'Brien stays one literal.
QString QuoteValue(bool Quoted, const QString &Value);

/// ":" + FieldName + "_" + Number (nothing after "_" when Number is 0): :COLOR_, :ID_1. A
/// qualified name T.F gives ":" + F + Number without "_".
QString ParamName(int Number, const QString &FieldName);

/// Why a condition could not be built.
enum class TConditionError { None, NoField, NoValue, NotTwoValues, NoValues, NotForParameter };

struct TConditionText
{
    QString condition;
    TConditionError error = TConditionError::None;
};

/// The condition for field `field`, operator `op` and the chosen values (unquoted): the
/// current value for comparisons and LIKE (first of `values`), the selected ones for BETWEEN
/// and IN. `quoted` writes the values as text literals; unquoted, a number shown with the
/// locale's decimal comma is written with a point.
TConditionText ValueCondition(const QString &field, TQueryOperator op, const QStringList &values, bool quoted);
/// The condition comparing field `field` with named parameters instead of values.
TConditionText ParameterCondition(const QString &field, TQueryOperator op);

/// True when `text` holds a ":" outside quoted literals and names: a parameter.
bool HoldsParameter(const QString &text);

/// "WHERE c1" for one condition, "WHERE (c1 AND c2 ...)" for more, '' for none.
QString WhereLine(const QStringList &conditions);

/// The table name in single quotes, a quote inside doubled, as the FROM clause names it.
QString FromClause(const QString &tableName);

/// The statement listing the distinct values of `field`, narrowed by the conditions that hold
/// no parameter: three lines, the middle one empty without such conditions.
QStringList DistinctValuesStatement(const QString &field, const QString &tableName, const QStringList &conditions);

/// The condition of a WHERE line: its text after "WHERE "; '' for an empty line.
QString WhereCondition(const QString &whereLine);

/// The builder's statement: SELECT [DISTINCT] list FROM 'table', then the WHERE line when
/// there are conditions (all of them, parameter conditions included).
QStringList SelectStatement(const QString &selectList, bool distinct, const QString &tableName, const QStringList &conditions);

/// The template for writing the statement by hand: the SELECT line and "WHERE ".
QStringList StatementTemplate(const QString &selectList, const QString &tableName);

/// The select list with `field` added: the field alone when the list is empty or "*".
QString AddToSelectList(const QString &selectList, const QString &field);

/// Where a key word of a statement's lines begins; line -1 when there is none.
struct TKeywordPosition
{
    int line = -1;
    int column = -1;
};

/// The first `word` of the lines that is a whole word outside quoted literals and names (a quote
/// left open at a line's end goes on in the next line), as the engine reads the statement.
TKeywordPosition FindKeyword(const QStringList &lines, const QString &word);

/// Where the WHERE clause begins: FindKeyword for "WHERE".
TKeywordPosition FindWhere(const QStringList &lines);

/// The memo's lines made ready for the query.
struct TAppliedStatement
{
    QStringList memoLines;      ///< the memo, with a line split where its WHERE begins mid-line
    QStringList statementLines; ///< the non-empty lines, in order
    bool hasParameters = false; ///< a ":" outside quotes from the WHERE line on
};

/// Walks the memo's lines: the WHERE FindWhere finds starts the WHERE part, splitting its line
/// when it does not begin it; empty lines are dropped; a ":" counts as a parameter only from
/// the WHERE on and outside quotes.
TAppliedStatement ApplyStatementLines(const QStringList &memoLines);

/// The first free name "<base>_<n>.sql", n = 0, 1, 2 ...; `exists` tells whether a file is there.
QString NextQueryFileName(const QString &base, const std::function<bool(const QString &)> &exists);
/// The base of query file names: the table name without its extension.
QString QueryFileBase(const QString &tableName);
/// True when `base` names a folder (holds a path separator).
bool HasFolder(const QString &base);
/// `folder` + `base` with one separator between.
QString JoinFolder(const QString &folder, const QString &base);

/// Writes the statement's lines to a query file (UTF-8, each line ended by a line feed),
/// through a temporary file renamed into place. Throws rtl::Exception when it cannot.
void SaveQueryFile(const QString &fileName, const QStringList &lines);
/// The lines of a query file as ReadTextLines reads them: UTF-8, or code page 1250 for a line
/// of an older tool. Throws rtl::EInOutError when it cannot be read.
QStringList LoadQueryFile(const QString &fileName);
