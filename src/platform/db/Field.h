#pragma once
// A field of the current record of a dataset, read and written as text, number or Boolean.

#include "platform/db/TableStore.h"

#include "platform/rtl/StringList.h"

#include <QString>
#include <QVariant>

#include <cstdint>
#include <memory>
#include <vector>

namespace db {

class TDataSet;

class TField
{
public:
    TField(TDataSet &dataSet, int index, FieldDef def, bool readOnly);

    const QString &FieldName() const { return m_def.name; }
    TFieldType DataType() const { return m_def.type; }
    /// Characters of a string field, width of a number field.
    int Size() const { return m_def.size; }
    /// Position of the field in its dataset, from 1.
    int FieldNo() const { return m_index + 1; }
    bool ReadOnly() const { return m_readOnly; }
    TDataSet &DataSet() const { return m_dataSet; }

    bool IsNull() const;
    /// Makes the value null (blank in the file).
    void Clear();

    /// Reading converts the value; writing needs the dataset in edit or insert state and
    /// converts to the field's type (rtl::EConvertError for text that is no such value,
    /// EDatabaseError for a value out of range or a read-only field).
    QVariant Value() const;
    void SetValue(const QVariant &value);
    QString AsString() const;
    void SetAsString(const QString &text);
    double AsFloat() const;
    void SetAsFloat(double value);
    int32_t AsInteger() const;
    void SetAsInteger(int32_t value);
    bool AsBoolean() const;
    void SetAsBoolean(bool value);

    /// A memo from text lines: each line ended by CR LF.
    void Assign(const rtl::TStringList &lines);
    /// The text of the field split into lines (CR LF, LF or CR end a line).
    void AssignTo(rtl::TStringList &lines) const;

private:
    void store(const QVariant &value);

    TDataSet &m_dataSet;
    int m_index;
    FieldDef m_def;
    bool m_readOnly;
};

/// The fields of an open dataset, in the order of the table or the select list.
class TFields
{
public:
    int Count() const { return int(m_fields.size()); }
    TField &operator[](int index) const { return *m_fields.at(size_t(index)); }
    /// The field named `name` without regard to letter case, or nullptr.
    TField *FindField(const QString &name) const;

    void add(std::unique_ptr<TField> field) { m_fields.push_back(std::move(field)); }
    void clear() { m_fields.clear(); }

private:
    std::vector<std::unique_ptr<TField>> m_fields;
};

} // namespace db
