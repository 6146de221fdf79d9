#include "FHistory.h"

#include "ui_FHistory.h"

#include "TextLines.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Help.h"

#include <QDir>
#include <QFile>
#include <QTextBlock>
#include <QTextCursor>

TFormHistory *FormHistory = nullptr;

namespace {

constexpr int kHelpContext = 190;

QStringList readLines(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw rtl::Exception(QStringLiteral("The history file %1 cannot be read: %2")
                                 .arg(QDir::toNativeSeparators(fileName), file.errorString()));
    const QByteArray data = file.readAll();
    QStringList lines;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
        if (end < 0)
            end = data.size();
        QByteArrayView line(data.constData() + start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        lines << DecodeTextLine(line); // older runs wrote the system's code page
        start = end + 1;
    }
    return lines;
}

} // namespace

TFormHistory::TFormHistory(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TFormHistory>())
{
    ui->setupUi(this);
    QPalette memoColours = ui->Memo->palette();
    memoColours.setColor(QPalette::Base, memoColours.color(QPalette::Button));
    ui->Memo->setPalette(memoColours);
    ui->Memo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    ui::SetHelpContext(this, kHelpContext);

    connect(ui->BtnClear, &QPushButton::clicked, this, &TFormHistory::BtnClearClick);
    connect(ui->BtnCancel, &QPushButton::clicked, this, &TFormHistory::BtnCancelClick);
}

TFormHistory::~TFormHistory()
{
    if (FormHistory == this)
        FormHistory = nullptr;
}

void TFormHistory::LoadHistory(const QString &FileName)
{
    ui->Memo->clear();
    if (QFile::exists(FileName))
        setLines(readLines(FileName));
    FFileName = FileName;
}

void TFormHistory::AddItem(const QString &Action, const QString &Detail)
{
    if (Action.toUpper() == QLatin1String("OPEN"))
        appendLine(Separator);
    appendLine(Action + QStringLiteral(": ") + Detail);
}

bool TFormHistory::SaveAndFree()
{
    QString error;
    if (!FFileName.isEmpty() && !writeFile(error)) {
        ui::MessageDlg(QStringLiteral("The history could not be saved to the file %1: %2")
                           .arg(QDir::toNativeSeparators(FFileName), error),
                       ui::TMsgDlgType::mtError, ui::TMsgDlgButtons::mbOK);
        return false;
    }
    ui->Memo->clear();
    if (FormHistory == this)
        FormHistory = nullptr;
    hide();
    deleteLater();
    return true;
}

void TFormHistory::BtnClearClick()
{
    QTextCursor cursor = ui->Memo->textCursor();
    if (cursor.hasSelection()) {
        if (ui::MessageDlg(QStringLiteral("Clear selected items?"), ui::TMsgDlgType::mtConfirmation,
                           ui::TMsgDlgButtons::mbYesNo) == ui::mrYes) {
            cursor.removeSelectedText();
            ui->Memo->setTextCursor(cursor);
        }
        return;
    }
    if (ui::MessageDlg(QStringLiteral("Clear whole history?"), ui::TMsgDlgType::mtConfirmation,
                       ui::TMsgDlgButtons::mbYesNo) == ui::mrYes)
        ui->Memo->clear();
}

void TFormHistory::BtnCancelClick() { hide(); }

// The memo holds the lines joined by line breaks. As in a text file, a final line break ends the
// last line rather than starting an empty one; an empty last line is therefore kept as one more
// line break.
QStringList TFormHistory::Lines() const
{
    QString text = ui->Memo->document()->toRawText();
    if (text.isEmpty())
        return {};
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

void TFormHistory::setLines(const QStringList &lines)
{
    QString text = lines.join(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        text += QLatin1Char('\n');
    ui->Memo->setPlainText(text);
}

void TFormHistory::appendLine(const QString &line)
{
    QTextCursor cursor(ui->Memo->document());
    cursor.movePosition(QTextCursor::End);
    const bool lastLineEnded = ui->Memo->document()->lastBlock().text().isEmpty();
    cursor.insertText(lastLineEnded ? line : QLatin1Char('\n') + line);
}

bool TFormHistory::writeFile(QString &error) const
{
    try {
        WriteTextLines(FFileName, Lines());
    } catch (const rtl::EInOutError &failure) {
        error = failure.Message();
        return false;
    }
    return true;
}
