#pragma once
// Splits SQL text into tokens, for what the layer decides before SQLite sees a statement: its
// kind, its parameters, the statements it carries out itself (CREATE/ALTER/DROP TABLE...).

#include <QString>

#include <vector>

namespace db {

struct SqlToken
{
    enum Kind { Word, QuotedName, String, Number, Parameter, Symbol, End };
    Kind kind = End;
    QString text;  ///< unquoted text; a parameter's name without the colon; a symbol as written
    int begin = 0; ///< position in the statement
    int end = 0;

    bool isWord(const char *upper) const;
    bool isSymbol(const char *symbol) const { return kind == Symbol && text == QLatin1String(symbol); }
    /// A word, a quoted name or a string: what may name a table or a field.
    bool isName() const { return kind == Word || kind == QuotedName || kind == String; }
};

/// The tokens of `sql`, comments and blanks left out, ended by an End token. Throws
/// EDatabaseError for an unterminated string or quoted name.
std::vector<SqlToken> TokenizeSql(const QString &sql);

/// Names of the ":NAME" parameters of `sql`, in order of first appearance, each once.
QStringList SqlParameterNames(const QString &sql);

/// What a parameter's name is looked up by: names match without regard to letter case.
inline QString ParameterKey(const QString &name) { return name.toCaseFolded(); }

} // namespace db
