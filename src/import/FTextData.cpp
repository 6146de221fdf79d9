#include "FTextData.h"

#include "ui_FTextData.h"

#include "TextMask.h"

#include "workspace/TextLines.h"

#include "charts/FMemoDlg.h"

#include "platform/rtl/SysUtils.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTextBlock>

TFormTextData *FormTextData = nullptr;

namespace {

const QString kMaskFilter = QStringLiteral("Mask file (*.msk)|*.msk|Any file|*.*");

// Mask and text share one monospaced font, so that a mask character stands over its column.
QFont monospacedFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

void showError(const QString &text) { ui::MessageDlg(text, ui::TMsgDlgType::mtError, ui::TMsgDlgButtons::mbOK); }

bool isCtrlM(const QEvent *event)
{
    const auto *key = static_cast<const QKeyEvent *>(event);
    return key->key() == Qt::Key_M && (key->modifiers() & Qt::ControlModifier);
}

} // namespace

TFormTextData::TFormTextData(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TFormTextData>())
{
    ui->setupUi(this);
    // No border icons: the window closes only through its buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    ui->EditMask->setFont(monospacedFont());
    ui->Memo->setFont(monospacedFont());
    // A line edit keeps its text 2 pixels from its frame; the memo, its document margin.
    constexpr int lineEditTextMargin = 2;
    ui->EditMask->setTextMargins(int(ui->Memo->document()->documentMargin()) - lineEditTextMargin, 0, 0, 0);

    m_popupMenuMask = new QMenu(this);
    m_popupMenuMask->setObjectName(QStringLiteral("PopupMenuMask"));
    const auto addItem = [this](const QString &caption, const char *name, void (TFormTextData::*handler)()) {
        QAction *action = m_popupMenuMask->addAction(caption, this, handler);
        action->setObjectName(QString::fromLatin1(name));
    };
    addItem(QStringLiteral("Mask &Initialize"), "MaskInitialize1", &TFormTextData::MaskInitialize1Click);
    addItem(QStringLiteral("&Read from file"), "ReadFromFile1", &TFormTextData::ReadFromFile1Click);
    addItem(QStringLiteral("&Save to file"), "SaveToFile1", &TFormTextData::SaveToFile1Click);
    addItem(QStringLiteral("&Edit descriptors"), "EditDescriptors1", &TFormTextData::EditDescriptors1Click);

    ui->EditMask->installEventFilter(this);
    for (QWidget *widget : {static_cast<QWidget *>(ui->BtnOK), static_cast<QWidget *>(ui->BtnCancel),
                            static_cast<QWidget *>(ui->BtnFont), static_cast<QWidget *>(ui->BtnMask),
                            static_cast<QWidget *>(ui->Memo)})
        widget->installEventFilter(this);

    connect(ui->BtnOK, &QPushButton::clicked, this, &TFormTextData::BtnOKClick);
    connect(ui->BtnCancel, &QPushButton::clicked, this, &TFormTextData::BtnCancelClick);
    connect(ui->BtnFont, &QPushButton::clicked, this, &TFormTextData::BtnFontClick);
    connect(ui->BtnMask, &QPushButton::clicked, this, &TFormTextData::BtnMaskClick);
}

TFormTextData::~TFormTextData()
{
    if (FormTextData == this)
        FormTextData = nullptr;
}

QStringList TFormTextData::Lines() const
{
    QStringList lines;
    const QTextDocument *document = ui->Memo->document();
    lines.reserve(document->blockCount());
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        lines.append(block.text());
    if (lines.size() == 1 && lines.constFirst().isEmpty())
        lines.clear(); // an empty memo holds no line
    return lines;
}

void TFormTextData::SetLines(const QStringList &lines) { ui->Memo->setPlainText(lines.join(QLatin1Char('\n'))); }

void TFormTextData::setMaskText(const QString &mask, int caret)
{
    ui->EditMask->setText(mask);
    ui->EditMask->setCursorPosition(caret);
}

bool TFormTextData::InitMask()
{
    const QString mask = DefaultMask(Lines());
    if (mask.isEmpty())
        return false;
    setMaskText(mask, 0); // the mask's start over the text's start
    return true;
}

void TFormTextData::EditMaskClick(int caret)
{
    const QString mask = ui->EditMask->text();
    if (!mask.isEmpty())
        setMaskText(ClickMask(mask, caret), caret);
}

