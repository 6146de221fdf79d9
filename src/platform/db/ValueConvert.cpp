#include "platform/db/ValueConvert.h"

#include "platform/db/DatabaseError.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>

#include <cmath>
#include <optional>

namespace db {
namespace {

[[noreturn]] void conversionError(const QString &text, const char *kind)
{
    throw rtl::EConvertError(QStringLiteral("'%1' is not a valid %2").arg(text, QLatin1String(kind)));
}

bool hasTwoDigitYear(const QString &format)
{
    return format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy"));
}

// The locale's short date format with the year in four digits, so that a date shown reads back
// as the same date whatever its century.
QString fullYearDateFormat(const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (hasTwoDigitYear(format))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

// A two-digit year names the year ending in those digits within 50 years of now, as people
// mean it (1977 to 2076 while it is 2026); Qt reads it as 19xx.
QDate withSlidingCentury(const QDate &date)
{
    const int latest = QDate::currentDate().year() + 50;
    const int year = latest - (latest - date.year() % 100) % 100;
    return QDate(year, date.month(), date.day());
}

QDate parseDate(const QString &text)
{
    const QLocale locale = rtl::FormatLocale();
    for (const QString &format : {fullYearDateFormat(locale), locale.dateFormat(QLocale::ShortFormat),
                                  locale.dateFormat(QLocale::LongFormat)}) {
        const QDate date = locale.toDate(text, format);
        if (date.isValid())
            return hasTwoDigitYear(format) ? withSlidingCentury(date) : date;
    }
    for (const char *pattern : {"yyyy-MM-dd", "d.M.yyyy", "M/d/yyyy"}) {
        const QDate date = QDate::fromString(text, QLatin1String(pattern));
        if (date.isValid())
            return date;
    }
    return {};
}

QTime parseTime(const QString &text)
{
    const QLocale locale = rtl::FormatLocale();
    for (QLocale::FormatType format : {QLocale::ShortFormat, QLocale::LongFormat}) {
        const QTime time = locale.toTime(text, format);
        if (time.isValid())
            return time;
    }
    for (const char *pattern : {"H:mm:ss", "H:mm", "H:mm:ss.zzz"}) {
        const QTime time = QTime::fromString(text, QLatin1String(pattern));
        if (time.isValid())
            return time;
    }
    return {};
}

QDateTime parseDateTime(const QString &text)
{
    if (const QDate date = parseDate(text); date.isValid())
        return QDateTime(date, QTime(0, 0));
    if (const QTime time = parseTime(text); time.isValid())
        return QDateTime(QDate(1899, 12, 30), time);
    const int blank = int(text.indexOf(QLatin1Char(' ')));
    if (blank > 0) {
        const QDate date = parseDate(text.left(blank));
        const QTime time = parseTime(text.mid(blank + 1).trimmed());
        if (date.isValid() && time.isValid())
            return QDateTime(date, time);
    }
    const QDateTime iso = QDateTime::fromString(text, Qt::ISODate);
    return iso.isValid() ? iso : QDateTime();
}

bool parseBoolean(const QString &text, bool &value)
{
    const QString word = text.trimmed();
    if (word.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
        value = true;
        return true;
    }
    if (word.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
        value = false;
        return true;
    }
    double number = 0;
    if (rtl::TryStrToFloat(word, number)) {
        value = number != 0;
        return true;
    }
    return false;
}

// A whole number stays exact as an integer where a double would lose digits beyond the 15th;
// a zero is left to the floating-point reading, which keeps the sign of "-0".
std::optional<qlonglong> exactWholeNumber(const QString &text)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    return ok && value != 0 ? std::optional<qlonglong>(value) : std::nullopt;
}

qlonglong checkedRange(qlonglong value, TFieldType type)
{
    const bool fits = type == ftSmallint ? (value >= INT16_MIN && value <= INT16_MAX)
                      : type == ftWord   ? (value >= 0 && value <= UINT16_MAX)
                      : type == ftLargeint ? true
                                           : (value >= INT32_MIN && value <= INT32_MAX);
    if (!fits)
        throw EDatabaseError(QStringLiteral("%1 is not a valid value for a field of type %2").arg(value).arg(FieldTypeName(type)));
    return value;
}

} // namespace

QString ValueToText(const QVariant &value)
{
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Double: return rtl::FloatToStrRoundTrip(value.toDouble());
    case QMetaType::Bool: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default: break;
    }
    const QLocale locale = rtl::FormatLocale();
    switch (value.typeId()) {
    case QMetaType::QDate: return locale.toString(value.toDate(), fullYearDateFormat(locale));
    case QMetaType::QTime: return locale.toString(value.toTime(), QLocale::LongFormat);
    case QMetaType::QDateTime: {
        const QDateTime stamp = value.toDateTime();
        return locale.toString(stamp.date(), fullYearDateFormat(locale)) + QLatin1Char(' ') + locale.toString(stamp.time(), QLocale::LongFormat);
    }
    case QMetaType::QByteArray: return QString::fromLatin1(value.toByteArray());
    default: return value.toString();
    }
}

bool IsDateTimeType(TFieldType type) { return type == ftDate || type == ftTime || type == ftDateTime; }

QString DateTimeToSqlText(const QVariant &value)
{
    switch (value.isNull() ? QMetaType::UnknownType : value.typeId()) {
    case QMetaType::QDate: return value.toDate().toString(Qt::ISODate);
    case QMetaType::QTime: return value.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::QDateTime: return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    default: return {};
    }
}

