#include "platform/db/SqlLexer.h"

#include "platform/db/DatabaseError.h"

#include <QSet>
#include <QStringList>

namespace db {

bool SqlToken::isWord(const char *upper) const
{
    return kind == Word && text.compare(QLatin1String(upper), Qt::CaseInsensitive) == 0;
}

namespace {

bool isWordStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$'); }

// Reads a quoted run starting at `i` (the opening quote); a doubled closing quote stands for one.
QString quoted(const QString &sql, int &i, QChar close)
{
    const int start = i;
    QString text;
    ++i;
    while (i < sql.size()) {
        if (sql[i] == close) {
            if (i + 1 < sql.size() && sql[i + 1] == close && close != QLatin1Char(']')) {
                text += close;
                i += 2;
                continue;
            }
            ++i;
            return text;
        }
        text += sql[i++];
    }
    throw EDatabaseError(QStringLiteral("Unterminated quote at position %1 of the statement").arg(start + 1));
}

} // namespace

std::vector<SqlToken> TokenizeSql(const QString &sql)
{
    std::vector<SqlToken> tokens;
    int i = 0;
    const int n = int(sql.size());
    while (i < n) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            const int close = int(sql.indexOf(QStringLiteral("*/"), i + 2));
            i = close < 0 ? n : close + 2;
            continue;
        }
        SqlToken token;
        token.begin = i;
        if (isWordStart(c)) {
            token.kind = SqlToken::Word;
            while (i < n && isWordChar(sql[i]))
                ++i;
            token.text = sql.mid(token.begin, i - token.begin);
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && sql[i + 1].isDigit())) {
            token.kind = SqlToken::Number;
            while (i < n && (sql[i].isLetterOrNumber() || sql[i] == QLatin1Char('.')
                             || ((sql[i] == QLatin1Char('+') || sql[i] == QLatin1Char('-'))
                                 && (sql[i - 1] == QLatin1Char('e') || sql[i - 1] == QLatin1Char('E')))))
                ++i;
            token.text = sql.mid(token.begin, i - token.begin);
        } else if (c == QLatin1Char('\'')) {
            token.kind = SqlToken::String;
            token.text = quoted(sql, i, c);
        } else if (c == QLatin1Char('"') || c == QLatin1Char('`')) {
            token.kind = SqlToken::QuotedName;
            token.text = quoted(sql, i, c);
        } else if (c == QLatin1Char('[')) {
            token.kind = SqlToken::QuotedName;
            token.text = quoted(sql, i, QLatin1Char(']'));
        } else if (c == QLatin1Char(':') && i + 1 < n && isWordChar(sql[i + 1])) {
            token.kind = SqlToken::Parameter;
            ++i;
            while (i < n && isWordChar(sql[i]))
                ++i;
            token.text = sql.mid(token.begin + 1, i - token.begin - 1);
        } else {
            token.kind = SqlToken::Symbol;
            static const char *const pairs[] = {"<=", ">=", "<>", "!=", "==", "||"};
            token.text = QString(c);
            for (const char *pair : pairs)
                if (i + 1 < n && c == QLatin1Char(pair[0]) && sql[i + 1] == QLatin1Char(pair[1]))
                    token.text = QString::fromLatin1(pair);
            i += int(token.text.size());
        }
        token.end = i;
        tokens.push_back(token);
    }
    SqlToken end;
    end.begin = end.end = n;
    tokens.push_back(end);
    return tokens;
}

QStringList SqlParameterNames(const QString &sql)
{
    QStringList names;
    QSet<QString> seen;
    for (const SqlToken &token : TokenizeSql(sql))
        if (token.kind == SqlToken::Parameter && !seen.contains(ParameterKey(token.text))) {
            seen.insert(ParameterKey(token.text));
            names << token.text;
        }
    return names;
}

} // namespace db