void TFormTextData::EditMaskKeyPress()
{
    const QLineEdit *edit = ui->EditMask;
    const bool selected = edit->hasSelectedText();
    const int start = selected ? edit->selectionStart() : edit->cursorPosition();
    const int length = selected ? edit->selectionLength() : 0;
    if (!selected && start >= edit->text().size())
        return; // the caret at the end marks nothing
    setMaskText(MarkSingleColumns(edit->text(), start, length), start + std::max(length, 1));
}

bool TFormTextData::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->EditMask) {
        if (event->type() == QEvent::MouseButtonRelease) {
            // The press has placed the caret; with Shift, or after dragging a selection, the
            // click only places the caret or selects.
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton && !(mouse->modifiers() & Qt::ShiftModifier)
                && !ui->EditMask->hasSelectedText())
                EditMaskClick(ui->EditMask->cursorPosition());
        } else if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
            if (plain && (key->key() == Qt::Key_X)) {
                EditMaskKeyPress();
                return true; // the letter is not inserted
            }
        }
        return QDialog::eventFilter(watched, event);
    }
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) && isCtrlM(event)) {
        if (event->type() == QEvent::KeyRelease)
            ui->EditMask->setFocus(Qt::ShortcutFocusReason);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormTextData::BtnMaskClick() { m_popupMenuMask->popup(ui->BtnMask->mapToGlobal(ui->BtnMask->rect().bottomLeft())); }

void TFormTextData::BtnFontClick()
{
    ui::TFontDialog dialog;
    dialog.Font = ui->EditMask->font();
    if (!dialog.Execute())
        return;
    ui->EditMask->setFont(dialog.Font);
    ui->Memo->setFont(dialog.Font);
}

void TFormTextData::MaskInitialize1Click() { InitMask(); }

void TFormTextData::ReadFromFile1Click()
{
    ui::TOpenDialog dialog;
    dialog.Title = QStringLiteral("Select file with mask");
    dialog.Filter = kMaskFilter;
    dialog.InitialDir = FDirectory;
    if (!dialog.Execute())
        return;
    try {
        rtl::TStringList lines = ReadMaskFile(dialog.FileName);
        FDescriptors = std::make_unique<rtl::TStringList>(std::move(lines));
    } catch (const rtl::Exception &error) {
        showError(error.Message());
        return;
    }
    setMaskText(FDescriptors->Values(QStringLiteral("Mask")), 0);
}

void TFormTextData::SaveToFile1Click()
{
    ui::TSaveDialog dialog;
    dialog.Title = QStringLiteral("Save mask into file");
    dialog.Filter = kMaskFilter;
    dialog.DefaultExt = QStringLiteral("msk");
    dialog.InitialDir = FDirectory;
    dialog.FileName = m_saveMaskFileName;
    if (!dialog.Execute())
        return;
    m_saveMaskFileName = dialog.FileName;
    if (!FDescriptors)
        FDescriptors = std::make_unique<rtl::TStringList>();
    FDescriptors->SetValues(QStringLiteral("Mask"), ui->EditMask->text());
}

void TFormTextData::EditDescriptors1Click()
{
    if (!FDescriptors)
        FDescriptors = std::make_unique<rtl::TStringList>();
    EditLinesDialog(FDescriptors->Lines(), QStringLiteral("Parameters for import"));
}

void TFormTextData::BtnOKClick()
{
    FMask = ui->EditMask->text();
    FRowNames = ui->CB_RowNames->isChecked();
    accept();
}

void TFormTextData::BtnCancelClick() { reject(); }

void TFormTextData::reject()
{
    FMask.clear();
    QDialog::reject();
}

void TFormTextData::WriteChosenMaskFile()
{
    if (!FDescriptors || m_saveMaskFileName.isEmpty())
        return;
    try {
        WriteMaskFile(m_saveMaskFileName, *FDescriptors);
    } catch (const rtl::Exception &error) {
        showError(error.Message());
    }
}

bool ExecuteTextData(const QString &FileName)
{
    const QFileInfo file(FileName);
    if (!file.isFile())
        return false;
    const QStringList lines = ReadTextLines(FileName);
    FormTextData = new TFormTextData(QApplication::activeWindow());
    FormTextData->SetLines(lines);
    if (!FormTextData->InitMask()) {
        delete FormTextData;
        ui::MessageDlg(QStringLiteral("Empty data file"), ui::TMsgDlgType::mtInformation, ui::TMsgDlgButtons::mbOK);
        return false;
    }
    FormTextData->SetDirectory(file.absolutePath());
    ui::ShowModal(*FormTextData);
    FormTextData->WriteChosenMaskFile();
    return !FormTextData->form().EditMask->text().isEmpty();
}
