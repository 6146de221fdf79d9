#pragma once
// What the fuzz targets share: the input as a file in a folder of the process's own, and an
// application object on the offscreen platform for the readers that live in windows.

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

/// A folder that lives as long as the process; each target writes its input there.
inline const QTemporaryDir &FuzzFolder()
{
    static QTemporaryDir folder;
    if (!folder.isValid())
        std::abort();
    return folder;
}

/// Writes `bytes` to `name` in the fuzz folder and answers the file's full name.
inline QString WriteFuzzFile(const QString &name, QByteArrayView bytes)
{
    const QString path = FuzzFolder().filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes.data(), bytes.size()) != bytes.size())
        std::abort();
    return path;
}

inline QByteArrayView FuzzBytes(const uint8_t *data, size_t size)
{
    return QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size));
}

/// An application object for targets that build windows; made once, never shown.
inline void EnsureFuzzApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    if (QApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
}
