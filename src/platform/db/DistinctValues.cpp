#include "platform/db/DistinctValues.h"

#include "platform/db/Database.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/SqlEngine.h"
#include "platform/db/TableFiles.h"
#include "platform/db/TableStore.h"
#include "platform/db/ValueConvert.h"

#include "platform/rtl/SysUtils.h"

#include <QSet>

#include <algorithm>
#include <cmath>
#include <utility>

namespace db {
namespace {

// The order classes of SQLite's ORDER BY.
int orderClass(const QVariant &value)
{
    if (value.isNull())
        return 0;
    switch (value.typeId()) {
    case QMetaType::Double: case QMetaType::LongLong: case QMetaType::Int: case QMetaType::Bool:
        return 1;
    case QMetaType::QByteArray:
        return 3;
    default:
        return 2;
    }
}

// Dates and times order as the ISO text the engine compares.
QByteArray orderText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDate: case QMetaType::QTime: case QMetaType::QDateTime: return DateTimeToSqlText(value).toUtf8();
    default: return value.toString().toUtf8(); // UTF-8 bytes order by code point
    }
}

bool orderedBefore(const QVariant &a, const QVariant &b)
{
    const int classA = orderClass(a), classB = orderClass(b);
    if (classA != classB)
        return classA < classB;
    if (classA == 1)
        return CompareNumbers(a, b) < 0;
    if (classA == 2)
        return orderText(a) < orderText(b);
    return a.toByteArray() < b.toByteArray();
}

// Remembers the values seen: numbers by value, everything else by its text.
class SeenValues
{
public:
    // True the first time a value is offered.
    bool add(const QVariant &value)
    {
        switch (orderClass(value)) {
        case 0:
            return !std::exchange(m_null, true);
        case 1:
            return addNumber(value);
        case 3:
            return addTo(m_bytes, value.toByteArray());
        default:
            return addTo(m_texts, value.toString());
        }
    }

private:
    // Whole numbers by their exact value: a double holds integers beyond 2^53 only in part.
    bool addNumber(const QVariant &value)
    {
        if (value.typeId() == QMetaType::LongLong)
            return addTo(m_wholes, value.toLongLong());
        const double number = value.toDouble();
        if (number == std::trunc(number) && std::fabs(number) < 9223372036854775808.0)
            return addTo(m_wholes, qlonglong(number));
        return addTo(m_numbers, number);
    }

    template <typename T>
    static bool addTo(QSet<T> &set, const T &key)
    {
        const auto size = set.size();
        set.insert(key);
        return set.size() != size;
    }

    bool m_null = false;
    QSet<qlonglong> m_wholes;
    QSet<double> m_numbers;
    QSet<QString> m_texts;
    QSet<QByteArray> m_bytes;
};

std::vector<int> qualifyingSlots(SqlEngine &engine, const QString &table, const QString &where)
{
    const SqlResult result
        = engine.select(QStringLiteral("SELECT _rowid_ FROM %1 WHERE %2").arg(rtl::QuotedStr(table), where), {}, false);
    std::vector<int> records;
    records.reserve(result.rows.size());
    for (const Record &row : result.rows)
        records.push_back(row[0].toInt());
    return records;
}

} // namespace

DistinctValueList DistinctFieldValues(const QString &databaseName, const QString &table, const QString &field,
                                      const QString &where)
{
    TDatabase *database = nullptr;
    const DatabaseContext context = TDatabase::contextFor(databaseName, &database);
    const TablePath path = resolveTable(context.folder, table, context.defaultExtension);
    if (!path.exists)
        throw EDatabaseError(QStringLiteral("Table does not exist: %1").arg(path.path));
    const auto store = OpenTableStore(path.path);
    const auto &fields = store->fields();
    const auto found = std::find_if(fields.begin(), fields.end(), [&](const FieldDef &def) {
        return def.name.compare(field, Qt::CaseInsensitive) == 0;
    });
    if (found == fields.end())
        throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(field));
    const int index = int(found - fields.begin());

    DistinctValueList list;
    list.type = found->type;
    SeenValues seen;
    auto take = [&](int slot) {
        QVariant value = store->value(slot, index);
        if (seen.add(value))
            list.values.push_back(std::move(value));
    };
    store->setSequential(true);
    if (where.trimmed().isEmpty()) {
        const int count = store->slotCount();
        for (int slot = 0; slot < count; ++slot)
            if (!store->isDeleted(slot))
                take(slot);
    } else {
        for (int slot : qualifyingSlots(*context.engine, table, where))
            take(slot);
    }
    std::stable_sort(list.values.begin(), list.values.end(), orderedBefore);
    return list;
}

} // namespace db
