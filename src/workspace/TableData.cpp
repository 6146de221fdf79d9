#include "TableData.h"

#include "QueryText.h"

#include "platform/db/DataSet.h"
#include "platform/db/Field.h"
#include "platform/db/ValueConvert.h"
#include "platform/rtl/VectorState.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

QString rfName(int j) { return QStringLiteral("Rf%1").arg(j); }
QString incName(int j) { return QStringLiteral("Inc%1").arg(j); }
const QString kStart = QStringLiteral("Start");
const QString kFactor = QStringLiteral("FACTOR");

// A flag starting with one of these characters excludes its value; an empty flag counts as "+".
bool excludes(const QString &flag)
{
    return !flag.isEmpty() && QStringLiteral("-0FNfn").contains(flag.front());
}

bool isEmptyText(const QVariant &value)
{
    if (value.isNull())
        return true;
    return value.typeId() == QMetaType::QString && value.toString().isEmpty();
}

// The fields of one read, looked up once.
struct ReadFields
{
    db::TField *id = nullptr;
    db::TField *start = nullptr;
    db::TField *factor = nullptr;
    std::vector<db::TField *> rf;
    std::vector<db::TField *> inc;
};

class RecordReader
{
public:
    RecordReader(db::TDataSet &dataSet, const TableReadOptions &options) : m_options(options)
    {
        db::TFields &fields = dataSet.Fields();
        const TableLayout layout = DescribeTable(fields);
        m_fields.id = fields.FindField(options.IdFieldName);
        m_fields.start = fields.FindField(kStart);
        if (layout.HasFactor && options.UseFactor)
            m_fields.factor = fields.FindField(kFactor);
        for (int j = 1; j <= layout.RfCount; ++j) {
            m_fields.rf.push_back(fields.FindField(rfName(j)));
            if (layout.HasInc)
                m_fields.inc.push_back(fields.FindField(incName(j)));
        }
    }

    // Reads the current record as record number `record`; answers false when accepted values
    // had to be dropped.
    bool read(int record, TDataItem &item) const
    {
        m_record = record;
        if (!m_fields.id)
            fail(m_options.IdFieldName, QStringLiteral("the result has no such field"));
        if (!m_fields.start)
            fail(kStart, QStringLiteral("the result has no such field"));
        item.Id = fieldAs<QString>(*m_fields.id, FieldText);
        const double start = fieldAs<double>(*m_fields.start, db::ValueToFloat);
        double factor = m_fields.factor ? fieldAs<double>(*m_fields.factor, db::ValueToFloat) : 1.0;
        if (factor == 0)
            factor = 1.0;
        bool complete = true;
        item.Values.reserve(m_fields.rf.size());
        item.Positions.reserve(m_fields.rf.size());
        for (size_t j = 0; j < m_fields.rf.size(); ++j) {
            const std::optional<double> y = value(j, start, factor);
            if (!y)
                continue;
            if (item.Count >= MaxItemValues) {
                complete = false;
                break;
            }
            ++item.Count;
            item.Values.push_back(*y);
            item.Positions.push_back(uint16_t(j + 1));
        }
        item.Used = item.Count > 0;
        item.Classes.assign(item.Count, 0);
        return complete;
    }

private:
    // The value of Rf<j + 1>, or none when it is skipped.
    std::optional<double> value(size_t j, double start, double factor) const
    {
        db::TField &rf = *m_fields.rf[j];
        const QVariant raw = fieldValue(rf);
        if (isEmptyText(raw))
            return std::nullopt;
        if (!m_fields.inc.empty()) {
            const QString flag = fieldAs<QString>(*m_fields.inc[j], FieldText);
            if (excludes(flag))
                return std::nullopt;
        }
        // Numbers read from a table come as doubles: taken as they are, without a conversion.
        const double v = raw.metaType() == QMetaType::fromType<double>() ? *static_cast<const double *>(raw.constData())
                                                                          : convert<double>(rf, raw, db::ValueToFloat);
        if (v == m_options.SkipValue)
            return std::nullopt;
        double y = (v - start) * factor;
        if (m_options.LogTransform) {
            if (!(y > 0))
                fail(rf.FieldName(), QStringLiteral("the value %1 has no logarithm (LOG-transformation)").arg(rtl::FloatToStr(y)));
            y = std::log10(y);
        }
        return y;
    }

