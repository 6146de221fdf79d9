#pragma once
// The program's settings store: named text values in an INI file. Nothing is read or written
// until the store is opened on a file; the about box opens it, the import tools keep their
// options in it.

#include <QString>
#include <QVariantMap>

namespace rtl {

class SettingsStore
{
public:
    SettingsStore() = default;

    /// The user's settings folder: "quibo" in the desktop's configuration folder.
    static QString defaultFolder();

    /// Opens the store on the file `name` in `folder` (made on the first write).
    void open(const QString &folder, const QString &name);
    bool isOpen() const { return !m_fileName.isEmpty(); }
    /// The store's file; empty while the store is not open.
    QString fileName() const { return m_fileName; }

    /// Stores value under name; false (nothing written) while the store is not open. The file
    /// is replaced whole; when it cannot be written, it stays as it was and EInOutError names
    /// the file and the reason.
    bool write(const QString &name, const QString &value);
    /// value := the text under name (empty when absent, answer true); false with an empty value
    /// while the store is not open or when the stored value is no single text.
    bool read(const QString &name, QString &value) const;

private:
    QString m_fileName;
    QVariantMap m_values; ///< what the file held when it was opened or last written
};

} // namespace rtl
