#pragma once
// The named parameters (":NAME") of a query, each with a data type and a value.

#include "platform/db/FieldType.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <memory>
#include <vector>

namespace db {

class TParam
{
public:
    explicit TParam(QString name) : m_name(std::move(name)) {}

    const QString &Name() const { return m_name; }
    TFieldType DataType() const { return m_dataType; }
    /// Setting the type converts a value already held (rtl::EConvertError when it cannot).
    void SetDataType(TFieldType type);

    bool IsNull() const { return m_value.isNull(); }
    /// True once a value or a type has been given.
    bool Bound() const { return m_bound; }
    void Clear();

    QVariant Value() const { return m_value; }
    /// The value converted to the parameter's type (when it has one).
    void SetValue(const QVariant &value);

    /// Each setter also gives the parameter the type of its value.
    void SetAsString(const QString &value);
    void SetAsInteger(int32_t value);
    void SetAsFloat(double value);
    void SetAsBoolean(bool value);
    void SetAsDate(const QDate &value);
    QString AsString() const;
    double AsFloat() const;
    int32_t AsInteger() const;
    bool AsBoolean() const;

    /// The value from text by the parameter's type: a string as it is; 16-bit, 32-bit and
    /// 16-bit unsigned integers by integer conversion; a Boolean from a number (0 false) or
    /// the words true/false; a float by float conversion; a date in the locale's date format;
    /// a time from a date, a time or both. Other types keep the type and get no value.
    /// Throws rtl::EConvertError for text the type rejects.
    void SetText(const QString &text);

private:
    QString m_name;
    TFieldType m_dataType = ftUnknown;
    QVariant m_value;
    bool m_bound = false;
};

class TParams
{
public:
    int Count() const { return int(m_params.size()); }
    TParam &operator[](int index) { return *m_params.at(size_t(index)); }
    TParam &Items(int index) { return (*this)[index]; }
    /// Throws EDatabaseError when there is no parameter `name` (letter case ignored).
    TParam &ParamByName(const QString &name);
    TParam *FindParam(const QString &name);

    /// Replaces the list by `names`, keeping type and value of parameters that stay.
    void rebuild(const QStringList &names);

private:
    std::vector<std::unique_ptr<TParam>> m_params;
    QHash<QString, TParam *> m_byKey; ///< by ParameterKey of the name
};

} // namespace db
