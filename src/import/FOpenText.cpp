#include "FOpenText.h"

#include "ui_FOpenText.h"

#include "FTextData.h"
#include "ImportGrid.h"
#include "SqlTemplates.h"
#include "TextImport.h"

#include "workspace/FInfo.h"
#include "workspace/FSetQuery.h"
#include "workspace/TextLines.h"

#include "platform/ui/Dialogs.h"
#include "platform/ui/Help.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QSignalBlocker>

TFormOpenText *FormOpenText = nullptr;

namespace {

constexpr int kHelpContext = 140;
constexpr QChar kTab = u'\t';

// The about box owns the settings store; without it the store counts as not open.
TSettingsAccess programSettings()
{
    return {[](const QString &name, QString &value) {
                value.clear();
                return FormInfo && FormInfo->ReadRegString(name, value);
            },
            [](const QString &name, const QString &value) { return FormInfo && FormInfo->WriteRegString(name, value); }};
}

void warn(const QString &text) { ui::MessageDlg(text, ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbOK); }
void showError(const QString &text) { ui::MessageDlg(text, ui::TMsgDlgType::mtError, ui::TMsgDlgButtons::mbOK); }

// Frees the mask window however the fixed-column read ends.
struct TextDataWindowRelease
{
    ~TextDataWindowRelease()
    {
        delete FormTextData;
        FormTextData = nullptr;
    }
};

} // namespace

TFormOpenText::TFormOpenText(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TFormOpenText>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ui::SetHelpContext(this, kHelpContext);
    ui->EditChar->installEventFilter(this);

    connect(ui->CB_ASCII, &QCheckBox::clicked, this, &TFormOpenText::CB_ASCIIClick);
    connect(ui->CBdelimited, &QCheckBox::clicked, this, &TFormOpenText::CBdelimitedClick);
    connect(ui->CB_database, &QCheckBox::clicked, this, &TFormOpenText::CB_databaseClick);
    connect(ui->BtnListFile, &QToolButton::clicked, this, &TFormOpenText::BtnListFileClick);
    connect(ui->BtnOK, &QPushButton::clicked, this, &TFormOpenText::BtnOKClick);
    connect(ui->BtnCancel, &QPushButton::clicked, this, &QDialog::reject);

    LoadSettings();
}

TFormOpenText::~TFormOpenText()
{
    if (FormOpenText == this)
        FormOpenText = nullptr;
}

TOpenTextOptions TFormOpenText::options() const
{
    TOpenTextOptions options;
    options.Ascii = ui->CB_ASCII->isChecked();
    options.Delimited = ui->CBdelimited->isChecked();
    options.Delimiter = FDelimiter;
    options.VarNames = ui->CBvarNames->isChecked();
    options.Database = ui->CB_database->isChecked();
    options.LastDir = FLastDir;
    options.LastExt = FLastExt;
    return options;
}

void TFormOpenText::showWays(const TOpenTextOptions &options)
{
    const QSignalBlocker ascii(ui->CB_ASCII);
    const QSignalBlocker delimited(ui->CBdelimited);
    const QSignalBlocker database(ui->CB_database);
    ui->CB_ASCII->setChecked(options.Ascii);
    ui->CBdelimited->setChecked(options.Delimited);
    ui->CB_database->setChecked(options.Database);
}

void TFormOpenText::showOptions(const TOpenTextOptions &options)
{
    showWays(options);
    ui->CBvarNames->setChecked(options.VarNames);
    FDelimiter = options.Delimiter;
    ui->EditChar->setText(FDelimiter);
    ui->LbDelimiter->setText(DelimiterLabel(FDelimiter));
    FLastDir = options.LastDir;
    FLastExt = options.LastExt;
}

void TFormOpenText::LoadSettings()
{
    TOpenTextOptions loaded = options();
    LoadOpenTextOptions(programSettings(), loaded);
    showOptions(loaded);
}

void TFormOpenText::SaveSettings() { SaveOpenTextOptions(programSettings(), options()); }

void TFormOpenText::Preset(QChar Delimiter, bool VarNames)
{
    TOpenTextOptions preset = options();
    preset.CheckDelimited(true);
    preset.Delimiter = Delimiter;
    preset.VarNames = VarNames;
    showOptions(preset);
}

void TFormOpenText::clickWay(void (TOpenTextOptions::*check)(bool), const QCheckBox *box)
{
    TOpenTextOptions clicked = options();
    (clicked.*check)(box->isChecked());
    showWays(clicked);
}

void TFormOpenText::CB_ASCIIClick() { clickWay(&TOpenTextOptions::CheckAscii, ui->CB_ASCII); }

void TFormOpenText::CBdelimitedClick() { clickWay(&TOpenTextOptions::CheckDelimited, ui->CBdelimited); }

void TFormOpenText::CB_databaseClick() { clickWay(&TOpenTextOptions::CheckDatabase, ui->CB_database); }