QVariant TextToValue(const QString &text, TFieldType type)
{
    if (text.isEmpty())
        return {};
    switch (type) {
    case ftFloat: case ftCurrency: case ftBCD:
        if (const auto whole = exactWholeNumber(text))
            return *whole;
        return rtl::StrToFloat(text);
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc:
        return checkedRange(rtl::StrToInt(text), type);
    case ftLargeint: {
        bool ok = false;
        const qlonglong value = text.trimmed().toLongLong(&ok);
        if (!ok)
            conversionError(text, "integer value");
        return value;
    }
    case ftBoolean: {
        bool value = false;
        if (!parseBoolean(text, value))
            conversionError(text, "boolean value");
        return value;
    }
    case ftDate: {
        const QDate date = parseDate(text.trimmed());
        if (!date.isValid())
            conversionError(text, "date");
        return date;
    }
    case ftTime: case ftDateTime: {
        const QDateTime stamp = parseDateTime(text.trimmed());
        if (!stamp.isValid())
            conversionError(text, "date and time");
        return type == ftTime && stamp.date() == QDate(1899, 12, 30) ? QVariant(stamp.time()) : QVariant(stamp);
    }
    case ftBytes: case ftVarBytes: case ftBlob: case ftGraphic: case ftTypedBinary: case ftParadoxOle: case ftDBaseOle:
        return text.toLatin1();
    default:
        return text;
    }
}

QVariant ConvertValue(const QVariant &value, TFieldType type)
{
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QString)
        return TextToValue(value.toString(), type);
    switch (type) {
    case ftFloat: case ftCurrency: case ftBCD:
        if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
            return value.toLongLong(); // exact beyond the 15 digits of a double
        return ValueToFloat(value);
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint: {
        if (value.typeId() == QMetaType::Double) {
            const double number = value.toDouble();
            if (!std::isfinite(number) || std::fabs(number) > 9.2e18)
                throw EDatabaseError(QStringLiteral("%1 is not a valid integer").arg(number));
            return checkedRange(qlonglong(std::nearbyint(number)), type);
        }
        return checkedRange(value.toLongLong(), type);
    }
    case ftBoolean:
        return ValueToBoolean(value);
    case ftDate:
        if (value.typeId() == QMetaType::QDateTime)
            return value.toDateTime().date();
        if (value.typeId() != QMetaType::QDate)
            conversionError(value.toString(), "date");
        return value;
    case ftTime:
    case ftDateTime:
        if (value.typeId() == QMetaType::QDate)
            return QDateTime(value.toDate(), QTime(0, 0));
        if (value.typeId() != QMetaType::QTime && value.typeId() != QMetaType::QDateTime)
            conversionError(value.toString(), "date and time");
        return value;
    case ftString: case ftMemo: case ftFmtMemo: case ftFixedChar: case ftWideString:
        return ValueToText(value);
    case ftBytes: case ftVarBytes: case ftBlob: case ftGraphic: case ftTypedBinary: case ftParadoxOle: case ftDBaseOle:
        return value.toByteArray();
    default:
        return value;
    }
}

namespace {

bool isWhole(const QVariant &value) { return value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int; }

bool isNumber(const QVariant &value) { return isWhole(value) || value.typeId() == QMetaType::Double; }

template <typename T>
int order(T a, T b) { return a < b ? -1 : a > b ? 1 : 0; }

int compareWholeWithDouble(qlonglong whole, double number)
{
    // -2^63 and 2^63 are doubles; between them a double's integral part converts exactly.
    if (std::isnan(number) || number < -9223372036854775808.0)
        return 1;
    if (number >= 9223372036854775808.0)
        return -1;
    const double integral = std::trunc(number);
    if (const int byIntegral = order(whole, qlonglong(integral)))
        return byIntegral;
    return order(integral, number);
}

} // namespace

int CompareNumbers(const QVariant &a, const QVariant &b)
{
    const bool wholeA = isWhole(a), wholeB = isWhole(b);
    if (wholeA && wholeB)
        return order(a.toLongLong(), b.toLongLong());
    if (wholeA)
        return compareWholeWithDouble(a.toLongLong(), b.toDouble());
    if (wholeB)
        return -compareWholeWithDouble(b.toLongLong(), a.toDouble());
    return order(a.toDouble(), b.toDouble());
}

bool SameNumber(const QVariant &a, const QVariant &b) { return isNumber(a) && isNumber(b) && CompareNumbers(a, b) == 0; }

double ValueToFloat(const QVariant &value)
{
    switch (value.isNull() ? QMetaType::UnknownType : value.typeId()) {
    case QMetaType::UnknownType: return 0;
    case QMetaType::Double: return value.toDouble();
    case QMetaType::LongLong:
    case QMetaType::Int: return double(value.toLongLong());
    case QMetaType::Bool: return value.toBool() ? 1 : 0;
    case QMetaType::QString: return rtl::StrToFloat(value.toString());
    default: conversionError(ValueToText(value), "floating point value");
    }
}

int32_t ValueToInteger(const QVariant &value)
{
    switch (value.isNull() ? QMetaType::UnknownType : value.typeId()) {
    case QMetaType::UnknownType: return 0;
    case QMetaType::QString: return rtl::StrToInt(value.toString());
    case QMetaType::Bool: return value.toBool() ? 1 : 0;
    default: return int32_t(ConvertValue(value, ftInteger).toLongLong());
    }
}

bool ValueToBoolean(const QVariant &value)
{
    switch (value.isNull() ? QMetaType::UnknownType : value.typeId()) {
    case QMetaType::UnknownType: return false;
    case QMetaType::Bool: return value.toBool();
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        return !text.isEmpty() && QStringLiteral("TtYy1").contains(text[0]);
    }
    case QMetaType::Double:
    case QMetaType::LongLong:
    case QMetaType::Int: return value.toDouble() != 0;
    default: conversionError(ValueToText(value), "boolean value");
    }
}

} // namespace db
