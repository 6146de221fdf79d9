#include "SysUtils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <QRegularExpression>
#include <QStringList>

namespace rtl {

namespace {

QChar separatorOf(const QLocale &locale)
{
    const QString separator = locale.decimalPoint();
    return separator.isEmpty() ? QLatin1Char('.') : separator.at(0);
}

// The locale with its decimal separator, which every number text asks for.
struct FormatState
{
    QLocale locale = QLocale::system();
    QChar separator = separatorOf(locale);
};

FormatState &formatState()
{
    static FormatState state;
    return state;
}

// Mantissa digits (without trailing zeros) and the decimal exponent of |value|.
struct DecimalDigits
{
    std::string digits;
    int exponent = 0;
};

// The shortest digits that read back as `value`, whatever their number (at most 17).
DecimalDigits roundTripDigits(double magnitude)
{
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific).ptr;
    DecimalDigits result;
    const char *p = buffer;
    for (; p < end && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            result.digits.push_back(*p);
    std::from_chars(p + (p[1] == '+' ? 2 : 1), end, result.exponent);
    return result;
}

// The shortest digits that read back as `value` (a normal double) are its digits rounded to
// `precision` whenever there are no more of them than that and `precision` is at most 15: the
// rounding error of a double is then below half a unit of the last decimal place. Answers
// nothing where that does not hold.
std::optional<DecimalDigits> shortestDigits(long double magnitude, int precision)
{
    const double value = double(magnitude);
    if (precision > 15 || (long double)value != magnitude || !(value == 0 || std::isnormal(value)))
        return std::nullopt;
    DecimalDigits result = roundTripDigits(value);
    if (int(result.digits.size()) > precision)
        return std::nullopt;
    return result;
}

DecimalDigits decimalDigits(long double magnitude, int precision)
{
    if (auto shortest = shortestDigits(magnitude, precision))
        return *shortest;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*Le", precision - 1, magnitude);
    DecimalDigits result;
    const char *p = buffer;
    for (; *p && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9')
            result.digits.push_back(*p);
    }
    if (*p == 'e')
        result.exponent = std::atoi(p + 1);
    while (result.digits.size() > 1 && result.digits.back() == '0')
        result.digits.pop_back();
    return result;
}

QString specialValueText(long double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    return {};
}

// Fixed notation up to `precision` integer digits, else scientific.
QString generalLayout(bool negative, const DecimalDigits &d, int precision, int exponentDigits)
{
    // Built as Latin-1 with '.' in one go; the locale's separator replaces the point at the end.
    std::string text;
    if (negative)
        text += '-';
    const int integerDigits = d.exponent + 1;
    const bool fixed = integerDigits <= precision && d.exponent >= -5;
    if (fixed) {
        if (integerDigits <= 0) {
            text += "0.";
            text.append(size_t(-integerDigits), '0');
            text += d.digits;
        } else {
            for (int i = 0; i < integerDigits; ++i)
                text += i < int(d.digits.size()) ? d.digits[size_t(i)] : '0';
            if (int(d.digits.size()) > integerDigits) {
                text += '.';
                text.append(d.digits, size_t(integerDigits));
            }
        }
    } else {
        text += d.digits[0];
        if (d.digits.size() > 1) {
            text += '.';
            text.append(d.digits, 1);
        }
        text += 'E';
        if (d.exponent < 0)
            text += '-';
        const std::string exponent = std::to_string(std::abs(d.exponent));
        if (int(exponent.size()) < exponentDigits)
            text.append(size_t(exponentDigits) - exponent.size(), '0');
        text += exponent;
    }
    QString result = QString::fromLatin1(text.data(), qsizetype(text.size()));
    const QChar separator = DecimalSeparator();
    if (separator != QLatin1Char('.')) {
        const qsizetype point = result.indexOf(QLatin1Char('.'));
        if (point >= 0)
            result[point] = separator;
    }
    return result;
}

QString generalFormat(long double value, int precision, int exponentDigits)
{
    if (!std::isfinite(value))
        return specialValueText(value);
    if (value == 0)
        return QStringLiteral("0");
    return generalLayout(value < 0, decimalDigits(std::fabs(value), precision), precision, exponentDigits);
}

// Strict float syntax; answers the text rewritten with '.' for from_chars, or nothing.
std::optional<std::string> floatSyntax(const QString &text)
{
    const QString t = text.trimmed();
    const QChar separator = DecimalSeparator();
    std::string out;
    int i = 0;
    const int n = int(t.size());
    if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        out.push_back(char(t[i++].unicode()));
    int digits = 0;
    bool seenSeparator = false;
    for (; i < n; ++i) {
        const QChar c = t[i];
        if (c.unicode() >= '0' && c.unicode() <= '9') {
            out.push_back(char(c.unicode()));
            ++digits;
        } else if (c == separator && !seenSeparator) {
            out.push_back('.');
            seenSeparator = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        out.push_back('e');
        ++i;
        if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
            out.push_back(char(t[i++].unicode()));
        int exponentDigits = 0;
        for (; i < n && t[i].unicode() >= '0' && t[i].unicode() <= '9'; ++i, ++exponentDigits)
            out.push_back(char(t[i].unicode()));
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    return out;
}

[[noreturn]] void throwFloatError(const QString &text)
{
    throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

} // namespace

QLocale FormatLocale() { return formatState().locale; }

void SetFormatLocale(const QLocale &locale)
{
    formatState().locale = locale;
    formatState().separator = separatorOf(locale);
}

void ReturnLargeBlocksWhenFreed()
{
#ifdef __GLIBC__
    // A fixed threshold: the C library would otherwise raise it to the size of each large block
    // freed, and keep later blocks of that size in its heap.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

QChar DecimalSeparator() { return formatState().separator; }

namespace {
// A whole number below 10^15 is all its digits, the common case of identifiers and counts,
// made without the general digit search (a million identifiers read from a table).
bool isShortWholeNumber(double value) { return std::fabs(value) < 1e15 && value == std::trunc(value); }
} // namespace

QString FloatToStr(double value)
{
    if (isShortWholeNumber(value))
        return QString::number(qint64(value));
    return generalFormat(value, 15, 0);
}

QString FloatToStrRoundTrip(double value)
{
    if (!std::isfinite(value))
        return specialValueText(value);
    if (value == 0)
        return std::signbit(value) ? QStringLiteral("-0") : QStringLiteral("0");
    if (isShortWholeNumber(value))
        return QString::number(qint64(value));
    return generalLayout(value < 0, roundTripDigits(std::fabs(value)), 17, 0);
}

QString FloatToStrF(long double value, int precision, int exponentDigits)
{
    return generalFormat(value, precision, exponentDigits);
}

QString FloatToStrExp(long double value, int precision, int digits)
{
    if (!std::isfinite(value))
        return generalFormat(value, precision, 0);
    precision = std::clamp(precision, 1, 18);
    // From the digits alone, so that the C library's locale never decides the separator.
    const DecimalDigits d = decimalDigits(std::fabs(value), precision);
    const std::string mantissa = d.digits + std::string(size_t(precision) - std::min(d.digits.size(), size_t(precision)), '0');
    QString text = value < 0 ? QStringLiteral("-") : QString();
    text += QLatin1Char(mantissa[0]);
    if (precision > 1)
        text += DecimalSeparator() + QString::fromLatin1(mantissa.c_str() + 1);
    text += QLatin1Char('E');
    text += d.exponent < 0 ? QLatin1Char('-') : QLatin1Char('+');
    return text + QString::number(std::abs(d.exponent)).rightJustified(digits, QLatin1Char('0'));
}

bool TryStrToFloat(const QString &text, double &value)
{
    const auto syntax = floatSyntax(text);
    if (!syntax)
        return false;
    const char *first = syntax->data();
    if (*first == '+')
        ++first;
    double parsed = 0;
    const auto [end, ec] = std::from_chars(first, syntax->data() + syntax->size(), parsed);
    if (ec != std::errc() || end != syntax->data() + syntax->size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

double StrToFloat(const QString &text)
{
    double value = 0;
    if (!TryStrToFloat(text, value))
        throwFloatError(text);
    return value;
}

long double StrToFloatExt(const QString &text)
{
    const auto syntax = floatSyntax(text);
    if (!syntax)
        throwFloatError(text);
    const char *first = syntax->data();
    if (*first == '+')
        ++first;
    // from_chars, unlike strtold, does not follow the C library's locale.
    long double value = 0;
    const auto [end, ec] = std::from_chars(first, syntax->data() + syntax->size(), value);
    if (ec != std::errc() || end != syntax->data() + syntax->size() || !std::isfinite(value))
        throwFloatError(text);
    return value;
}

bool TryStrToInt(const QString &text, int32_t &value)
{
    const QByteArray t = text.trimmed().toLatin1();
    if (t.isEmpty() || t.size() != text.trimmed().size())
        return false;
    const char *first = t.constData();
    const char *last = first + t.size();
    if (*first == '+')
        ++first;
    if (first == last || *first == '+' || (*first == '-' && first != t.constData()))
        return false;
    int32_t parsed = 0;
    const auto [end, ec] = std::from_chars(first, last, parsed);
    if (ec != std::errc() || end != last)
        return false;
    value = parsed;
    return true;
}

int32_t StrToInt(const QString &text)
{
    int32_t value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

QString IntToStr(int64_t value) { return QString::number(value); }

QString QuotedStr(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

namespace {

// What a section of a format mask asks for.
struct MaskSection
{
    QString text;
    int integerPlaces = 0;     // '0' and '#' before the decimal point
    int integerZeros = 0;      // places from the first '0' up to the decimal point
    int fractionPlaces = 0;    // '0' and '#' after the decimal point
    int fractionZeros = 0;     // places up to the last '0' after the decimal point
    bool thousands = false;
    bool scientific = false;
};

bool isDigitPlace(QChar c) { return c == QLatin1Char('0') || c == QLatin1Char('#'); }

bool isExponentAt(const QString &text, qsizetype i)
{
    return (text[i] == QLatin1Char('E') || text[i] == QLatin1Char('e')) && i + 1 < text.size()
        && (text[i + 1] == QLatin1Char('+') || text[i + 1] == QLatin1Char('-'));
}

MaskSection parseSection(const QString &text)
{
    MaskSection s{text};
    bool afterPoint = false;
    int firstZero = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const qsizetype end = text.indexOf(c, i + 1);
            i = end < 0 ? text.size() : end;
        } else if (isExponentAt(text, i)) {
            s.scientific = true;
            for (i += 2; i < text.size() && text[i] == QLatin1Char('0'); ++i) {}
            --i;
        } else if (c == QLatin1Char('.')) {
            afterPoint = true;
        } else if (c == QLatin1Char(',')) {
            s.thousands = s.thousands || !afterPoint;
        } else if (isDigitPlace(c) && afterPoint) {
            ++s.fractionPlaces;
            if (c == QLatin1Char('0'))
                s.fractionZeros = s.fractionPlaces;
        } else if (isDigitPlace(c)) {
            if (c == QLatin1Char('0') && firstZero < 0)
                firstZero = s.integerPlaces;
            ++s.integerPlaces;
        }
    }
    s.integerZeros = firstZero < 0 ? 0 : s.integerPlaces - firstZero;
    return s;
}

QString groupThousands(const QString &digits)
{
    const QString separator = FormatLocale().groupSeparator();
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += separator;
        out += digits[i];
    }
    return out;
}

// Renders |value| in one section; the caller adds a minus sign where one is due.
QString renderSection(const MaskSection &s, double magnitude)
{
    int exponent = 0;
    if (s.scientific && magnitude != 0) {
        exponent = int(std::floor(std::log10(magnitude))) - std::max(s.integerPlaces, 1) + 1;
        magnitude /= std::pow(10.0, exponent);
        if (QString::number(magnitude, 'f', s.fractionPlaces).indexOf(QLatin1Char('.')) > std::max(s.integerPlaces, 1))
            magnitude /= 10, ++exponent; // rounding carried into one more integer digit
    }
    const QString fixed = QString::number(magnitude, 'f', s.fractionPlaces);
    const qsizetype point = fixed.indexOf(QLatin1Char('.'));
    QString integer = point < 0 ? fixed : fixed.left(point);
    QString fraction = point < 0 ? QString() : fixed.mid(point + 1);
    while (fraction.size() > s.fractionZeros && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (integer == QLatin1String("0"))
        integer.clear();
    while (integer.size() < s.integerZeros)
        integer.prepend(QLatin1Char('0'));
    if (s.thousands)
        integer = groupThousands(integer);

    QString out;
    bool integerDone = false, afterPoint = false;
    const QString &t = s.text;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const qsizetype end = t.indexOf(c, i + 1);
            out += t.mid(i + 1, (end < 0 ? t.size() : end) - i - 1);
            i = end < 0 ? t.size() : end;
        } else if (isExponentAt(t, i)) {
            qsizetype zeros = 0;
            while (i + 2 + zeros < t.size() && t[i + 2 + zeros] == QLatin1Char('0'))
                ++zeros;
            out += t[i];
            if (exponent < 0)
                out += QLatin1Char('-');
            else if (t[i + 1] == QLatin1Char('+'))
                out += QLatin1Char('+');
            out += QString::number(std::abs(exponent)).rightJustified(zeros, QLatin1Char('0'));
            i += 1 + zeros;
        } else if (c == QLatin1Char('.')) {
            if (!integerDone)
                out += integer, integerDone = true;
            if (!fraction.isEmpty() && !afterPoint)
                out += DecimalSeparator() + fraction;
            afterPoint = true;
        } else if (c == QLatin1Char(',')) {
        } else if (isDigitPlace(c)) {
            if (!afterPoint && !integerDone)
                out += integer, integerDone = true;
        } else {
            out += c;
        }
    }
    return out;
}

QStringList maskSections(const QString &format)
{
    QStringList sections;
    QString current;
    QChar quote;
    for (const QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char(';')) {
            sections << current;
            current.clear();
            continue;
        }
        current += c;
    }
    sections << current;
    return sections;
}

} // namespace

QString FormatFloat(const QString &format, double value)
{
    if (format.isEmpty() || !std::isfinite(value))
        return FloatToStr(value);
    const QStringList sections = maskSections(format);
    const MaskSection first = parseSection(sections[0]);
    const double magnitude = std::fabs(value);
    // A value that rounds to zero in the first section counts as zero.
    const QString rounded = QString::number(magnitude, 'f', first.scientific ? 15 : first.fractionPlaces);
    const bool zero = !rounded.contains(QRegularExpression(QStringLiteral("[1-9]")));
    if (zero && sections.size() > 2 && !sections[2].isEmpty())
        return renderSection(parseSection(sections[2]), 0);
    if (value < 0 && !zero) {
        if (sections.size() > 1 && !sections[1].isEmpty())
            return renderSection(parseSection(sections[1]), magnitude);
        return QLatin1Char('-') + renderSection(first, magnitude);
    }
    return renderSection(first, magnitude);
}

} // namespace rtl
