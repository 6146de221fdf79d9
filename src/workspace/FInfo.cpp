#include "FInfo.h"

#include "ui_FInfo.h"

#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Help.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QUrl>
#include <QUrlQuery>

TFormInfo *FormInfo = nullptr;

namespace {

constexpr int kHelpContext = 10;
const QColor kBackground(255, 238, 204);
const QColor kLinkColour(0, 0, 255);
constexpr int kTitlePixelSize = 19;
// Outer window heights at 96 pixels per inch, without and with the version entries.
constexpr int kShortHeight = 248;
constexpr int kLongHeight = 392;

const QString kFixedCopyright = QStringLiteral("Copyright \u00A9 The Quibo developers (");

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette colours = widget->palette();
    colours.setColor(QPalette::WindowText, colour);
    widget->setPalette(colours);
}

} // namespace

QString NormalizeVersion(const QString &S)
{
    const qsizetype firstDot = S.indexOf(QLatin1Char('.'));
    if (firstDot <= 0)
        return S;
    const qsizetype secondDot = S.indexOf(QLatin1Char('.'), firstDot + 1);
    QString minor = S.mid(firstDot + 1, secondDot < 0 ? -1 : secondDot - firstDot - 1);
    if (minor.isEmpty())
        minor = QStringLiteral("0");
    return S.left(firstDot) + QLatin1Char('.') + minor + QStringLiteral(".0.0");
}

TFormInfo::TFormInfo(QWidget *parent) : TFormInfo(ProgramVersionInfo(), DefaultSettingsFolder(), parent) {}

TFormInfo::TFormInfo(TVersionInfo versionInfo, QString settingsFolder, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui(std::make_unique<Ui::TFormInfo>()),
      m_versionInfo(std::move(versionInfo)),
      m_settingsFolder(std::move(settingsFolder))
{
    ui->setupUi(this);
    setFixedSize(size());
    ui::CenterOnScreen(*this);

    QPalette colours = palette();
    colours.setColor(QPalette::Window, kBackground);
    setPalette(colours);
    QPalette memoColours = ui->Memo1->palette();
    memoColours.setColor(QPalette::Base, kBackground);
    ui->Memo1->setPalette(memoColours);

    QFont titleFont = ui->LblTitle->font();
    titleFont.setPixelSize(kTitlePixelSize);
    titleFont.setBold(true);
    ui->LblTitle->setFont(titleFont);
    setTextColour(ui->LblTitle, kLinkColour);
    setTextColour(ui->LblAddress, kLinkColour);
    // The decoration lies under the labels and never takes a click; it stays enabled because a
    // disabled label greys its picture.
    ui->Image2->setAttribute(Qt::WA_TransparentForMouseEvents);
    ui->Image2->lower();

    ui::SetHelpContext(this, kHelpContext);
    ui->LblAddress->installEventFilter(this);
    connect(ui->BtnOK, &QPushButton::clicked, this, &TFormInfo::BtnOKClick);
    connect(ui->BtnMore, &QPushButton::clicked, this, &TFormInfo::BtnMoreClick);
}

TFormInfo::~TFormInfo()
{
    if (FormInfo == this)
        FormInfo = nullptr;
}

void TFormInfo::SetProgramInfo(const QString &Title, const QString &Description, const QString &Version,
                               const QString &Years)
{
    FormShow();

    const QString internalName = entry(QStringLiteral("InternalName"));
    if (!internalName.isEmpty())
        ui->LblTitle->setText(QStringLiteral("Program ") + internalName);
    else if (Title.isEmpty())
        ui->LblTitle->setText(QStringLiteral("Program ") + ui::ApplicationTitle());
    else
        ui->LblTitle->setText(Title);

    const QString description = entry(QStringLiteral("FileDescription"));
    ui->LblComment->setText(description.isEmpty() ? Description : description);

    const QString fileVersion = entry(QStringLiteral("FileVersion"));
    if (!fileVersion.isEmpty()) {
        FVersion = NormalizeVersion(fileVersion);
        QString text = QStringLiteral("Version ") + fileVersion;
        if (!Version.isEmpty())
            text += QLatin1Char(' ') + Version;
        ui->LblVersion->setText(text);
    } else {
        ui->LblVersion->setText(QStringLiteral("Version ") + Version);
        FVersion = NormalizeVersion(Version);
    }

    const QString copyright = entry(QStringLiteral("LegalCopyright"));
    ui->LblCopyright->setText(copyright.isEmpty() ? kFixedCopyright + Years + QLatin1Char(')') : copyright);

    openSettingsStore();
}

void TFormInfo::FormShow()
{
    QStringList lines;
    if (m_versionInfo.Present) {
        for (const QString &key : VersionKeys()) {
            const QString text = m_versionInfo.Value(key);
            if (!text.isEmpty())
                lines << key + QLatin1Char('=') + text;
        }
    }
    lines << QStringLiteral("Application path=") + QCoreApplication::applicationDirPath() + QLatin1Char('/');
    ui->Memo1->setPlainText(lines.join(QLatin1Char('\n')));
    ui->BtnMore->setVisible(!lines.isEmpty());
}

void TFormInfo::GetCopyright(QString &Text) const { Text = ui->LblCopyright->text(); }

bool TFormInfo::WriteRegString(const QString &Name, const QString &Value) { return FRegistry.write(Name, Value); }

bool TFormInfo::ReadRegString(const QString &Name, QString &Value) { return FRegistry.read(Name, Value); }

void TFormInfo::BtnOKClick() { accept(); }

void TFormInfo::BtnMoreClick()
{
    const int ppi = PixelsPerInch();
    if (ui->Memo1->isVisibleTo(this)) {
        ui->Memo1->hide();
        setOuterHeight(ppi * kShortHeight / 96);
        ui->BtnMore->setText(QStringLiteral("More Info >>"));
    } else {
        ui->Memo1->show();
        setOuterHeight(ppi * kLongHeight / 96);
        ui->BtnMore->setText(QStringLiteral("<< Info"));
    }
}

void TFormInfo::LblAddressClick()
{
    QUrl mail;
    mail.setScheme(QStringLiteral("mailto"));
    mail.setPath(ui->LblAddress->text());
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("Subject"), ui->LblTitle->text() + QStringLiteral(": User request"));
    mail.setQuery(query);
    ui::OpenUrl(mail, [address = ui->LblAddress->text()] {
        ui::MessageDlg(QStringLiteral("No program to write e-mail was found. The address is ") + address,
                       ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbOK);
    });
}

QString TFormInfo::SettingsFileName() const { return FRegistry.fileName(); }

QString TFormInfo::DefaultSettingsFolder() { return rtl::SettingsStore::defaultFolder(); }

int TFormInfo::PixelsPerInch() const
{
    const QScreen *shown = screen();
    return shown ? qRound(shown->logicalDotsPerInchY()) : 96;
}

bool TFormInfo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->LblAddress && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        LblAddressClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

QString TFormInfo::entry(const QString &key) const
{
    return m_versionInfo.Present ? m_versionInfo.Value(key) : QString();
}

// The store's file is named after the version so that each version keeps its own settings.
void TFormInfo::openSettingsStore()
{
    QString version = FVersion;
    version.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    const QString name = version.isEmpty() ? QStringLiteral("quibo.ini") : QStringLiteral("quibo-%1.ini").arg(version);
    FRegistry.open(m_settingsFolder, name);
}

// Heights are outer heights: the frame the window manager adds is taken off the client area.
void TFormInfo::setOuterHeight(int height)
{
    const int frame = frameGeometry().height() - geometry().height();
    setFixedHeight(std::max(height - frame, 1));
}
