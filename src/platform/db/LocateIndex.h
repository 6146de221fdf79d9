#pragma once
// An in-memory index of one field of a dataset: value -> first row holding it, so that repeated
// searches do not scan the records.

#include "platform/db/FieldType.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>
#include <unordered_map>

namespace db {

class LocateIndex
{
public:
    /// Builds the index of a field of type `type` over `rowCount` rows read by `valueAt`.
    LocateIndex(TFieldType type, int rowCount, const std::function<QVariant(int)> &valueAt);

    /// The first row whose value equals `value` (converted to the field's type); nothing when
    /// none does or the value is not of the field's kind.
    std::optional<int> find(const QVariant &value) const;
    /// Records a row appended after the indexed ones.
    void addRow(int row, const QVariant &value);

    /// True when the index can serve `type` (fields compared as numbers or as text).
    static bool supports(TFieldType type);

private:
    struct NumberKey
    {
        bool whole;
        qlonglong integer;
        double number;
    };
    std::optional<NumberKey> numberKey(const QVariant &value) const;
    std::optional<QString> textKey(const QVariant &value) const;

    bool m_numeric;
    std::unordered_map<qlonglong, int> m_wholes;
    std::unordered_map<double, int> m_numbers;
    QHash<QString, int> m_texts;
};

} // namespace db
