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

std::optional<double> LocateIndex::numberKey(const QVariant &value) const
{
    if (value.isNull())
        return std::nullopt;
    double number = 0;
    if (value.typeId() == QMetaType::QString) {
        if (!rtl::TryStrToFloat(value.toString(), number))
            return std::nullopt;
    } else {
        bool ok = false;
        number = value.toDouble(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (std::isnan(number))
        return std::nullopt;
    return number == 0 ? 0.0 : number; // -0 and 0 are one key
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
        if (const auto key = numberKey(value))
            m_numbers.emplace(*key, row);
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
        const auto found = m_numbers.find(*key);
        return found == m_numbers.end() ? std::nullopt : std::optional<int>(found->second);
    }
    const auto key = textKey(value);
    if (!key)
        return std::nullopt;
    const auto found = m_texts.constFind(*key);
    return found == m_texts.constEnd() ? std::nullopt : std::optional<int>(found.value());
}

} // namespace db
