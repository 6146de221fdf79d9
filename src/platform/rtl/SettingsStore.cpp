#include "SettingsStore.h"

#include "SysUtils.h"
#include "WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>
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

bool sameSettings(const QSettings &expected, const QSettings &found)
{
    QStringList keys = expected.allKeys();
    QStringList foundKeys = found.allKeys();
    keys.sort();
    foundKeys.sort();
    return keys == foundKeys && std::all_of(keys.cbegin(), keys.cend(), [&](const QString &key) {
               return expected.value(key) == found.value(key);
           });
}

// The settings a file holds, parsed from the disk: QSettings answers from its cache for a file
// it has just written, so the file is read under a second name.
bool holdsSettings(const QString &fileName, const QSettings &expected)
{
    const QString readName = fileName + QStringLiteral(".read");
    if (::link(QFile::encodeName(fileName).constData(), QFile::encodeName(readName).constData()) != 0)
        return false;
    const bool same = sameSettings(expected, QSettings(readName, QSettings::IniFormat));
    QFile::remove(readName);
    return same;
}

// The bytes of the settings file holding what `current` holds and `value` under `name`. The
// INI text comes from QSettings, which writes it to a staging file beside the store; since that
// write does not report every short write, the staging file is read back and compared.
QByteArray settingsFileWith(const QSettings &current, const QString &name, const QString &value)
{
    QTemporaryFile staging(current.fileName() + QStringLiteral(".XXXXXX"));
    if (!staging.open())
        throw EInOutError(QStringLiteral("Cannot create the file %1: %2")
                              .arg(QDir::toNativeSeparators(staging.fileTemplate()), staging.errorString()));
    staging.close();
    QSettings staged(staging.fileName(), QSettings::IniFormat);
    for (const QString &key : current.allKeys())
        staged.setValue(key, current.value(key));
    staged.setValue(name, value);
    staged.sync();
    if (staged.status() != QSettings::NoError || !holdsSettings(staging.fileName(), staged))
        throw EInOutError(FileErrorMessage("write", current.fileName(), growthError(staging.fileName())));
    QFile file(staging.fileName());
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Cannot read the file %1: %2")
                              .arg(QDir::toNativeSeparators(staging.fileName()), file.errorString()));
    return file.readAll();
}

} // namespace

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
    const QString fileName = m_settings->fileName();
    try {
        makeFolderOf(fileName);
        WriteWholeFile(fileName, settingsFileWith(*m_settings, name, value));
    } catch (const EInOutError &error) {
        throw EInOutError(QStringLiteral("The setting %1 could not be written. %2").arg(name, error.Message()));
    }
    m_settings = std::make_unique<QSettings>(fileName, QSettings::IniFormat);
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
