#include "SysUtils.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

namespace rtl {

namespace {

QLocale &localeStore()
{
    static QLocale locale = QLocale::system();
    return locale;
}

// Mantissa digits (without trailing zeros) and the decimal exponent of |value|.
struct DecimalDigits
{
    std::string digits;
    int exponent = 0;
};

DecimalDigits decimalDigits(long double magnitude, int precision)
{
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

QString generalFormat(long double value, int precision, int exponentDigits)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");

    const QChar separator = DecimalSeparator();
    const DecimalDigits d = decimalDigits(std::fabs(value), precision);
    QString text;
    if (value < 0)
        text += QLatin1Char('-');

    const int integerDigits = d.exponent + 1;
    const bool fixed = integerDigits <= precision && d.exponent >= -5;
    if (fixed) {
        if (integerDigits <= 0) {
            text += QLatin1Char('0');
            text += separator;
            text += QString(-integerDigits, QLatin1Char('0'));
            text += QString::fromLatin1(d.digits.c_str());
        } else {
            for (int i = 0; i < integerDigits; ++i)
                text += i < int(d.digits.size()) ? QLatin1Char(d.digits[i]) : QLatin1Char('0');
            if (int(d.digits.size()) > integerDigits) {
                text += separator;
                text += QString::fromLatin1(d.digits.c_str() + integerDigits);
            }
        }
        return text;
    }
    text += QLatin1Char(d.digits[0]);
    if (d.digits.size() > 1) {
        text += separator;
        text += QString::fromLatin1(d.digits.c_str() + 1);
    }
    text += QLatin1Char('E');
    if (d.exponent < 0)
        text += QLatin1Char('-');
    text += QString::number(std::abs(d.exponent)).rightJustified(exponentDigits, QLatin1Char('0'));
    return text;
}

// Strict float syntax; answers the text rewritten with '.' for strtod, or nothing.
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

QLocale FormatLocale() { return localeStore(); }

void SetFormatLocale(const QLocale &locale) { localeStore() = locale; }

QChar DecimalSeparator()
{
    const QString separator = localeStore().decimalPoint();
    return separator.isEmpty() ? QLatin1Char('.') : separator.at(0);
}

QString FloatToStr(double value) { return generalFormat(value, 15, 0); }

QString FloatToStrF(long double value, int precision, int exponentDigits)
{
    return generalFormat(value, precision, exponentDigits);
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
    char *end = nullptr;
    const long double value = std::strtold(syntax->c_str(), &end);
    if (end != syntax->c_str() + syntax->size() || !std::isfinite(value))
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

} // namespace rtl
