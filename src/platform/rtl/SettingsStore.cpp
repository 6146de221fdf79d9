#include "SettingsStore.h"

#include "SysUtils.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace rtl {

SettingsStore::SettingsStore() = default;

SettingsStore::~SettingsStore() = default;

QString SettingsStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/quibo");
}

void SettingsStore::open(const QString &folder, const QString &name)
{
    m_settings = std::make_unique<QSettings>(folder + QLatin1Char('/') + name, QSettings::IniFormat);
}

QString SettingsStore::fileName() const { return m_settings ? m_settings->fileName() : QString(); }

bool SettingsStore::write(const QString &name, const QString &value)
{
    if (!m_settings)
        return false;
    m_settings->setValue(name, value);
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        throw Exception(QStringLiteral("The setting %1 could not be written to the file %2.")
                            .arg(name, QDir::toNativeSeparators(m_settings->fileName())));
    return true;
}

bool SettingsStore::read(const QString &name, QString &value) const
{
    value.clear();
    if (!m_settings)
        return false;
    const QVariant stored = m_settings->value(name);
    if (!stored.isValid())
        return true;
    if (stored.typeId() != QMetaType::QString)
        return false;
    value = stored.toString();
    return true;
}

} // namespace rtl
