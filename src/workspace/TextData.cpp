#include "TextData.h"

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

bool AddValue(TDataItem &item, QStringView text, bool logTransform)
{
    const QStringView trimmed = TrimSpaces(text);
    if (trimmed.isEmpty() || !IsNumber(trimmed, rtl::DecimalSeparator()))
        return true;
    if (item.Count >= MaxItemValues)
        return false;
    double value = rtl::StrToFloat(trimmed.toString());
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

namespace {

// Reads one line into `item`; answers false when values had to be dropped.
bool readLine(QStringView line, TDataItem &item, bool logTransform)
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
        if (!AddValue(item, piece, logTransform)) {
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
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNumber = int(i) + 1;
        try {
            if (!readLine(lines[i], file.items[size_t(i)], logTransform))
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
