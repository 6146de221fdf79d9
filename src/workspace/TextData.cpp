#include "TextData.h"

#include <charconv>
#include <cmath>

QStringView TrimSpaces(QStringView s)
{
    qsizetype first = 0;
    qsizetype last = s.size();
    while (first < last && s[first] == QLatin1Char(' '))
        ++first;
    while (last > first && s[last - 1] == QLatin1Char(' '))
        --last;
    return s.mid(first, last - first);
}

QString TrimSpaces(const QString &s) { return TrimSpaces(QStringView(s)).toString(); }

bool IsNumber(QStringView s, QChar decimalSeparator)
{
    for (const QChar c : s) {
        const char16_t u = c.unicode();
        if (!(u == u'+' || u == u'-' || (u >= u'0' && u <= u'9') || c == decimalSeparator))
            return false;
    }
    return true;
}

ETextDataError::ETextDataError(int line, const QString &reason)
    : rtl::Exception(QStringLiteral("Reading of the data stopped at line %1: %2").arg(line).arg(reason)), m_line(line)
{
}

namespace {

// The value of a piece made only of signs, digits and separators, as rtl::StrToFloat reads it.
// A plain decimal (a sign, digits and at most one separator) is read here without a string of
// its own; anything else goes to rtl::StrToFloat, which also words the error.
double numberOf(QStringView piece, QChar decimalSeparator)
{
    char buffer[64];
    size_t length = 0;
    qsizetype i = 0;
    if (piece.front() == QLatin1Char('+') || piece.front() == QLatin1Char('-')) {
        if (piece.front() == QLatin1Char('-'))
            buffer[length++] = '-';
        ++i;
    }
    bool separatorSeen = false, digitSeen = false, plain = true;
    for (; i < piece.size() && plain; ++i) {
        const char16_t c = piece[i].unicode();
        plain = length + 1 < sizeof buffer;
        if (c >= u'0' && c <= u'9') {
            buffer[length++] = char(c);
            digitSeen = true;
        } else if (piece[i] == decimalSeparator && !separatorSeen) {
            buffer[length++] = '.';
            separatorSeen = true;
        } else {
            plain = false;
        }
    }
    double value = 0;
    if (plain && digitSeen) {
        const auto [end, error] = std::from_chars(buffer, buffer + length, value);
        if (error == std::errc() && end == buffer + length && std::isfinite(value))
            return value;
    }
    return rtl::StrToFloat(piece.toString());
}

bool addValue(TDataItem &item, QStringView text, bool logTransform, QChar decimalSeparator)
{
    const QStringView trimmed = TrimSpaces(text);
    if (trimmed.isEmpty() || !IsNumber(trimmed, decimalSeparator))
        return true;
    if (item.Count >= MaxItemValues)
        return false;
    double value = numberOf(trimmed, decimalSeparator);
    if (logTransform) {
        if (!(value > 0))
            throw rtl::EMathError(QStringLiteral("the value '%1' has no logarithm (LOG-transformation)").arg(trimmed));
        value = std::log10(value);
    }
    ++item.Count;
    item.Values.push_back(value);
    item.Positions.push_back(item.Count);
    return true;
}

} // namespace

bool AddValue(TDataItem &item, QStringView text, bool logTransform)
{
    return addValue(item, text, logTransform, rtl::DecimalSeparator());
}

namespace {

// Reads one line into `item`; answers false when values had to be dropped.
bool readLine(QStringView line, TDataItem &item, bool logTransform, QChar decimalSeparator)
{
    const QStringView text = TrimSpaces(line);
    const qsizetype p = text.indexOf(QLatin1Char(';'));
    if (p < 1) {
        item.Id = text.toString();
        item.Used = false;
        return true;
    }
    item.Id = TrimSpaces(text.left(p)).toString();
    bool complete = true;
    QStringView rest = text.mid(p + 1);
    while (!rest.isEmpty()) {
        const qsizetype q = rest.indexOf(QLatin1Char(';'));
        const QStringView piece = q >= 0 ? rest.left(q) : rest;
        rest = q >= 0 ? rest.mid(q + 1) : QStringView();
        if (!addValue(item, piece, logTransform, decimalSeparator)) {
            complete = false;
            break;
        }
    }
    item.Used = item.Count > 0;
    item.Classes.assign(item.Count, 0);
    return complete;
}

} // namespace

TextDataFile ReadTextData(const QStringList &lines, bool logTransform)
{
    TextDataFile file;
    file.items.resize(size_t(lines.size()));
    const QChar decimalSeparator = rtl::DecimalSeparator();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNumber = int(i) + 1;
        try {
            if (!readLine(lines[i], file.items[size_t(i)], logTransform, decimalSeparator))
                file.truncatedLines << lineNumber;
        } catch (const rtl::Exception &error) {
            throw ETextDataError(lineNumber, error.Message());
        }
    }
    return file;
}

QStringList SplitTextLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            lines << text.mid(start, i - start);
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}
