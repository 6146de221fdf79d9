#include "ServiceExec.h"

namespace automation {

namespace {

// The escapes a desktop-entry value may hold, as the bus reads them.
QString DesktopEscaped(const QString &text)
{
    QString escaped;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': escaped += QLatin1String("\\\\"); break;
        case '\n': escaped += QLatin1String("\\n"); break;
        case '\r': escaped += QLatin1String("\\r"); break;
        case '\t': escaped += QLatin1String("\\t"); break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::optional<QString> DesktopUnescaped(const QString &value)
{
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\')) {
            text += value[i];
            continue;
        }
        if (++i == value.size())
            return std::nullopt;
        switch (value[i].unicode()) {
        case 's': text += QLatin1Char(' '); break;
        case 't': text += QLatin1Char('\t'); break;
        case 'n': text += QLatin1Char('\n'); break;
        case 'r': text += QLatin1Char('\r'); break;
        case '\\': text += QLatin1Char('\\'); break;
        default: return std::nullopt;
        }
    }
    return text;
}

// Splits `line` as the bus does: blanks and newlines part words outside quotes; single quotes
// keep everything; double quotes let a backslash escape " \ ` $ and newline; outside quotes a
// backslash escapes any character (a newline after it is dropped) and "#" starts a comment
// that runs to the end of the line. The last word counts even when empty.
std::optional<QStringList> ShellWords(const QString &line)
{
    QStringList words;
    QString word;
    bool started = false; // '' is a word, though an empty one
    QChar quote;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quote == QLatin1Char('\'')) {
            if (c == QLatin1Char('\''))
                quote = QChar();
            else
                word += c;
        } else if (quote == QLatin1Char('"')) {
            if (c == QLatin1Char('"'))
                quote = QChar();
            else if (c == QLatin1Char('\\') && i + 1 < line.size() && QStringView(u"\"\\`$\n").contains(line[i + 1]))
                word += line[++i];
            else
                word += c;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            started = true;
        } else if (c == QLatin1Char('\\')) {
            if (++i == line.size())
                return std::nullopt;
            if (line[i] != QLatin1Char('\n')) {
                word += line[i];
                started = true;
            }
        } else if (c == QLatin1Char('#')) {
            while (i + 1 < line.size() && line[i + 1] != QLatin1Char('\n'))
                ++i;
            ++i; // the newline ends the comment, not the word
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (started)
                words << word;
            word.clear();
            started = false;
        } else {
            word += c;
            started = true;
        }
    }
    if (!quote.isNull())
        return std::nullopt;
    words << word;
    return words;
}

} // namespace

QString ServiceExecWord(const QString &word)
{
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return DesktopEscaped(QLatin1Char('\'') + quoted + QLatin1Char('\''));
}

std::optional<QStringList> ServiceExecArguments(const QString &value)
{
    const std::optional<QString> line = DesktopUnescaped(value);
    if (!line)
        return std::nullopt;
    return ShellWords(*line);
}

} // namespace automation
