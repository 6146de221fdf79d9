#include "platform/db/Field.h"

#include "platform/db/DataSet.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/ValueConvert.h"

namespace db {

TField::TField(TDataSet &dataSet, int index, FieldDef def, bool readOnly)
    : m_dataSet(dataSet), m_index(index), m_def(std::move(def)), m_readOnly(readOnly)
{
}

QVariant TField::Value() const { return m_dataSet.fieldValue(m_index); }

bool TField::IsNull() const { return Value().isNull(); }

void TField::Clear() { m_dataSet.setFieldValue(m_index, QVariant()); }

void TField::SetValue(const QVariant &value) { store(ConvertValue(value, m_def.type)); }

void TField::store(const QVariant &value)
{
    if (m_def.type == ftString && m_def.size > 0 && value.toString().size() > m_def.size)
        throw EDatabaseError(QStringLiteral("'%1' is longer than the %2 characters of field %3").arg(value.toString()).arg(m_def.size).arg(m_def.name));
    m_dataSet.setFieldValue(m_index, value);
}

QString TField::AsString() const { return ValueToText(Value()); }

void TField::SetAsString(const QString &text) { store(TextToValue(text, m_def.type)); }

double TField::AsFloat() const { return ValueToFloat(Value()); }

void TField::SetAsFloat(double value) { SetValue(value); }

int32_t TField::AsInteger() const { return ValueToInteger(Value()); }

void TField::SetAsInteger(int32_t value) { SetValue(qlonglong(value)); }

bool TField::AsBoolean() const { return ValueToBoolean(Value()); }

void TField::SetAsBoolean(bool value) { SetValue(value); }

void TField::Assign(const rtl::TStringList &lines)
{
    QString text;
    for (const QString &line : lines.Lines())
        text += line + QStringLiteral("\r\n");
    SetAsString(text);
}

void TField::AssignTo(rtl::TStringList &lines) const { lines.SetText(AsString()); }

TField *TFields::FindField(const QString &name) const
{
    for (const auto &field : m_fields)
        if (field->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return field.get();
    return nullptr;
}

} // namespace db
