#include "SettingsStore.h"

#include "SysUtils.h"
#include "WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace rtl {
namespace {

void makeFolderOf(const QString &fileName)
{
    const QString folder = QFileInfo(fileName).absolutePath();
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), error);
    if (error)
        throw EInOutError(FileErrorMessage("create", folder, error.value()));
}

// Why a file stops growing (a full disk, a file size limit): the error of one more byte.
int growthError(const QString &fileName)
{
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int error = ::write(fd, "\n", 1) == 1 ? EIO : errno;
    ::close(fd);
    return error;
}

QVariantMap valuesOf(const QSettings &settings)
{
    QVariantMap values;
    for (const QString &key : settings.allKeys())
        values.insert(key, settings.value(key));
    return values;
}

// The settings a file holds, as the disk has them now. QSettings answers from its cache for a
// file of the same name it has read or written before when the file's size and time look
// unchanged, so the file is read under a second name of its own.
QVariantMap readSettingsFile(const QString &fileName)
{
    if (!QFileInfo::exists(fileName))
        return {};
    const QString alias = fileName + QStringLiteral(".read%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    if (::link(QFile::encodeName(fileName).constData(), QFile::encodeName(alias).constData()) != 0)
        return valuesOf(QSettings(fileName, QSettings::IniFormat)); // a folder that takes no new names
    const QVariantMap values = valuesOf(QSettings(alias, QSettings::IniFormat));
    QFile::remove(alias);
    return values;
}

// The bytes of a settings file holding `values`. QSettings writes the INI text to a staging file
// beside the store; since that write does not report every short write, the staging file is
// read back and compared.
QByteArray settingsFileBytes(const QString &fileName, const QVariantMap &values)
{
    QTemporaryFile staging(fileName + QStringLiteral(".XXXXXX"));
    if (!staging.open())
        throw EInOutError(QStringLiteral("Cannot create the file %1: %2")
                              .arg(QDir::toNativeSeparators(staging.fileTemplate()), staging.errorString()));
    staging.close();
    {
        QSettings staged(staging.fileName(), QSettings::IniFormat);
        for (auto value = values.cbegin(); value != values.cend(); ++value)
            staged.setValue(value.key(), value.value());
        staged.sync();
        if (staged.status() != QSettings::NoError)
            throw EInOutError(FileErrorMessage("write", fileName, growthError(staging.fileName())));
    }
    if (readSettingsFile(staging.fileName()) != values)
        throw EInOutError(FileErrorMessage("write", fileName, growthError(staging.fileName())));
    QFile file(staging.fileName());
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Cannot read the file %1: %2")
                              .arg(QDir::toNativeSeparators(staging.fileName()), file.errorString()));
    return file.readAll();
}

} // namespace

QString SettingsStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/quibo");
}

void SettingsStore::open(const QString &folder, const QString &name)
{
    m_fileName = QFileInfo(folder + QLatin1Char('/') + name).absoluteFilePath();
    m_values = readSettingsFile(m_fileName);
}

bool SettingsStore::write(const QString &name, const QString &value)
{
    if (!isOpen())
        return false;
    // What another program stored meanwhile stays; only `name` changes.
    QVariantMap values = readSettingsFile(m_fileName);
    values.insert(name, value);
    try {
        makeFolderOf(m_fileName);
        WriteWholeFile(m_fileName, settingsFileBytes(m_fileName, values));
    } catch (const EInOutError &error) {
        throw EInOutError(QStringLiteral("The setting %1 could not be written. %2").arg(name, error.Message()));
    }
    m_values = std::move(values);
    return true;
}

bool SettingsStore::read(const QString &name, QString &value) const
{
    value.clear();
    if (!isOpen())
        return false;
    const QVariant stored = m_values.value(name);
    if (!stored.isValid())
        return true;
    if (stored.typeId() != QMetaType::QString)
        return false;
    value = stored.toString();
    return true;
}

} // namespace rtl
