#include "QueryText.h"

#include "TextLines.h"

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/WholeFile.h"

namespace {

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

// Walks SQL text keeping track of quoted literals and names; the quote that is open carries
// over from one line to the next.
class QuoteScanner
{
public:
    // True when the character at `i` of `line` stands outside quotes (quotes themselves do not).
    bool step(const QString &line, int i)
    {
        const QChar c = line[i];
        if (m_quote.isNull()) {
            if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
                m_quote = c;
                return false;
            }
            return true;
        }
        if (c == m_quote)
            m_quote = QChar(); // a doubled quote closes and opens again
        return false;
    }

private:
    QChar m_quote;
};

bool wordAt(const QString &line, int i, const QString &word)
{
    if (i + word.size() > line.size() || line.mid(i, word.size()).compare(word, Qt::CaseInsensitive) != 0)
        return false;
    const bool startsWord = i == 0 || !isWordChar(line[i - 1]);
    const bool endsWord = i + word.size() == line.size() || !isWordChar(line[i + word.size()]);
    return startsWord && endsWord;
}

// Position of the first `word` of `line` outside quotes, -1 when none; `scanner` is left
// after the whole line.
int findWord(const QString &line, const QString &word, QuoteScanner &scanner)
{
    int found = -1;
    for (int i = 0; i < line.size(); ++i)
        if (scanner.step(line, i) && found < 0 && wordAt(line, i, word))
            found = i;
    return found;
}

bool holdsColon(const QString &line, QuoteScanner &scanner)
{
    bool colon = false;
    for (int i = 0; i < line.size(); ++i)
        if (scanner.step(line, i) && line[i] == QLatin1Char(':'))
            colon = true;
    return colon;
}

TConditionText failed(TConditionError error) { return {QString(), error}; }

QString operatorText(TQueryOperator op) { return QueryOperatorTexts().at(int(op)); }

bool isComparison(TQueryOperator op) { return op <= TQueryOperator::Greater; }

// The values list shows numbers with the locale's decimal separator; unquoted in a statement
// they need the point, or 1,5 would stand for the two values 1 and 5.
QString sqlNumber(const QString &value)
{
    const QChar separator = rtl::DecimalSeparator();
    double number = 0;
    if (separator == QLatin1Char('.') || !rtl::TryStrToFloat(value, number))
        return value;
    return QString(value).replace(separator, QLatin1Char('.'));
}

} // namespace

const QStringList &QueryOperatorTexts()
{
    static const QStringList texts{QStringLiteral("="),     QStringLiteral("<"),        QStringLiteral("<="),
                                   QStringLiteral("<>"),    QStringLiteral(">="),       QStringLiteral(">"),
                                   QStringLiteral(" LIKE"), QStringLiteral(" BETWEEN"), QStringLiteral(" IN"),
                                   QStringLiteral(" IS NULL")};
    return texts;
}

QString QuoteValue(bool Quoted, const QString &Value)
{
    return Quoted ? rtl::QuotedStr(Value) : Value;
}

QString ParamName(int Number, const QString &FieldName)
{
    const QString number = Number > 0 ? QString::number(Number) : QString();
    const int dot = FieldName.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        return QLatin1Char(':') + FieldName.mid(dot + 1) + number;
    return QLatin1Char(':') + FieldName + QLatin1Char('_') + number;
}

TConditionText ValueCondition(const QString &field, TQueryOperator op, const QStringList &values, bool quoted)
{
    if (field.isEmpty())
        return failed(TConditionError::NoField);
    const QString f = field + operatorText(op);
    auto quote = [&](const QString &value) { return QuoteValue(quoted, quoted ? value : sqlNumber(value)); };
    if (isComparison(op) || op == TQueryOperator::Like) {
        if (values.isEmpty())
            return failed(TConditionError::NoValue);
        if (op == TQueryOperator::Like)
            return {QLatin1Char('(') + f + QLatin1Char(' ') + quote(values[0] + QLatin1Char('%')) + QLatin1Char(')')};
        return {QLatin1Char('(') + f + quote(values[0]) + QLatin1Char(')')};
    }
    switch (op) {
    case TQueryOperator::Between:
        if (values.size() != 2)
            return failed(TConditionError::NotTwoValues);
        return {QLatin1Char('(') + f + QLatin1Char(' ') + quote(values[0]) + QStringLiteral(" AND ") + quote(values[1]) + QLatin1Char(')')};
    case TQueryOperator::In: {
        if (values.isEmpty())
            return failed(TConditionError::NoValues);
        QStringList quotedValues;
        for (const QString &value : values)
            quotedValues << quote(value);
        return {QLatin1Char('(') + f + QStringLiteral(" (") + quotedValues.join(QLatin1Char(',')) + QStringLiteral("))")};
    }
    default:
        return {QLatin1Char('(') + f + QLatin1Char(')')};
    }
}