    QVariant fieldValue(db::TField &field) const
    {
        try {
            return field.Value();
        } catch (const rtl::Exception &error) {
            fail(field.FieldName(), error.Message());
        }
    }

    template <typename T, typename Convert>
    T fieldAs(db::TField &field, Convert convertValue) const
    {
        return convert<T>(field, fieldValue(field), convertValue);
    }

    template <typename T, typename Convert>
    T convert(db::TField &field, const QVariant &raw, Convert convertValue) const
    {
        try {
            return convertValue(raw);
        } catch (const rtl::Exception &error) {
            fail(field.FieldName(), error.Message());
        }
    }

    [[noreturn]] void fail(const QString &field, const QString &reason) const
    {
        throw ETableDataError(m_record, field, reason);
    }

    const TableReadOptions &m_options;
    ReadFields m_fields;
    mutable int m_record = 0;
};

} // namespace

QString FieldText(const QVariant &value)
{
    return value.typeId() == QMetaType::QString ? value.toString() : db::ValueToText(value);
}

TableLayout DescribeTable(const db::TFields &fields)
{
    TableLayout layout;
    while (fields.FindField(rfName(layout.RfCount + 1)))
        ++layout.RfCount;
    layout.HasInc = layout.RfCount > 0;
    for (int j = 1; j <= layout.RfCount && layout.HasInc; ++j)
        layout.HasInc = fields.FindField(incName(j)) != nullptr;
    layout.HasFactor = fields.FindField(kFactor) != nullptr;
    return layout;
}

ETableDataError::ETableDataError(int record, const QString &field, const QString &reason)
    : rtl::Exception(QStringLiteral("Reading of the table stopped at record %1, field %2: %3").arg(record).arg(field, reason)),
      m_record(record), m_field(field)
{
}

TableData ReadTableData(db::TDataSet &dataSet, const TableReadOptions &options)
{
    const RecordReader reader(dataSet, options);
    TableData data;
    data.items.reserve(size_t(std::max(options.ExpectedRecords, 0)));
    int record = 0;
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
        rtl::ClearUpperVectorState(); // the dataset's own work may leave it dirty
        TDataItem &item = data.items.emplace_back();
        if (!reader.read(++record, item))
            data.truncatedItems << item.Id;
    }
    return data;
}

QStringList SelectIdsWhere(const QString &tableFile, const QString &where)
{
    return {QStringLiteral("SELECT ID FROM ") + rtl::QuotedStr(tableFile), QStringLiteral("WHERE ") + where};
}

QString OutputRecordStatement(const QString &tableName, const QString &keyField)
{
    return QStringLiteral("SELECT * FROM %1 WHERE %2= :%2").arg(rtl::QuotedStr(tableName), keyField);
}

QStringList SelectAllColumns(const QStringList &lines)
{
    const TKeywordPosition from = FindKeyword(lines, QStringLiteral("FROM"));
    if (from.line < 0)
        return {};
    QStringList statement{QStringLiteral("SELECT * ") + lines[from.line].mid(from.column)};
    statement += lines.mid(from.line + 1);
    return statement;
}

QStringList CreateTableStatement(const NewTableSpec &spec)
{
    QStringList lines{QStringLiteral("CREATE TABLE ") + rtl::QuotedStr(spec.FileName), QStringLiteral("("),
                      QStringLiteral(" ID DECIMAL(4,0),")};
    for (QString field : spec.OptionalFields) {
        if (field.isEmpty())
            continue;
        if (!field.endsWith(QLatin1Char(',')))
            field += QLatin1Char(',');
        lines << QLatin1Char(' ') + field;
    }
    lines << QStringLiteral(" START %1,").arg(spec.RfFormat);
    for (int i = 1; i <= spec.RfCount; ++i)
        lines << QStringLiteral(" Rf%1 %2,").arg(i).arg(spec.RfFormat);
    for (int i = 1; i <= spec.RfCount; ++i)
        lines << QStringLiteral(" INC%1 CHAR(1),").arg(i);
    if (spec.WithFactor)
        lines << QStringLiteral(" FACTOR DECIMAL(9,5),");
    if (spec.WithClass)
        lines << QStringLiteral(" CLAS CHAR(%1),").arg(spec.RfCount + 1);
    QString &last = lines.last();
    last[last.size() - 1] = QLatin1Char(')');
    return lines;
}
