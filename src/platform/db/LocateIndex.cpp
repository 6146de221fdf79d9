#include "platform/db/LocateIndex.h"

#include "platform/db/ValueConvert.h"

#include "platform/rtl/SysUtils.h"

#include <QDate>

#include <cmath>

namespace db {

bool LocateIndex::supports(TFieldType type) { return !IsBlobType(type) && type != ftUnknown; }

LocateIndex::LocateIndex(TFieldType type, int rowCount, const std::function<QVariant(int)> &valueAt)
    : m_numeric(IsNumericType(type))
{
    for (int row = 0; row < rowCount; ++row)
        addRow(row, valueAt(row));
}

std::optional<LocateIndex::NumberKey> LocateIndex::numberKey(const QVariant &value) const
{
    if (value.isNull())
        return std::nullopt;
    if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
        return NumberKey{true, value.toLongLong(), 0};
    double number = 0;
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        bool whole = false;
        if (const qlonglong integer = text.toLongLong(&whole); whole)
            return NumberKey{true, integer, 0};
        if (!rtl::TryStrToFloat(text, number))
            return std::nullopt;
    } else {
        bool ok = false;
        number = value.toDouble(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (std::isnan(number))
        return std::nullopt;
    // Whole numbers by their exact value: one held as a double meets the same integer.
    if (number == std::trunc(number) && std::fabs(number) < 9223372036854775808.0)
        return NumberKey{true, qlonglong(number), 0}; // -0 and 0 are one key
    return NumberKey{false, 0, number};
}

std::optional<QString> LocateIndex::textKey(const QVariant &value) const
{
    if (value.isNull())
        return std::nullopt;
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(Qt::ISODate);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return value.toString();
}

void LocateIndex::addRow(int row, const QVariant &value)
{
    if (m_numeric) {
        if (const auto key = numberKey(value)) {
            if (key->whole)
                m_wholes.emplace(key->integer, row);
            else
                m_numbers.emplace(key->number, row);
        }
    } else if (const auto key = textKey(value)) {
        if (!m_texts.contains(*key))
            m_texts.insert(*key, row);
    }
}

std::optional<int> LocateIndex::find(const QVariant &value) const
{
    if (m_numeric) {
        const auto key = numberKey(value);
        if (!key)
            return std::nullopt;
        if (key->whole) {
            const auto found = m_wholes.find(key->integer);
            return found == m_wholes.end() ? std::nullopt : std::optional<int>(found->second);
        }
        const auto found = m_numbers.find(key->number);
        return found == m_numbers.end() ? std::nullopt : std::optional<int>(found->second);
    }
    const auto key = textKey(value);
    if (!key)
        return std::nullopt;
    const auto found = m_texts.constFind(*key);
    return found == m_texts.constEnd() ? std::nullopt : std::optional<int>(found.value());
}

} // namespace db
