#include "FMemoDlg.h"

#include "ui_FMemoDlg.h"

#include "platform/ui/Dialogs.h"

#include <QApplication>

TFormMemoDialog::TFormMemoDialog(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TFormMemoDialog>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    connect(ui->BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TFormMemoDialog::~TFormMemoDialog() = default;

QPlainTextEdit *TFormMemoDialog::Memo() const { return ui->Memo; }

void TFormMemoDialog::SetLines(const QStringList &lines) { ui->Memo->setPlainText(lines.join(QLatin1Char('\n'))); }

QStringList MemoLines(const QPlainTextEdit &memo)
{
    const QString text = memo.toPlainText();
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList TFormMemoDialog::Lines() const { return MemoLines(*ui->Memo); }

bool EditLinesDialog(QStringList &Lines, const QString &Caption)
{
    TFormMemoDialog form(QApplication::activeWindow());
    form.setWindowTitle(Caption);
    form.SetLines(Lines);
    if (ui::ShowModal(form) != ui::mrOk)
        return false;
    Lines = form.Lines();
    return true;
}
