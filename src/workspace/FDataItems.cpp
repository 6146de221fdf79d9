#include "FDataItems.h"

#include "ui_FDataItems.h"

#include "platform/ui/Dialogs.h"
#include "platform/ui/Help.h"
#include "platform/ui/StringGrid.h"

#include <QStringList>

TFormDataItems *FormDataItems = nullptr;

namespace {

constexpr int kHelpContext = 60;
constexpr int kRowHeight = 20;

enum Column : int { ColNo = 0, ColName = 1, ColActive = 2, ColCount = 3, ColumnCount = 4 };

const QString kUsedMark = QStringLiteral("+");

} // namespace

TFormDataItems::TFormDataItems(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TFormDataItems>())
{
    ui->setupUi(this);
    ui::TStringGrid *grid = ui->ItemGrid;
    grid->SetColCount(ColumnCount);
    grid->SetRowCount(2);
    grid->SetFixedCols(1);
    grid->SetFixedRows(1);
    grid->SetDefaultRowHeight(kRowHeight);
    grid->SetRowSelect(true);
    grid->setShowGrid(true);
    ui::SetHelpContext(this, kHelpContext);
    FormCreate();

    connect(grid, &ui::TStringGrid::DblClick, this, &TFormDataItems::ItemGridDblClick);
    connect(ui->BtnOK, &QPushButton::clicked, this, &QDialog::accept);
}

TFormDataItems::~TFormDataItems()
{
    if (FormDataItems == this)
        FormDataItems = nullptr;
}

void TFormDataItems::FormCreate()
{
    ui->ItemGrid->SetCells(ColNo, 0, QStringLiteral("No"));
    ui->ItemGrid->SetCells(ColName, 0, QStringLiteral("Name"));
    ui->ItemGrid->SetCells(ColActive, 0, QStringLiteral("Active"));
    ui->ItemGrid->SetCells(ColCount, 0, QStringLiteral("Count"));
}

void TFormDataItems::ResetGrid(int32_t Count)
{
    ui::TStringGrid *grid = ui->ItemGrid;
    grid->BeginUpdate();
    for (int row = 1; row < grid->RowCount(); ++row) {
        for (int column = 0; column < grid->ColCount(); ++column)
            grid->SetCells(column, row, QString());
    }
    grid->SetRowCount(std::max(Count, 0) + 1);
    grid->EndUpdate();
}

void TFormDataItems::ShowItems(const std::vector<TDataItem> &Items, int32_t ItemCount)
{
    const int count = std::min(std::max(ItemCount, 0), int(Items.size()));
    ResetGrid(count);
    ui::TStringGrid *grid = ui->ItemGrid;
    grid->BeginUpdate();
    for (int i = 0; i < count; ++i) {
        const TDataItem &item = Items[size_t(i)];
        grid->SetCells(ColNo, i + 1, QString::number(i));
        grid->SetCells(ColName, i + 1, item.Id);
        grid->SetCells(ColActive, i + 1, item.Used ? kUsedMark : QString());
        grid->SetCells(ColCount, i + 1, QString::number(item.Count));
    }
    grid->EndUpdate();
}

QString TFormDataItems::TakeMarks(std::vector<TDataItem> &Items, int32_t ItemCount) const
{
    const int count = std::min(std::max(ItemCount, 0), int(Items.size()));
    QStringList used;
    for (int i = 0; i < count; ++i) {
        TDataItem &item = Items[size_t(i)];
        if (item.Count == 0)
            continue;
        item.Used = ui->ItemGrid->Cells(ColActive, i + 1) == kUsedMark;
        if (item.Used)
            used << QString::number(i);
    }
    return used.join(QLatin1Char(','));
}

void TFormDataItems::ItemGridDblClick()
{
    ui::TStringGrid *grid = ui->ItemGrid;
    const int row = grid->Row();
    if (row < grid->FixedRows())
        return;
    grid->SetCells(ColActive, row, grid->Cells(ColActive, row).isEmpty() ? kUsedMark : QString());
}

ui::TStringGrid *TFormDataItems::ItemGrid() const { return ui->ItemGrid; }

QString ExecuteDataItems(std::vector<TDataItem> &Items, int32_t ItemCount)
{
    TFormDataItems dialog;
    FormDataItems = &dialog;
    dialog.ShowItems(Items, ItemCount);
    ui::ShowModal(dialog);
    const QString used = dialog.TakeMarks(Items, ItemCount);
    FormDataItems = nullptr; // the dialog is gone; nothing may reach it through the global
    return used;
}
