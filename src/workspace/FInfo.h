#pragma once
// The about box: title, description, version and copyright from the program's version entries,
// the full list of entries on request, and the program's settings store (named text values).

#include "VersionInfo.h"

#include "platform/rtl/SettingsStore.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TFormInfo;
}

/// The major and minor part of a version text followed by ".0.0": "1.0.8.2" gives "1.0.0.0",
/// "5.12.3" gives "5.12.0.0", "5.1" gives "5.1.0.0", and an empty minor part counts as 0 ("5."
/// gives "5.0.0.0"). A text without a dot, or starting with one, is answered unchanged.
QString NormalizeVersion(const QString &S);

class TFormInfo : public QDialog
{
    Q_OBJECT
public:
    /// The about box of this program: its build's version entries, and the settings store in the
    /// user's configuration folder.
    explicit TFormInfo(QWidget *parent = nullptr);
    /// An about box over the given version entries whose settings store lies in `settingsFolder`.
    TFormInfo(TVersionInfo versionInfo, QString settingsFolder, QWidget *parent = nullptr);
    ~TFormInfo() override;

    /// Fills the entries and the labels; each argument stands in for a missing version entry.
    /// Afterwards the settings store is open, named with the normalized version.
    void SetProgramInfo(const QString &Title, const QString &Description, const QString &Version,
                        const QString &Years);
    /// Lists the version entries and the program's folder in Memo1 and makes "More Info >>" visible.
    void FormShow();
    void GetCopyright(QString &Text) const;

    /// Stores Value under Name; false (nothing written) while the store is not open. Throws
    /// rtl::Exception when the store's file cannot be written.
    bool WriteRegString(const QString &Name, const QString &Value);
    /// Value := the text under Name ('' when absent, answer true); false with '' while the store is
    /// not open or when the stored value is no single text.
    bool ReadRegString(const QString &Name, QString &Value);

    void BtnOKClick();
    void BtnMoreClick();
    void LblAddressClick();

    /// The normalized program version (FVersion); empty until SetProgramInfo.
    QString Version() const { return FVersion; }
    /// The settings store's file; empty while the store is not open.
    QString SettingsFileName() const;

    /// The settings folder of the user: "quibo" in the desktop's configuration folder.
    static QString DefaultSettingsFolder();

protected:
    /// Logical pixels per inch of the window's screen.
    virtual int PixelsPerInch() const;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString entry(const QString &key) const;
    void openSettingsStore();
    void setOuterHeight(int height);

    std::unique_ptr<Ui::TFormInfo> ui;
    TVersionInfo m_versionInfo;
    QString m_settingsFolder;
    QString FVersion;
    rtl::SettingsStore FRegistry;
};

extern TFormInfo *FormInfo;
