#include "platform/db/Params.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/ValueConvert.h"

#include <QStringList>

namespace db {
namespace {

bool textSettable(TFieldType type)
{
    switch (type) {
    case ftString: case ftSmallint: case ftInteger: case ftWord: case ftBoolean: case ftFloat:
    case ftDate: case ftTime:
        return true;
    default:
        return false;
    }
}

} // namespace

void TParam::SetDataType(TFieldType type)
{
    if (type != ftUnknown && !m_value.isNull())
        m_value = ConvertValue(m_value, type);
    m_dataType = type;
    m_bound = true;
}

void TParam::Clear()
{
    m_value.clear();
}

void TParam::SetValue(const QVariant &value)
{
    m_value = m_dataType == ftUnknown ? value : ConvertValue(value, m_dataType);
    m_bound = true;
}

void TParam::SetAsString(const QString &value)
{
    m_dataType = ftString;
    SetValue(value);
}

void TParam::SetAsInteger(int32_t value)
{
    m_dataType = ftInteger;
    SetValue(qlonglong(value));
}

void TParam::SetAsFloat(double value)
{
    m_dataType = ftFloat;
    SetValue(value);
}

void TParam::SetAsBoolean(bool value)
{
    m_dataType = ftBoolean;
    SetValue(value);
}

void TParam::SetAsDate(const QDate &value)
{
    m_dataType = ftDate;
    SetValue(value);
}

QString TParam::AsString() const { return ValueToText(m_value); }
double TParam::AsFloat() const { return ValueToFloat(m_value); }
int32_t TParam::AsInteger() const { return ValueToInteger(m_value); }
bool TParam::AsBoolean() const { return ValueToBoolean(m_value); }

void TParam::SetText(const QString &text)
{
    m_bound = true;
    if (!textSettable(m_dataType)) {
        m_value.clear();
        return;
    }
    m_value = m_dataType == ftString ? QVariant(text) : TextToValue(text, m_dataType);
}

TParam *TParams::FindParam(const QString &name)
{
    for (const auto &param : m_params)
        if (param->Name().compare(name, Qt::CaseInsensitive) == 0)
            return param.get();
    return nullptr;
}

TParam &TParams::ParamByName(const QString &name)
{
    TParam *param = FindParam(name);
    if (!param)
        throw EDatabaseError(QStringLiteral("Parameter '%1' not found").arg(name));
    return *param;
}

void TParams::rebuild(const QStringList &names)
{
    std::vector<std::unique_ptr<TParam>> params;
    for (const QString &name : names) {
        auto kept = std::find_if(m_params.begin(), m_params.end(), [&](const auto &param) {
            return param && param->Name().compare(name, Qt::CaseInsensitive) == 0;
        });
        params.push_back(kept != m_params.end() ? std::move(*kept) : std::make_unique<TParam>(name));
    }
    m_params = std::move(params);
}

} // namespace db
