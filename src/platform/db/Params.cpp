#include "platform/db/Params.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/SqlLexer.h"
#include "platform/db/ValueConvert.h"

#include <QStringList>

#include <unordered_map>

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

TParam *TParams::FindParam(const QString &name) { return m_byKey.value(ParameterKey(name)); }

TParam &TParams::ParamByName(const QString &name)
{
    TParam *param = FindParam(name);
    if (!param)
        throw EDatabaseError(QStringLiteral("Parameter '%1' not found").arg(name));
    return *param;
}

void TParams::rebuild(const QStringList &names)
{
    std::unordered_map<QString, std::unique_ptr<TParam>> previous;
    previous.reserve(m_params.size());
    for (auto &param : m_params) {
        const QString key = ParameterKey(param->Name());
        previous.emplace(key, std::move(param));
    }
    m_params.clear();
    m_byKey.clear();
    m_byKey.reserve(names.size());
    for (const QString &name : names) {
        const QString key = ParameterKey(name);
        if (m_byKey.contains(key))
            continue;
        const auto kept = previous.find(key);
        auto param = kept != previous.end() ? std::move(kept->second) : std::make_unique<TParam>(name);
        m_byKey.insert(key, param.get());
        m_params.push_back(std::move(param));
    }
}

} // namespace db
