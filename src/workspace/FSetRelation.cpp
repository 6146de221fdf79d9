#include "FSetRelation.h"

#include "ui_FSetRelation.h"

#include "platform/ui/Application.h"
#include "platform/ui/CurrentItemByUser.h"
#include "platform/ui/Dialogs.h"

#include <QApplication>

TFormSetRelation *FormSetRelation = nullptr;

TFormSetRelation::TFormSetRelation(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TFormSetRelation>())
{
    ui->setupUi(this);
    ui::WidenForCaption(*this);
    ui::LeaveCurrentItemToTheUser(*ui->ListBox1);
    ui::LeaveCurrentItemToTheUser(*ui->ListBox2);
    FormCreate();
    connect(ui->ListBox1, &QListWidget::currentRowChanged, this, &TFormSetRelation::ListBox1Click);
    connect(ui->ListBox2, &QListWidget::currentRowChanged, this, &TFormSetRelation::ListBox1Click);
    connect(ui->BtnOk, &QPushButton::clicked, this, &TFormSetRelation::BtnOkClick);
    connect(ui->BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TFormSetRelation::~TFormSetRelation()
{
    if (FormSetRelation == this)
        FormSetRelation = nullptr;
}

void TFormSetRelation::FormCreate() { m_relation.clear(); }

void TFormSetRelation::ListBox1Click()
{
    ui->BtnOk->setEnabled(ui->ListBox1->currentItem() && ui->ListBox2->currentItem());
}

void TFormSetRelation::BtnOkClick()
{
    if (!ui->ListBox1->currentItem() || !ui->ListBox2->currentItem())
        return;
    m_relation = QLatin1Char('(') + ui->ListBox1->currentItem()->text() + QLatin1Char('=') + ui->ListBox2->currentItem()->text() +
                 QLatin1Char(')');
    accept();
}

bool SetRelation(const rtl::TStringList &Items, QString &Relation)
{
    TFormSetRelation form(QApplication::activeWindow());
    FormSetRelation = &form;
    form.form().ListBox1->addItems(Items.Lines());
    form.form().ListBox2->addItems(Items.Lines());
    const bool ok = ui::ShowModal(form) == ui::mrOk;
    Relation = form.FRelation();
    return ok;
}