bool TFormOpenText::EditCharExit()
{
    const TDelimiterText parsed = ParseDelimiterText(ui->EditChar->text());
    if (!parsed.Error.isEmpty()) {
        warn(parsed.Error);
        ui->EditChar->setFocus();
        return false;
    }
    ui->EditChar->setText(parsed.EditText);
    FDelimiter = parsed.Delimiter;
    ui->LbDelimiter->setText(DelimiterLabel(FDelimiter));
    return true;
}

void TFormOpenText::FormActivate() { EditCharExit(); }

bool TFormOpenText::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->EditChar && event->type() == QEvent::FocusOut) {
        // Leaving the box for another control of the dialog; not when a box of ours takes the
        // focus, nor on the way to Cancel.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason
            && QApplication::focusWidget() != ui->BtnCancel)
            EditCharExit();
    }
    return QDialog::eventFilter(watched, event);
}

void TFormOpenText::BtnListFileClick()
{
    ui::TOpenDialog dialog;
    dialog.Filter = QStringLiteral("Text files|*.txt|Semicolon delimited files|*.csv|DBF table|*.dbf|Any files|*.*");
    dialog.InitialDir = FLastDir;
    dialog.FilterIndex = OpenFilterIndex(options());
    if (dialog.Execute())
        ui->EditFileName->setText(dialog.FileName);
}

void TFormOpenText::BtnOKClick()
{
    // Enter in the delimiter box closes the dialog without leaving the box: take it here too.
    if (!EditCharExit())
        return;
    // With no way of reading ticked nothing would be read, and the grid would take the name
    // of a file whose cells it does not hold.
    if (!ui->CB_ASCII->isChecked() && !ui->CBdelimited->isChecked() && !ui->CB_database->isChecked()) {
        warn(QStringLiteral("Choose the type of the file: ASCII file, Delimited file or Database"));
        return;
    }
    FLastDir = FolderOf(ui->EditFileName->text());
    FLastExt = LowerExtensionOf(ui->EditFileName->text());
    try {
        SaveSettings();
    } catch (const rtl::Exception &error) {
        showError(QStringLiteral("The options of the text import were not saved: ") + error.Message());
    }
    accept();
}

bool TFormOpenText::LoadIntoGrid(TImportGrid &Grid)
{
    FFileName = ui->EditFileName->text();
    if (!QFileInfo(FFileName).isFile()) {
        warn(QStringLiteral("File ") + FFileName + QStringLiteral(" does not exist"));
        return false;
    }
    try {
        if (ui->CB_ASCII->isChecked())
            ReadFixedColumns(Grid);
        if (ui->CBdelimited->isChecked())
            ReadDelimited(Grid);
        if (ui->CB_database->isChecked())
            ReadDatabase(Grid);
    } catch (const rtl::Exception &error) {
        showError(error.Message());
        return false;
    } catch (const std::bad_alloc &) {
        showError(QStringLiteral("Not enough memory to read ") + QDir::toNativeSeparators(FFileName));
        return false;
    }
    Grid.SetCells(0, 0, QStringLiteral("Item"));
    return true;
}

void TFormOpenText::ReadFixedColumns(TImportGrid &Grid)
{
    const TextDataWindowRelease release;
    if (!ExecuteTextData(FFileName) || !FormTextData || FormTextData->Mask().isEmpty())
        return;
    ReadFixedColumnLines(Grid, FormTextData->Lines(), CutMask(FormTextData->Mask()), FormTextData->RowNames(),
                         FormTextData->Descriptors());
}

void TFormOpenText::ReadDelimited(TImportGrid &Grid)
{
    const QByteArray data = ReadFileBytes(FFileName);
    ReadDelimitedText(Grid, data, FDelimiter, ui->CBvarNames->isChecked(), FFileName);
}

void TFormOpenText::ReadDatabase(TImportGrid &Grid)
{
    QString fields = QStringLiteral("*");
    const int32_t count = ExecuteQueryBuilder(QString(), FFileName, nullptr, fields, false);
    if (count <= 0)
        return;
    rtl::TStringList names;
    GetQueryFieldNames(FormSetQuery, names);
    ReadDataSetRecords(Grid, FormSetQuery->Query(), names.Lines(), count);
}

void OpenTextFile(TImportGrid &grid, QString &fileName)
{
    if (!FormOpenText)
        FormOpenText = new TFormOpenText(QApplication::activeWindow());
    const std::unique_ptr<TFormOpenText> form(FormOpenText);
    fileName.clear();
    for (;;) {
        form->FormActivate();
        if (ui::ShowModal(*form) != ui::mrOk)
            break;
        if (form->LoadIntoGrid(grid)) {
            fileName = form->FileName();
            break;
        }
    }
}

void OpenTabTextFile(TImportGrid &grid, QString &fileName)
{
    if (!FormOpenText)
        FormOpenText = new TFormOpenText(QApplication::activeWindow());
    FormOpenText->Preset(kTab, true);
    OpenTextFile(grid, fileName);
}