TConditionText ParameterCondition(const QString &field, TQueryOperator op)
{
    if (field.isEmpty())
        return failed(TConditionError::NoField);
    const QString f = field + operatorText(op);
    if (isComparison(op))
        return {QLatin1Char('(') + f + ParamName(0, field) + QLatin1Char(')')};
    if (op == TQueryOperator::Like)
        return {QLatin1Char('(') + f + QLatin1Char(' ') + ParamName(0, field) + QLatin1Char(')')};
    if (op == TQueryOperator::Between)
        return {QLatin1Char('(') + f + QLatin1Char(' ') + ParamName(1, field) + QStringLiteral(" AND ") + ParamName(2, field) + QLatin1Char(')')};
    return failed(TConditionError::NotForParameter);
}

bool HoldsParameter(const QString &text)
{
    QuoteScanner scanner;
    return holdsColon(text, scanner);
}

QString WhereLine(const QStringList &conditions)
{
    if (conditions.isEmpty())
        return QString();
    if (conditions.size() == 1)
        return QStringLiteral("WHERE ") + conditions[0];
    return QStringLiteral("WHERE (") + conditions.join(QStringLiteral(" AND ")) + QLatin1Char(')');
}

QString FromClause(const QString &tableName) { return rtl::QuotedStr(tableName); }

QStringList DistinctValuesStatement(const QString &field, const QString &tableName, const QStringList &conditions)
{
    QStringList narrowing;
    for (const QString &condition : conditions)
        if (!HoldsParameter(condition))
            narrowing << condition;
    return {QStringLiteral("SELECT DISTINCT ") + field + QStringLiteral(" FROM ") + FromClause(tableName), WhereLine(narrowing),
            QStringLiteral("ORDER BY ") + field};
}

QString WhereCondition(const QString &whereLine)
{
    const QString prefix = QStringLiteral("WHERE ");
    return whereLine.startsWith(prefix) ? whereLine.mid(prefix.size()) : QString();
}

QStringList SelectStatement(const QString &selectList, bool distinct, const QString &tableName, const QStringList &conditions)
{
    QStringList lines{QStringLiteral("SELECT ") + (distinct ? QStringLiteral("DISTINCT ") : QString()) + selectList +
                      QStringLiteral(" FROM ") + FromClause(tableName)};
    if (!conditions.isEmpty())
        lines << WhereLine(conditions);
    return lines;
}

QStringList StatementTemplate(const QString &selectList, const QString &tableName)
{
    return {QStringLiteral("SELECT ") + selectList + QStringLiteral(" FROM ") + FromClause(tableName), QStringLiteral("WHERE ")};
}

QString AddToSelectList(const QString &selectList, const QString &field)
{
    if (selectList.isEmpty() || selectList == QLatin1String("*"))
        return field;
    return selectList + QLatin1Char(',') + field;
}

TKeywordPosition FindKeyword(const QStringList &lines, const QString &word)
{
    QuoteScanner scanner;
    for (int line = 0; line < lines.size(); ++line) {
        const int column = findWord(lines[line], word, scanner);
        if (column >= 0)
            return {line, column};
    }
    return {};
}

TKeywordPosition FindWhere(const QStringList &lines) { return FindKeyword(lines, QStringLiteral("WHERE")); }

TAppliedStatement ApplyStatementLines(const QStringList &memoLines)
{
    TAppliedStatement applied;
    const TKeywordPosition where = FindWhere(memoLines);
    QuoteScanner scanner; // from the WHERE on, which stands outside quotes
    auto append = [&](const QString &line) {
        applied.memoLines << line;
        if (!line.isEmpty())
            applied.statementLines << line;
    };
    for (int i = 0; i < memoLines.size(); ++i) {
        QString line = memoLines[i];
        if (where.line < 0 || i < where.line) {
            append(line);
            continue;
        }
        if (i == where.line && where.column > 0) {
            append(line.left(where.column));
            line = line.mid(where.column);
        }
        if (holdsColon(line, scanner))
            applied.hasParameters = true;
        append(line);
    }
    return applied;
}

QString NextQueryFileName(const QString &base, const std::function<bool(const QString &)> &exists)
{
    for (int n = 0;; ++n) {
        const QString name = base + QLatin1Char('_') + QString::number(n) + QStringLiteral(".sql");
        if (!exists(name))
            return name;
    }
}

QString QueryFileBase(const QString &tableName)
{
    const int slash = tableName.lastIndexOf(QLatin1Char('/'));
    const int dot = tableName.lastIndexOf(QLatin1Char('.'));
    return dot > slash ? tableName.left(dot) : tableName;
}

bool HasFolder(const QString &base) { return base.contains(QLatin1Char('/')); }

QString JoinFolder(const QString &folder, const QString &base)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder + base;
    return folder + QLatin1Char('/') + base;
}

void SaveQueryFile(const QString &fileName, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + '\n';
    rtl::WriteWholeFile(fileName, bytes);
}

QStringList LoadQueryFile(const QString &fileName) { return ReadTextLines(fileName); }
