#pragma once
// Conversions between field values and the kinds the program reads and writes them as: text in
// the locale's format, floats, integers, Booleans. Shared by fields and parameters.

#include "platform/db/FieldType.h"

#include <QString>
#include <QVariant>

#include <cstdint>

namespace db {

/// The value as text: numbers in general format with the locale's decimal separator, dates
/// in the locale's short format with a four-digit year, times in its long format, Booleans as
/// "True"/"False"; null gives ''.
QString ValueToText(const QVariant &value);

/// True for the types the SQL engine holds as ISO text: ftDate, ftTime, ftDateTime.
bool IsDateTimeType(TFieldType type);

/// A date, time or date-time as the SQL engine holds and compares it: yyyy-MM-dd, HH:mm:ss,
/// yyyy-MM-dd HH:mm:ss. Any other value, null included, gives ''.
QString DateTimeToSqlText(const QVariant &value);

/// Text as a value of `type`; empty text gives null; whole-number text for a float field gives
/// a qlonglong, which keeps all its digits. A date with a two-digit year is taken
/// within 50 years of today. Throws rtl::EConvertError for text that is no value of the type.
QVariant TextToValue(const QString &text, TFieldType type);

/// Any value as the kind `type` holds (double for floats, or qlonglong for a whole number given
/// as an integer or integer text; qlonglong for integers, QString,
/// bool, QDate, QTime, QDateTime, QByteArray). Throws rtl::EConvertError when it cannot be.
QVariant ConvertValue(const QVariant &value, TFieldType type);

/// Orders two numbers (double, qlonglong, int) by their exact values, as SQLite does: -1, 0 or
/// 1. An integer beyond 2^53 is not rounded to a double to be compared.
int CompareNumbers(const QVariant &a, const QVariant &b);
/// True when both are numbers of the same exact value.
bool SameNumber(const QVariant &a, const QVariant &b);

double ValueToFloat(const QVariant &value);
int32_t ValueToInteger(const QVariant &value);
bool ValueToBoolean(const QVariant &value);

} // namespace db
