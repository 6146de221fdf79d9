#pragma once
// Run-time services the program relies on everywhere: the exception classes, number text in
// the locale's format and the conversions that raise the conversion error.

#include <QLocale>
#include <QString>

#include <cstdint>
#include <exception>

namespace rtl {

/// Base of every exception the program raises; carries the message shown to the user.
class Exception : public std::exception
{
public:
    explicit Exception(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &Message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

/// A text that is no number of the asked kind.
class EConvertError : public Exception
{
public:
    using Exception::Exception;
};

/// A floating-point fault: division by zero, a logarithm of 0 or below, a square root of a
/// negative number, an argument outside a routine's domain.
class EMathError : public Exception
{
public:
    using Exception::Exception;
};

/// An operation refused because the object is not in a state that allows it.
class EInvalidOperation : public Exception
{
public:
    using Exception::Exception;
};

/// A file that could not be created, read or written; the message names the file and the reason.
class EInOutError : public Exception
{
public:
    using Exception::Exception;
};

/// The locale used for number text. It starts as the environment's locale; tests set it.
QLocale FormatLocale();
void SetFormatLocale(const QLocale &locale);

/// The decimal separator of FormatLocale(), one character.
QChar DecimalSeparator();

/// Large blocks (lists of millions of values) are given back to the system as soon as they are
/// freed, instead of staying in the heap once blocks of that size have come and gone: the
/// program's resident size follows the data it holds. Called once at the start of a program.
void ReturnLargeBlocksWhenFreed();

/// Number text in general format with 15 significant digits: fixed notation when the value has
/// at most 15 integer digits and is at least 0.00001 in magnitude, else scientific ("1E20",
/// "1,5E-6"); the locale's decimal separator; no trailing zeros.
QString FloatToStr(double value);
/// Number text in general format with as many significant digits as it takes to read back the
/// same double (up to 17): fixed notation up to 17 integer digits, else scientific; a negative
/// zero keeps its sign. For values that must keep their digits, such as those of table fields.
QString FloatToStrRoundTrip(double value);
/// General format with `precision` significant digits; a scientific exponent has at least
/// `exponentDigits` digits ("1,5E-06" with 2).
QString FloatToStrF(long double value, int precision, int exponentDigits = 0);
/// Number text in scientific notation: `precision` significant digits (1..18), the locale's
/// decimal separator, "E", the exponent's sign and at least `digits` exponent digits
/// (123.4567 with 6 and 2 reads 1.23457E+02).
QString FloatToStrExp(long double value, int precision, int digits);

/// Text to number with the locale's decimal separator: optional spaces around, an optional sign,
/// digits with at most one separator, an optional exponent. Throws EConvertError with
/// "'<text>' is not a valid floating point value".
double StrToFloat(const QString &text);
long double StrToFloatExt(const QString &text);
bool TryStrToFloat(const QString &text, double &value);

/// Decimal integer text (spaces around and a sign allowed) in the 32-bit range. Throws
/// EConvertError with "'<text>' is not a valid integer value".
int32_t StrToInt(const QString &text);
bool TryStrToInt(const QString &text, int32_t &value);

QString IntToStr(int64_t value);

/// `text` between single quotes, each quote inside doubled (O'Brien gives 'O''Brien'): a text
/// value, or a table's file name, as SQL statements write it.
QString QuotedStr(const QString &text);

/// Number text by a format mask: up to three sections separated by ';' (positive, negative,
/// zero); in a section '0' is a digit always shown, '#' a digit shown when significant, '.' the
/// locale's decimal separator, ',' asks for the locale's thousands separators, "E+00"/"E-00" an
/// exponent (sign always / only when negative) and quoted text is copied as it stands, like any
/// other character. An empty mask gives FloatToStr's text.
QString FormatFloat(const QString &format, double value);

} // namespace rtl
